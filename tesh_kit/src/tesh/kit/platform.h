// What differs between the platforms the library is built for; the rest of the code is portable.
#pragma once

namespace tesh::kit::platform {

#if defined(_WIN32)
/** Both separators appear in source paths handed to the Windows compiler. */
constexpr const char* kPathSeparators = "\\/";
constexpr const char* kSrcTeshMarker = "\\src\\tesh\\";
#else
constexpr const char* kPathSeparators = "/";
constexpr const char* kSrcTeshMarker = "/src/tesh/";
#endif

} // namespace tesh::kit::platform
