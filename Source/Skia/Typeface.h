// Typefaces (loaded font faces) and typeface font providers (typefaces registered under family
// names for paragraphs), both counted by the native side.
#pragma once

#include <string>

#include "Skia/FontStyle.h"
#include "Skia/Object.h"
#include "ui/Stream.h"

namespace Skia {

class ISkTypeface : public virtual ISkReferenceCounted {
public:
    virtual std::string GetFamilyName() = 0;
    virtual TSkFontSlant GetSlant() = 0;
    virtual TSkFontStyle GetStyle() = 0;
    virtual int32_t GetWeight() = 0;
    virtual int32_t GetWidth() = 0;
    // Weight above 599.
    virtual bool IsBold() = 0;
    // Slant other than upright.
    virtual bool IsItalic() = 0;
};

class TSkTypeface : public TSkReferenceCounted, public virtual ISkTypeface {
public:
    using TSkReferenceCounted::TSkReferenceCounted;

    static Ref<ISkTypeface> MakeDefault();
    static Ref<ISkTypeface> MakeFromFile(const std::string& AFileName, int32_t ATTCIndex = 0);
    // An empty family name asks for the default family.
    static Ref<ISkTypeface> MakeFromName(const std::string& AFamilyName, const TSkFontStyle& AStyle);
    // Reads what it needs from AStream during the call.
    static Ref<ISkTypeface> MakeFromStream(Ui::TStream& AStream, int32_t ATTCIndex = 0);

    std::string GetFamilyName() override;
    TSkFontSlant GetSlant() override;
    TSkFontStyle GetStyle() override;
    int32_t GetWeight() override;
    int32_t GetWidth() override;
    bool IsBold() override;
    bool IsItalic() override;
};

class ISkTypefaceFontProvider : public virtual ISkReferenceCounted {
public:
    // Under the typeface's own family name.
    virtual void RegisterTypeface(const Ref<ISkTypeface>& ATypeface) = 0;
    virtual void RegisterTypeface(const Ref<ISkTypeface>& ATypeface, const std::string& AFamilyName) = 0;
};

class TSkTypefaceFontProvider : public TSkReferenceCounted, public virtual ISkTypefaceFontProvider {
public:
    using TSkReferenceCounted::TSkReferenceCounted;
    static Ref<ISkTypefaceFontProvider> Create();

    void RegisterTypeface(const Ref<ISkTypeface>& ATypeface) override;
    void RegisterTypeface(const Ref<ISkTypeface>& ATypeface, const std::string& AFamilyName) override;
};

}  // namespace Skia
