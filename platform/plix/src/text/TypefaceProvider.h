// Typefaces a program registered under family names, matched by family and style.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/RefCnt.h"
#include "text/Typeface.h"

namespace plix {

class TypefaceProvider final : public RefCnt {
public:
    // Under the typeface's own family name when family is null; empty names are refused.
    bool registerTypeface(sp<Typeface> typeface, const char* family = nullptr);
    // The closest registered face of the family (names compare without case); null when none.
    sp<Typeface> match(const std::string& family, const FontStyle& style) const;
    std::vector<std::string> familyNames() const;

private:
    mutable std::mutex fMutex;
    std::unordered_map<std::string, std::vector<sp<Typeface>>> fFamilies;  // by lower-case name
    std::vector<std::string> fNames;  // as first registered
};

}  // namespace plix
