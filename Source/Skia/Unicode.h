// Unicode services of the native side: break positions (words, graphemes, lines), code points
// and bidi regions of text. Text crosses as UTF-16; positions are UTF-16 code units.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "Skia/Enumerable.h"
#include "Skia/Object.h"

namespace Skia {

enum class TSkUnicodeBreakType : int32_t { Words, Graphemes, Lines };
enum class TSkDirection : int32_t { LeftToRight, RightToLeft };

struct TSkUnicodeBreakIteratorElem {
    int32_t Position = 0;  // code units from the start of the text
    int32_t Status = 0;    // the rule status of the break
};

class ISkUnicodeBreakIterator : public virtual ISkEnumerableOf<TSkUnicodeBreakIteratorElem> {};

class ISkUnicode : public virtual ISkObject {
public:
    // Runs of one embedding level (even: left to right).
    virtual void ForEachBidiRegion(const std::u16string& AText, TSkDirection ADirection,
                                   const std::function<void(int32_t AStart, int32_t AEnd, uint8_t ALevel)>& AProc) = 0;
    virtual void ForEachBreak(const std::u16string& AText, TSkUnicodeBreakType AType,
                              const std::function<void(int32_t APosition, int32_t AStatus)>& AProc) = 0;
    virtual void ForEachCodepoint(const std::u16string& AText,
                                  const std::function<void(int32_t AUnichar, int32_t AStart, int32_t AEnd)>& AProc) = 0;
    // A walk over the breaks after the start of AText (the last is its end); it keeps its own copy.
    virtual Ref<ISkUnicodeBreakIterator> GetBreaks(const std::u16string& AText, TSkUnicodeBreakType AType) = 0;
};

class TSkUnicode : public TSkObject, public virtual ISkUnicode {
public:
    using TSkObject::TSkObject;
    static Ref<ISkUnicode> Create();

    void ForEachBidiRegion(const std::u16string& AText, TSkDirection ADirection,
                           const std::function<void(int32_t, int32_t, uint8_t)>& AProc) override;
    void ForEachBreak(const std::u16string& AText, TSkUnicodeBreakType AType,
                      const std::function<void(int32_t, int32_t)>& AProc) override;
    void ForEachCodepoint(const std::u16string& AText, const std::function<void(int32_t, int32_t, int32_t)>& AProc) override;
    Ref<ISkUnicodeBreakIterator> GetBreaks(const std::u16string& AText, TSkUnicodeBreakType AType) override;

    class TUnicodeBreakIterator : public TSkEnumerable<TSkUnicodeBreakIteratorElem>,
                                  public virtual ISkUnicodeBreakIterator {
    public:
        TUnicodeBreakIterator(NativeUInt AHandle, bool AOwnsHandle, std::unique_ptr<std::u16string> AText)
            : TSkEnumerable(AHandle, AOwnsHandle), FText(std::move(AText)) {}
        bool MoveNext() override;
        TSkUnicodeBreakIteratorElem GetCurrent() override { return FCurrent; }

    protected:
        void __DestroyHandle(NativeUInt AHandle) override;

    private:
        std::unique_ptr<std::u16string> FText;  // the native walk reads it: it must not move
        TSkUnicodeBreakIteratorElem FCurrent;
    };

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
