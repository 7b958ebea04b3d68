// Finding typefaces by family name and style among the system's fonts (fontconfig). Faces are
// loaded once per file and index and shared afterwards.
#pragma once

#include "core/RefCnt.h"
#include "text/FontStyle.h"
#include "text/Typeface.h"

namespace plix {

// The closest face to the family and style; a null or unknown family gives the default family
// (sans-serif) in that style. Null only when the system has no usable font at all.
sp<Typeface> matchFamilyStyle(const char* family, const FontStyle& style);
// The default family in the normal style, loaded once.
sp<Typeface> defaultTypeface();
// A face of the system that has the character, closest to style; null when none has it.
sp<Typeface> matchCharacter(int32_t unichar, const FontStyle& style);

}  // namespace plix
