#include "Skia/PictureRecorder.h"

#include "Skia/API.h"
#include "Skia/Marshal.h"

namespace Skia {

Ref<ISkPictureRecorder> TSkPictureRecorder::Create() {
    return WrapCreated<TSkPictureRecorder>(API::plix_picturerecorder_create());
}

Ref<ISkCanvas> TSkPictureRecorder::BeginRecording(const Ui::TRectF& ABounds) {
    const plix_rect bounds = Marshal::ToNative(ABounds);
    FCanvas = WrapOrNil<TSkCanvas>(API::plix_picturerecorder_begin_recording(Handle(), &bounds), false);
    return FCanvas;
}

Ref<ISkPicture> TSkPictureRecorder::FinishRecording() {
    FCanvas = nullptr;
    return WrapOrNil<TSkPicture>(API::plix_picturerecorder_finish_recording(Handle()));
}

Ref<ISkPicture> TSkPictureRecorder::FinishRecording(const Ui::TRectF& ACullRect) {
    FCanvas = nullptr;
    const plix_rect cull = Marshal::ToNative(ACullRect);
    return WrapOrNil<TSkPicture>(API::plix_picturerecorder_finish_recording2(Handle(), &cull));
}

void TSkPictureRecorder::__DestroyHandle(NativeUInt AHandle) { API::plix_picturerecorder_destroy(AHandle); }

}  // namespace Skia
