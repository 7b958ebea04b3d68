#include "capi/TextHandles.h"
#include "plix/plix.h"
#include "text/TypefaceProvider.h"

using namespace plix;
using namespace plix::capi;

plix_handle plix_typefacefontprovider_create(void) {
    return guard<plix_handle>(0, [] { return to(make_sp<TypefaceProvider>()); });
}

void plix_typefacefontprovider_register_typeface(plix_handle self, plix_handle typeface) {
    if (!self || !typeface) return;
    guard([&] { from<TypefaceProvider>(self)->registerTypeface(sp_ref(from<Typeface>(typeface))); });
}

void plix_typefacefontprovider_register_typeface2(plix_handle self, plix_handle typeface, const char* family_name) {
    if (!self || !typeface || !family_name || !*family_name) return;
    guard([&] { from<TypefaceProvider>(self)->registerTypeface(sp_ref(from<Typeface>(typeface)), family_name); });
}
