// The one macro that makes a C function of the library visible to the host; everything else is hidden.
#pragma once

#if defined(_WIN32)
#    define TESH_LIBRARY_EXPORT extern "C" __declspec(dllexport)
#else
#    define TESH_LIBRARY_EXPORT extern "C" __attribute__((visibility("default")))
#endif
