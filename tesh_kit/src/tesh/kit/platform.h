// What differs between the platforms the library is built for; the rest of the code is portable.
#pragma once

#if defined(_MSC_VER)
#    include <xmmintrin.h>
#endif

namespace tesh::kit::platform {

#if defined(_WIN32)
/** Both separators appear in source paths handed to the Windows compiler. */
constexpr const char* kPathSeparators = "\\/";
constexpr const char* kSrcTeshMarker = "\\src\\tesh\\";
#else
constexpr const char* kPathSeparators = "/";
constexpr const char* kSrcTeshMarker = "/src/tesh/";
#endif

/** Asks the processor to bring the memory at `address` into its cache while the caller goes on. */
inline void prefetch(const void* address)
{
#if defined(_MSC_VER)
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    __builtin_prefetch(address);
#endif
}

} // namespace tesh::kit::platform
