// Framework streams presented to the native side for reading (TSkStreamAdapter) or writing
// (TSkWStreamAdapter). The adapter does not own the stream: the caller keeps it alive as long as
// the adapter lives.
#pragma once

#include "Skia/Object.h"
#include "plix/plix_types.h"
#include "ui/Stream.h"

namespace Skia {

class ISkStream : public virtual ISkObject {};
class ISkWStream : public virtual ISkObject {};

class TSkStreamAdapter : public TSkObject, public virtual ISkStream {
public:
    using TSkObject::TSkObject;
    static Ref<ISkStream> Create(Ui::TStream& AStream);

    // The callbacks the native side reads through; the context value is the TStream.
    static const plix_streamadapter_procs& Procs();

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

class TSkWStreamAdapter : public TSkObject, public virtual ISkWStream {
public:
    using TSkObject::TSkObject;
    static Ref<ISkWStream> Create(Ui::TStream& AStream);

    // The callback the native side writes through; the context value is the TStream.
    static const plix_wstreamadapter_procs& Procs();

protected:
    void __DestroyHandle(NativeUInt AHandle) override;
};

}  // namespace Skia
