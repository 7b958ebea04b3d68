// Picture recorders: a canvas whose calls become a picture. The recording canvas belongs to the
// recorder and is good until the recording is finished.
#pragma once

#include "Skia/Canvas.h"
#include "Skia/Object.h"
#include "Skia/Picture.h"
#include "ui/Types.h"

namespace Skia {

class ISkPictureRecorder : public virtual ISkObject {
public:
    // Starts a new recording bounded by ABounds (the picture's cull rect unless finished with one).
    virtual Ref<ISkCanvas> BeginRecording(const Ui::TRectF& ABounds) = 0;
    // The calls since BeginRecording; nil when nothing is being recorded.
    virtual Ref<ISkPicture> FinishRecording() = 0;
    virtual Ref<ISkPicture> FinishRecording(const Ui::TRectF& ACullRect) = 0;
};

class TSkPictureRecorder : public TSkObject, public virtual ISkPictureRecorder {
public:
    using TSkObject::TSkObject;

    static Ref<ISkPictureRecorder> Create();

    Ref<ISkCanvas> BeginRecording(const Ui::TRectF& ABounds) override;
    Ref<ISkPicture> FinishRecording() override;
    Ref<ISkPicture> FinishRecording(const Ui::TRectF& ACullRect) override;

protected:
    void __DestroyHandle(NativeUInt AHandle) override;

private:
    Ref<ISkCanvas> FCanvas;  // the canvas of the current recording
};

}  // namespace Skia
