#include "Skia/Picture.h"

#include "Skia/API.h"
#include "Skia/Canvas.h"
#include "Skia/Marshal.h"
#include "Skia/Stream.h"

namespace Skia {

using Marshal::Ord;
using Marshal::ToNative;

Ref<ISkPicture> TSkPicture::MakeFromStream(Ui::TStream& AStream) {
    const Ref<ISkStream> stream = TSkStreamAdapter::Create(AStream);
    return WrapOrNil<TSkPicture>(API::plix_picture_make_from_stream(stream->GetHandle()));
}

size_t TSkPicture::ApproximateBytesUsed() { return API::plix_picture_approximate_bytes_used(Handle()); }

int32_t TSkPicture::ApproximateOperationCount(bool ANested) {
    return API::plix_picture_approximate_op_count(Handle(), ANested);
}

Ui::TRectF TSkPicture::GetCullRect() {
    plix_rect rect{};
    API::plix_picture_get_cull_rect(Handle(), &rect);
    return Marshal::FromNative(rect);
}

Ref<ISkShader> TSkPicture::Shader(TSkTileMode ATileModeX, TSkTileMode ATileModeY, TSkFilterMode AFilterMode,
                                  const Ui::TMatrix* ALocalMatrix, const Ui::TRectF* ATileRect) {
    const plix_matrix matrix = ALocalMatrix ? ToNative(*ALocalMatrix) : plix_matrix{};
    const plix_rect tileRect = ATileRect ? ToNative(*ATileRect) : plix_rect{};
    return WrapOrNil<TSkShader>(API::plix_picture_make_shader(Handle(), Ord(ATileModeX), Ord(ATileModeY),
                                                              Ord(AFilterMode), ALocalMatrix ? &matrix : nullptr,
                                                              ATileRect ? &tileRect : nullptr));
}

Ref<ISkShader> TSkPicture::MakeShader(TSkTileMode ATileModeX, TSkTileMode ATileModeY, TSkFilterMode AFilterMode) {
    return Shader(ATileModeX, ATileModeY, AFilterMode, nullptr, nullptr);
}

Ref<ISkShader> TSkPicture::MakeShader(const Ui::TRectF& ATileRect, TSkTileMode ATileModeX, TSkTileMode ATileModeY,
                                      TSkFilterMode AFilterMode) {
    return Shader(ATileModeX, ATileModeY, AFilterMode, nullptr, &ATileRect);
}

Ref<ISkShader> TSkPicture::MakeShader(const Ui::TMatrix& ALocalMatrix, TSkTileMode ATileModeX, TSkTileMode ATileModeY,
                                      TSkFilterMode AFilterMode) {
    return Shader(ATileModeX, ATileModeY, AFilterMode, &ALocalMatrix, nullptr);
}

Ref<ISkShader> TSkPicture::MakeShader(const Ui::TRectF& ATileRect, const Ui::TMatrix& ALocalMatrix,
                                      TSkTileMode ATileModeX, TSkTileMode ATileModeY, TSkFilterMode AFilterMode) {
    return Shader(ATileModeX, ATileModeY, AFilterMode, &ALocalMatrix, &ATileRect);
}

void TSkPicture::Playback(const Ref<ISkCanvas>& ACanvas) {
    CheckNotNil(ACanvas, "ACanvas");
    API::plix_picture_playback(Handle(), ACanvas->GetHandle());
}

void TSkPicture::SerializeToStream(Ui::TStream& AStream) {
    const Ref<ISkWStream> stream = TSkWStreamAdapter::Create(AStream);
    API::plix_picture_serialize_to_stream(Handle(), stream->GetHandle());
}

}  // namespace Skia
