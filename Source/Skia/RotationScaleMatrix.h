// A rotation and uniform scale followed by a translation: how one atlas sprite or one glyph is
// placed. x' = SCosinus x - SSinus y + TranslateX, y' = SSinus x + SCosinus y + TranslateY.
#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>

#include "plix/plix_types.h"
#include "ui/Types.h"

namespace Skia {

struct TSkRotationScaleMatrix {
    float SCosinus = 1;
    float SSinus = 0;
    float TranslateX = 0;
    float TranslateY = 0;

    constexpr TSkRotationScaleMatrix() = default;
    constexpr TSkRotationScaleMatrix(float ASCosinus, float ASSinus, float ATranslateX, float ATranslateY)
        : SCosinus(ASCosinus), SSinus(ASSinus), TranslateX(ATranslateX), TranslateY(ATranslateY) {}
    static constexpr TSkRotationScaleMatrix Identity() { return {1, 0, 0, 0}; }

    // Scales by AScale and rotates by ARadians about the anchor, which then lands on
    // (ATranslateX, ATranslateY).
    static TSkRotationScaleMatrix CreateRadians(float AScale, float ARadians, float ATranslateX, float ATranslateY,
                                                float AAnchorX = 0, float AAnchorY = 0) {
        const float s = std::sin(ARadians) * AScale;
        const float c = std::cos(ARadians) * AScale;
        return {c, s, ATranslateX - c * AAnchorX + s * AAnchorY, ATranslateY - s * AAnchorX - c * AAnchorY};
    }
    static TSkRotationScaleMatrix CreateDegrees(float AScale, float ADegrees, float ATranslateX, float ATranslateY,
                                                float AAnchorX = 0, float AAnchorY = 0) {
        return CreateRadians(AScale, ADegrees * std::numbers::pi_v<float> / 180, ATranslateX, ATranslateY, AAnchorX,
                             AAnchorY);
    }

    Ui::TMatrix ToMatrix() const {
        Ui::TMatrix m;
        m.m11 = SCosinus;   m.m12 = SSinus;     m.m13 = 0;
        m.m21 = -SSinus;    m.m22 = SCosinus;   m.m23 = 0;
        m.m31 = TranslateX; m.m32 = TranslateY; m.m33 = 1;
        return m;
    }

    // The four fields equal within 1E-40.
    friend bool operator==(const TSkRotationScaleMatrix& a, const TSkRotationScaleMatrix& b) {
        constexpr float Epsilon = 1E-40f;
        return std::fabs(a.SCosinus - b.SCosinus) <= Epsilon && std::fabs(a.SSinus - b.SSinus) <= Epsilon &&
               std::fabs(a.TranslateX - b.TranslateX) <= Epsilon && std::fabs(a.TranslateY - b.TranslateY) <= Epsilon;
    }
};

// Laid out as the native rotation-scale record: arrays of them are passed in place.
static_assert(sizeof(TSkRotationScaleMatrix) == sizeof(plix_rsxform));
static_assert(offsetof(TSkRotationScaleMatrix, TranslateY) == offsetof(plix_rsxform, ty));

}  // namespace Skia
