// Writing an output file whole or not at all: the content goes to a temporary name beside the
// file and is renamed over it, so a failed write (a full disk, a lost permission) leaves no
// truncated file and keeps whatever was there before.
#pragma once

#include <functional>
#include <string>

namespace tools {

// Calls write with the temporary path to fill (it returns false on failure, leaving errno set
// when the system said why), then renames it to path. On failure removes the temporary file and
// returns false with the system's reason in *reason (empty when there is none).
bool WriteWholeFile(const std::string& path, const std::function<bool(const std::string& partialPath)>& write,
                    std::string* reason);

}  // namespace tools
