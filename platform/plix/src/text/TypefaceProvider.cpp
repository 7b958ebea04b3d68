#include "text/TypefaceProvider.h"

#include <cctype>

namespace plix {

namespace {
std::string lower(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = char(std::tolower(static_cast<unsigned char>(c)));
    return r;
}
}  // namespace

bool TypefaceProvider::registerTypeface(sp<Typeface> typeface, const char* family) {
    if (!typeface) return false;
    const std::string name = family ? std::string(family) : typeface->familyName();
    if (name.empty()) return false;
    std::lock_guard<std::mutex> lock(fMutex);
    auto& faces = fFamilies[lower(name)];
    if (faces.empty()) fNames.push_back(name);
    for (const auto& f : faces)
        if (f.get() == typeface.get()) return true;
    faces.push_back(std::move(typeface));
    return true;
}

sp<Typeface> TypefaceProvider::match(const std::string& family, const FontStyle& style) const {
    std::lock_guard<std::mutex> lock(fMutex);
    auto it = fFamilies.find(lower(family));
    if (it == fFamilies.end()) return nullptr;
    sp<Typeface> best;
    int64_t bestDistance = INT64_MAX;
    for (const auto& f : it->second) {
        const int64_t d = styleDistance(style, f->style());
        if (d < bestDistance) bestDistance = d, best = f;
    }
    return best;
}

std::vector<std::string> TypefaceProvider::familyNames() const {
    std::lock_guard<std::mutex> lock(fMutex);
    return fNames;
}

}  // namespace plix
