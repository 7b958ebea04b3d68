#include "WholeFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tools {

bool WriteWholeFile(const std::string& path, const std::function<bool(const std::string& partialPath)>& write,
                    std::string* reason) {
    const std::string partial = path + ".partial-" + std::to_string(getpid());
    errno = 0;
    const bool written = write(partial) && std::rename(partial.c_str(), path.c_str()) == 0;
    const int error = errno;
    if (!written) std::remove(partial.c_str());
    if (reason) *reason = !written && error ? std::strerror(error) : "";
    return written;
}

}  // namespace tools
