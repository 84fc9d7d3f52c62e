// What qvhost needs from the operating system: loading the library and moving its log aside.
#pragma once

#include <cstdio>
#include <string>

namespace qvhost::platform {

/** @return The library's handle, or null with the loader's reason in error. */
void* openLibrary(const std::string& path, std::string* error);

/** @return The exported symbol, or null. */
void* findSymbol(void* library, const char* name);

/**
 * Sends the process's standard error (the plug-in logs there) to the file at path.
 * @return A stream on the standard error as it was, for qvhost's own messages; null with a reason in error.
 */
std::FILE* redirectStandardError(const std::string& path, std::string* error);

} // namespace qvhost::platform
