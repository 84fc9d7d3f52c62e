// The POSIX side of qvhost: dlopen and file descriptors.
#include "platform.h"

#include <cerrno>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace qvhost::platform {

void* openLibrary(const std::string& path, std::string* error)
{
    // Local: the plug-in's symbols must not stand in for anything in qvhost, as in the server.
    void* const library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        *error = dlerror();
    return library;
}

void* findSymbol(void* library, const char* name)
{
    return dlsym(library, name);
}

std::FILE* redirectStandardError(const std::string& path, std::string* error)
{
    std::fflush(stderr);
    const int log = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0)
    {
        *error = "cannot write '" + path + "': " + std::strerror(errno);
        return nullptr;
    }
    const int original = dup(STDERR_FILENO);
    if (original < 0 || dup2(log, STDERR_FILENO) < 0)
    {
        *error = std::string("cannot redirect the standard error: ") + std::strerror(errno);
        close(log);
        return nullptr;
    }
    close(log);
    std::FILE* const stream = fdopen(original, "w");
    if (!stream)
        *error = std::string("cannot keep the standard error: ") + std::strerror(errno);
    return stream;
}

} // namespace qvhost::platform
