#include "capi/Handles.h"
#include "core/IccProfile.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {
const IccProfile* icc(plix_handle h) { return from<IccProfile>(h); }
}  // namespace

plix_handle plix_colorspaceiccprofile_make_with_parse(const void* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    return guard<plix_handle>(0, [&] { return to(IccProfile::Parse(buffer, size).release()); });
}

void plix_colorspaceiccprofile_destroy(plix_handle self) { delete from<IccProfile>(self); }

const uint8_t* plix_colorspaceiccprofile_get_buffer(plix_handle self, size_t* size) {
    if (!self) {
        if (size) *size = 0;
        return nullptr;
    }
    if (size) *size = icc(self)->bytes().size();
    return icc(self)->bytes().data();
}

bool plix_colorspaceiccprofile_to_xyz(plix_handle self, plix_colorspace_xyz* xyz) {
    Matrix3 m;
    if (!self || !xyz || !icc(self)->toXYZD50(&m)) return false;
    *xyz = {m.m[0], m.m[1], m.m[2], m.m[3], m.m[4], m.m[5], m.m[6], m.m[7], m.m[8]};
    return true;
}

plix_handle plix_colorspace_make(plix_handle profile) {
    if (!profile) return 0;
    return guard<plix_handle>(0, [&] { return to(icc(profile)->makeColorSpace()); });
}

plix_handle plix_colorspace_to_profile(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(IccProfile::FromColorSpace(*from<ColorSpace>(self)).release()); });
}
