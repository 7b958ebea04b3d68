// A native text buffer that the native side fills (error messages).
#pragma once

#include <string>

#include "Skia/Object.h"

namespace Skia {

class ISkString : public virtual ISkObject {
public:
    virtual std::string GetText() = 0;
};

class TSkString : public TSkObject, public virtual ISkString {
public:
    using TSkObject::TSkObject;
    // A new, empty native string.
    static Ref<ISkString> Create();

    std::string GetText() override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
