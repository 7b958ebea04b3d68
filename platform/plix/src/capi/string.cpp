#include <string>

#include "capi/Handles.h"
#include "core/String.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

plix_handle plix_string_create(void) {
    return guard<plix_handle>(0, [] { return to(new String); });
}

void plix_string_destroy(plix_handle self) {
    delete from<String>(self);
}

const char* plix_string_get_text(plix_handle self) {
    return self ? from<String>(self)->text.c_str() : "";
}
