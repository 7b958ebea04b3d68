#include "capi/Handles.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

void plix_refcnt_ref(plix_handle self) {
    if (self) from<RefCnt>(self)->ref();
}

void plix_refcnt_unref(plix_handle self) {
    if (self) from<RefCnt>(self)->unref();
}
