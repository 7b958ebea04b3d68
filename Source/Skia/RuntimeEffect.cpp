#include "Skia/RuntimeEffect.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Skia/API.h"
#include "Skia/Marshal.h"
#include "Skia/String.h"

namespace Skia {

using Marshal::Ord;
using Ui::TAlphaColorF;
using Ui::TMatrix;
using Ui::TPoint;
using Ui::TPointF;
using ChildType = TSkRuntimeEffectChildType;

namespace {

constexpr int32_t Components[] = {1, 2, 3, 4, 4, 9, 16, 1, 2, 3, 4};

using MakeFn = plix_handle (*)(const char*, plix_handle);

// An owning wrapper of a compiled effect. Should the wrapper not come about, the native
// reference it would have held is dropped.
Ref<ISkRuntimeEffect> Adopt(plix_handle handle) {
    if (!handle) return nullptr;
    try {
        return Wrap<TSkRuntimeEffect>(handle);
    } catch (...) {
        API::plix_refcnt_unref(handle);
        throw;
    }
}

Ref<ISkRuntimeEffect> Compile(MakeFn make, const std::string& sksl, std::string* errorText) {
    if (errorText) errorText->clear();
    if (sksl.empty()) RaiseParameterEmpty("ASKSL");
    if (!errorText) return Adopt(make(sksl.c_str(), 0));
    const Ref<ISkString> error = TSkString::Create();
    Ref<ISkRuntimeEffect> result = Adopt(make(sksl.c_str(), error->GetHandle()));
    *errorText = error->GetText();
    return result;
}

template <class T>
std::span<const float> AsFloats(const T& value) {
    static_assert(sizeof(T) % sizeof(float) == 0);
    return {reinterpret_cast<const float*>(&value), sizeof(T) / sizeof(float)};
}

}  // namespace

int32_t UniformTypeComponents(TSkRuntimeEffectUniformType AType) {
    const auto ordinal = static_cast<uint32_t>(AType);
    return ordinal < std::size(Components) ? Components[ordinal] : 0;
}

// ---- construction ----

TSkRuntimeEffect::TSkRuntimeEffect(NativeUInt AHandle, bool AOwnsHandle) : TSkReferenceCounted(AHandle, AOwnsHandle) {
    FChildren.resize(static_cast<size_t>(std::max(0, GetChildCount())));
    const size_t size = GetUniformDataSize();
    if (size > 0) {
        FUniformData = std::calloc(size, 1);
        if (!FUniformData) RaiseOutOfMemory();
        FUniformDataCapacity = size;
    }
}

TSkRuntimeEffect::~TSkRuntimeEffect() { FreeUniformData(); }

void TSkRuntimeEffect::FreeUniformData() noexcept {
    std::free(FUniformData);
    FUniformData = nullptr;
    FUniformDataCapacity = 0;
}

void TSkRuntimeEffect::__DestroyHandle(NativeUInt AHandle) {
    FreeUniformData();
    TSkReferenceCounted::__DestroyHandle(AHandle);
}

Ref<ISkRuntimeEffect> TSkRuntimeEffect::MakeForBlender(const std::string& ASkSL) {
    return Compile(API::plix_runtimeeffect_make_for_blender, ASkSL, nullptr);
}

Ref<ISkRuntimeEffect> TSkRuntimeEffect::MakeForBlender(const std::string& ASkSL, std::string& AErrorText) {
    return Compile(API::plix_runtimeeffect_make_for_blender, ASkSL, &AErrorText);
}

Ref<ISkRuntimeEffect> TSkRuntimeEffect::MakeForColorFilter(const std::string& ASkSL) {
    return Compile(API::plix_runtimeeffect_make_for_color_filter, ASkSL, nullptr);
}

Ref<ISkRuntimeEffect> TSkRuntimeEffect::MakeForColorFilter(const std::string& ASkSL, std::string& AErrorText) {
    return Compile(API::plix_runtimeeffect_make_for_color_filter, ASkSL, &AErrorText);
}

Ref<ISkRuntimeEffect> TSkRuntimeEffect::MakeForShader(const std::string& ASkSL) {
    return Compile(API::plix_runtimeeffect_make_for_shader, ASkSL, nullptr);
}

Ref<ISkRuntimeEffect> TSkRuntimeEffect::MakeForShader(const std::string& ASkSL, std::string& AErrorText) {
    return Compile(API::plix_runtimeeffect_make_for_shader, ASkSL, &AErrorText);
}

// ---- reflection ----

void TSkRuntimeEffect::CheckUniformIndex(int32_t AIndex) { CheckIndex(AIndex, GetUniformCount(), "AIndex"); }

void TSkRuntimeEffect::CheckChildIndex(int32_t AIndex) {
    CheckIndex(AIndex, GetChildCount(), "AIndex");
    // The slots were sized by the child count at construction; never index past them.
    CheckIndex(AIndex, static_cast<int64_t>(FChildren.size()), "AIndex");
}

bool TSkRuntimeEffect::ChildExists(const std::string& AName) { return IndexOfChild(AName) >= 0; }

int32_t TSkRuntimeEffect::GetChildCount() { return API::plix_runtimeeffect_get_child_count(Handle()); }

std::string TSkRuntimeEffect::GetChildName(int32_t AIndex) {
    CheckChildIndex(AIndex);
    const char* name = API::plix_runtimeeffect_get_child_name(Handle(), AIndex);
    return name ? name : "";
}

TSkRuntimeEffectChildType TSkRuntimeEffect::GetChildType(int32_t AIndex) {
    CheckChildIndex(AIndex);
    return static_cast<ChildType>(API::plix_runtimeeffect_get_child_type(Handle(), AIndex));
}

TSkRuntimeEffectChildType TSkRuntimeEffect::GetChildTypeByName(const std::string& AName) {
    return GetChildType(IndexOfChild(AName));
}

void* TSkRuntimeEffect::GetUniform(int32_t AIndex) {
    return static_cast<uint8_t*>(FUniformData) + GetUniformOffset(AIndex);
}

void* TSkRuntimeEffect::GetUniformByName(const std::string& AName) { return GetUniform(IndexOfUniform(AName)); }

int32_t TSkRuntimeEffect::GetUniformCount() { return API::plix_runtimeeffect_get_uniform_count(Handle()); }

void* TSkRuntimeEffect::GetUniformData() { return FUniformData; }

size_t TSkRuntimeEffect::GetUniformDataSize() { return API::plix_runtimeeffect_get_uniform_data_size(Handle()); }

std::string TSkRuntimeEffect::GetUniformName(int32_t AIndex) {
    CheckUniformIndex(AIndex);
    const char* name = API::plix_runtimeeffect_get_uniform_name(Handle(), AIndex);
    return name ? name : "";
}

size_t TSkRuntimeEffect::GetUniformOffset(int32_t AIndex) {
    CheckUniformIndex(AIndex);
    return API::plix_runtimeeffect_get_uniform_offset(Handle(), AIndex);
}

size_t TSkRuntimeEffect::GetUniformOffsetByName(const std::string& AName) {
    return GetUniformOffset(IndexOfUniform(AName));
}

TSkRuntimeEffectUniformType TSkRuntimeEffect::GetUniformType(int32_t AIndex) {
    CheckUniformIndex(AIndex);
    return static_cast<TSkRuntimeEffectUniformType>(API::plix_runtimeeffect_get_uniform_type(Handle(), AIndex));
}

TSkRuntimeEffectUniformType TSkRuntimeEffect::GetUniformTypeByName(const std::string& AName) {
    return GetUniformType(IndexOfUniform(AName));
}

int32_t TSkRuntimeEffect::GetUniformTypeCount(int32_t AIndex) {
    CheckUniformIndex(AIndex);
    return API::plix_runtimeeffect_get_uniform_type_count(Handle(), AIndex);
}

int32_t TSkRuntimeEffect::GetUniformTypeCountByName(const std::string& AName) {
    return GetUniformTypeCount(IndexOfUniform(AName));
}

int32_t TSkRuntimeEffect::IndexOfChild(const std::string& AName) {
    return API::plix_runtimeeffect_index_of_child(Handle(), AName.c_str());
}

int32_t TSkRuntimeEffect::IndexOfUniform(const std::string& AName) {
    return API::plix_runtimeeffect_index_of_uniform(Handle(), AName.c_str());
}

bool TSkRuntimeEffect::IsUniformTypeOrdinal(int32_t AIndex) {
    switch (GetUniformType(AIndex)) {
        case TSkRuntimeEffectUniformType::Int:
        case TSkRuntimeEffectUniformType::Int2:
        case TSkRuntimeEffectUniformType::Int3:
        case TSkRuntimeEffectUniformType::Int4:
            return true;
        default:
            return false;
    }
}

bool TSkRuntimeEffect::IsUniformTypeOrdinalByName(const std::string& AName) {
    return IsUniformTypeOrdinal(IndexOfUniform(AName));
}

bool TSkRuntimeEffect::UniformExists(const std::string& AName) { return IndexOfUniform(AName) >= 0; }

// ---- children ----

size_t TSkRuntimeEffect::ChildSlot(int32_t AIndex, TSkRuntimeEffectChildType AType) {
    if (GetChildType(AIndex) != AType) RaiseInvalidOperation();
    return static_cast<size_t>(AIndex);
}

void TSkRuntimeEffect::SetChild(int32_t AIndex, TSkRuntimeEffectChildType AType, Ref<ISkObject> AValue) {
    FChildren[ChildSlot(AIndex, AType)] = std::move(AValue);
}

Ref<ISkBlender> TSkRuntimeEffect::GetChildBlender(int32_t AIndex) {
    return FChildren[ChildSlot(AIndex, ChildType::Blender)].As<ISkBlender>();
}

Ref<ISkBlender> TSkRuntimeEffect::GetChildBlenderByName(const std::string& AName) {
    return GetChildBlender(IndexOfChild(AName));
}

Ref<ISkColorFilter> TSkRuntimeEffect::GetChildColorFilter(int32_t AIndex) {
    return FChildren[ChildSlot(AIndex, ChildType::ColorFilter)].As<ISkColorFilter>();
}

Ref<ISkColorFilter> TSkRuntimeEffect::GetChildColorFilterByName(const std::string& AName) {
    return GetChildColorFilter(IndexOfChild(AName));
}

Ref<ISkShader> TSkRuntimeEffect::GetChildShader(int32_t AIndex) {
    return FChildren[ChildSlot(AIndex, ChildType::Shader)].As<ISkShader>();
}

Ref<ISkShader> TSkRuntimeEffect::GetChildShaderByName(const std::string& AName) {
    return GetChildShader(IndexOfChild(AName));
}

void TSkRuntimeEffect::SetChildBlender(int32_t AIndex, const Ref<ISkBlender>& AValue) {
    SetChild(AIndex, ChildType::Blender, Ref<ISkObject>(AValue.get()));
}

void TSkRuntimeEffect::SetChildBlenderByName(const std::string& AName, const Ref<ISkBlender>& AValue) {
    SetChildBlender(IndexOfChild(AName), AValue);
}

void TSkRuntimeEffect::SetChildColorFilter(int32_t AIndex, const Ref<ISkColorFilter>& AValue) {
    SetChild(AIndex, ChildType::ColorFilter, Ref<ISkObject>(AValue.get()));
}

void TSkRuntimeEffect::SetChildColorFilterByName(const std::string& AName, const Ref<ISkColorFilter>& AValue) {
    SetChildColorFilter(IndexOfChild(AName), AValue);
}

void TSkRuntimeEffect::SetChildShader(int32_t AIndex, const Ref<ISkShader>& AValue) {
    SetChild(AIndex, ChildType::Shader, Ref<ISkObject>(AValue.get()));
}

void TSkRuntimeEffect::SetChildShaderByName(const std::string& AName, const Ref<ISkShader>& AValue) {
    SetChildShader(IndexOfChild(AName), AValue);
}

// ---- making ----

// Unset children cross as 0.
std::vector<plix_handle> TSkRuntimeEffect::ChildHandles() const {
    std::vector<plix_handle> handles(FChildren.size());
    for (size_t i = 0; i < FChildren.size(); ++i) handles[i] = HandleOrZero(FChildren[i]);
    return handles;
}

Ref<ISkBlender> TSkRuntimeEffect::MakeBlender() {
    const std::vector<plix_handle> children = ChildHandles();
    return WrapOrNil<TSkBlender>(
        API::plix_runtimeeffect_make_blender(Handle(), FUniformData, Marshal::DataOrNil<plix_handle>(children)));
}

Ref<ISkColorFilter> TSkRuntimeEffect::MakeColorFilter() {
    const std::vector<plix_handle> children = ChildHandles();
    return WrapOrNil<TSkColorFilter>(
        API::plix_runtimeeffect_make_color_filter(Handle(), FUniformData, Marshal::DataOrNil<plix_handle>(children)));
}

Ref<ISkImage> TSkRuntimeEffect::MakeImage(const TSkImageInfo& AImageInfo, bool AMipmapped,
                                          const Ref<IGrDirectContext>& AContext) {
    const std::vector<plix_handle> children = ChildHandles();
    const plix_imageinfo info = AImageInfo.ToNative();
    return WrapOrNil<TSkImage>(API::plix_runtimeeffect_make_image(Handle(), HandleOrZero(AContext), FUniformData,
                                                                  Marshal::DataOrNil<plix_handle>(children), nullptr,
                                                                  &info, AMipmapped));
}

Ref<ISkImage> TSkRuntimeEffect::MakeImage(const TSkImageInfo& AImageInfo, const TMatrix& ALocalMatrix,
                                          bool AMipmapped, const Ref<IGrDirectContext>& AContext) {
    const std::vector<plix_handle> children = ChildHandles();
    const plix_imageinfo info = AImageInfo.ToNative();
    const plix_matrix matrix = Marshal::ToNative(ALocalMatrix);
    return WrapOrNil<TSkImage>(API::plix_runtimeeffect_make_image(Handle(), HandleOrZero(AContext), FUniformData,
                                                                  Marshal::DataOrNil<plix_handle>(children), &matrix,
                                                                  &info, AMipmapped));
}

Ref<ISkShader> TSkRuntimeEffect::MakeShader() {
    const std::vector<plix_handle> children = ChildHandles();
    return WrapOrNil<TSkShader>(API::plix_runtimeeffect_make_shader(Handle(), FUniformData,
                                                                    Marshal::DataOrNil<plix_handle>(children), nullptr));
}

Ref<ISkShader> TSkRuntimeEffect::MakeShader(const TMatrix& ALocalMatrix) {
    const std::vector<plix_handle> children = ChildHandles();
    const plix_matrix matrix = Marshal::ToNative(ALocalMatrix);
    return WrapOrNil<TSkShader>(API::plix_runtimeeffect_make_shader(Handle(), FUniformData,
                                                                    Marshal::DataOrNil<plix_handle>(children), &matrix));
}

// ---- uniforms ----

void TSkRuntimeEffect::WriteUniform(size_t AOffset, const void* AData, size_t ASize) {
    if (ASize > 0 && !AData) RaiseParameterNil("AData");
    // Checked without forming AOffset + ASize, which could wrap around; and never past what was
    // allocated.
    const size_t size = std::min(GetUniformDataSize(), FUniformDataCapacity);
    if (ASize > size || AOffset > size - ASize) RaiseOutOfMemory();
    if (ASize > 0) std::memcpy(static_cast<uint8_t*>(FUniformData) + AOffset, AData, ASize);
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const void* AData, size_t ASize) {
    const TSkRuntimeEffectUniformType type = GetUniformType(AIndex);
    const int64_t elements = std::max(0, GetUniformTypeCount(AIndex));
    const auto expected = static_cast<uint64_t>(UniformTypeComponents(type)) * static_cast<uint64_t>(elements) * 4u;
    if (ASize != expected) RaiseInvalidOperation();
    WriteUniform(GetUniformOffset(AIndex), AData, ASize);
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, int32_t AValue) {
    if (IsUniformTypeOrdinal(AIndex))
        SetUniform(AIndex, &AValue, sizeof AValue);
    else
        SetUniform(AIndex, static_cast<float>(AValue));
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, std::span<const int32_t> AValue) {
    if (IsUniformTypeOrdinal(AIndex)) {
        SetUniform(AIndex, AValue.data(), AValue.size_bytes());
    } else {
        const std::vector<float> floats(AValue.begin(), AValue.end());
        SetUniform(AIndex, std::span<const float>(floats));
    }
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TPoint& AValue) {
    if (IsUniformTypeOrdinal(AIndex)) {
        const TSkRuntimeEffectInt2 value{AValue.X, AValue.Y};
        SetUniform(AIndex, &value, sizeof value);
    } else {
        SetUniform(AIndex, TSkRuntimeEffectFloat2{float(AValue.X), float(AValue.Y)});
    }
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectInt2& AValue) {
    if (IsUniformTypeOrdinal(AIndex))
        SetUniform(AIndex, &AValue, sizeof AValue);
    else
        SetUniform(AIndex, TSkRuntimeEffectFloat2{float(AValue.V1), float(AValue.V2)});
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectInt3& AValue) {
    if (IsUniformTypeOrdinal(AIndex))
        SetUniform(AIndex, &AValue, sizeof AValue);
    else
        SetUniform(AIndex, TSkRuntimeEffectFloat3{float(AValue.V1), float(AValue.V2), float(AValue.V3)});
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectInt4& AValue) {
    if (IsUniformTypeOrdinal(AIndex))
        SetUniform(AIndex, &AValue, sizeof AValue);
    else
        SetUniform(AIndex,
                   TSkRuntimeEffectFloat4{float(AValue.V1), float(AValue.V2), float(AValue.V3), float(AValue.V4)});
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, float AValue) { SetUniform(AIndex, &AValue, sizeof AValue); }

void TSkRuntimeEffect::SetUniform(int32_t AIndex, std::span<const float> AValue) {
    SetUniform(AIndex, static_cast<const void*>(AValue.data()), AValue.size_bytes());
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TPointF& AValue) { SetUniform(AIndex, AsFloats(AValue)); }
void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TAlphaColorF& AValue) { SetUniform(AIndex, AsFloats(AValue)); }

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat2& AValue) {
    SetUniform(AIndex, AsFloats(AValue));
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat3& AValue) {
    SetUniform(AIndex, AsFloats(AValue));
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat4& AValue) {
    SetUniform(AIndex, AsFloats(AValue));
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat2x2& AValue) {
    SetUniform(AIndex, AsFloats(AValue));
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat3x3& AValue) {
    SetUniform(AIndex, AsFloats(AValue));
}

void TSkRuntimeEffect::SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat4x4& AValue) {
    SetUniform(AIndex, AsFloats(AValue));
}

// By name: the by-index form at the name's index (-1 when the program lacks it).

void TSkRuntimeEffect::SetUniform(const std::string& AName, const void* AData, size_t ASize) {
    SetUniform(IndexOfUniform(AName), AData, ASize);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, int32_t AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, std::span<const int32_t> AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TPoint& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectInt2& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectInt3& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectInt4& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, float AValue) { SetUniform(IndexOfUniform(AName), AValue); }

void TSkRuntimeEffect::SetUniform(const std::string& AName, std::span<const float> AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TPointF& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TAlphaColorF& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectFloat2& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectFloat3& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectFloat4& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectFloat2x2& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectFloat3x3& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

void TSkRuntimeEffect::SetUniform(const std::string& AName, const TSkRuntimeEffectFloat4x4& AValue) {
    SetUniform(IndexOfUniform(AName), AValue);
}

}  // namespace Skia
