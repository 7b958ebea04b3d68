// The framework's debug log: one line per message to a replaceable sink (stderr by default).
#pragma once

#include <functional>
#include <string>

namespace Ui::Log {

using TSink = std::function<void(const std::string& message)>;

void d(const std::string& message);
// Installs a sink (an empty one restores stderr) and returns the one it replaces.
TSink SetSink(TSink sink);

}  // namespace Ui::Log
