#include "ui/Exception.h"

namespace Ui {

void Abort() { throw EAbort(); }

}  // namespace Ui
