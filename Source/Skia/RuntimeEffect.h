// Runtime effects (reference-counted): SkSL programs compiled by the native library, made into
// shaders, colour filters, blenders or images.
//
// The wrapper keeps the uniform values in a zeroed buffer of its own (allocated once, of the
// program's uniform data size) and the children in an array of its own (one slot per child of
// the program), and hands both to the native side on every make, which copies the bytes and
// references the children. So an effect can be set up and made from again and again (the game
// host does so every frame) while what it made lives on independently.
//
// Values are accepted exactly when their byte count is components x elements x 4 of the
// uniform. Integer-valued kinds given to a float uniform are converted to floats first;
// float-valued kinds are never converted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Skia/Blender.h"
#include "Skia/ColorFilter.h"
#include "Skia/Enums.h"
#include "Skia/GrDirectContext.h"
#include "Skia/Image.h"
#include "Skia/ImageInfo.h"
#include "Skia/Object.h"
#include "Skia/Shader.h"
#include "ui/Types.h"

namespace Skia {

// ---- uniform value records: 4-byte fields in this order, also readable as an array ----

struct TSkRuntimeEffectFloat2 { float V1 = 0, V2 = 0; std::array<float, 2> Values() const { return {V1, V2}; } };
struct TSkRuntimeEffectFloat3 { float V1 = 0, V2 = 0, V3 = 0; std::array<float, 3> Values() const { return {V1, V2, V3}; } };
struct TSkRuntimeEffectFloat4 {
    float V1 = 0, V2 = 0, V3 = 0, V4 = 0;
    std::array<float, 4> Values() const { return {V1, V2, V3, V4}; }
};
struct TSkRuntimeEffectFloat2x2 {
    float V11 = 0, V12 = 0, V21 = 0, V22 = 0;
    std::array<float, 4> Values() const { return {V11, V12, V21, V22}; }
};
struct TSkRuntimeEffectFloat3x3 {
    float V11 = 0, V12 = 0, V13 = 0, V21 = 0, V22 = 0, V23 = 0, V31 = 0, V32 = 0, V33 = 0;
    std::array<float, 9> Values() const { return {V11, V12, V13, V21, V22, V23, V31, V32, V33}; }
};
// Row by row.
struct TSkRuntimeEffectFloat4x4 {
    float V11 = 0, V12 = 0, V13 = 0, V14 = 0, V21 = 0, V22 = 0, V23 = 0, V24 = 0;
    float V31 = 0, V32 = 0, V33 = 0, V34 = 0, V41 = 0, V42 = 0, V43 = 0, V44 = 0;
    std::array<float, 16> Values() const {
        return {V11, V12, V13, V14, V21, V22, V23, V24, V31, V32, V33, V34, V41, V42, V43, V44};
    }
};
struct TSkRuntimeEffectInt2 { int32_t V1 = 0, V2 = 0; std::array<int32_t, 2> Values() const { return {V1, V2}; } };
struct TSkRuntimeEffectInt3 {
    int32_t V1 = 0, V2 = 0, V3 = 0;
    std::array<int32_t, 3> Values() const { return {V1, V2, V3}; }
};
struct TSkRuntimeEffectInt4 {
    int32_t V1 = 0, V2 = 0, V3 = 0, V4 = 0;
    std::array<int32_t, 4> Values() const { return {V1, V2, V3, V4}; }
};

static_assert(sizeof(TSkRuntimeEffectFloat2) == 8 && sizeof(TSkRuntimeEffectFloat3) == 12);
static_assert(sizeof(TSkRuntimeEffectFloat4) == 16 && sizeof(TSkRuntimeEffectFloat2x2) == 16);
static_assert(sizeof(TSkRuntimeEffectFloat3x3) == 36 && sizeof(TSkRuntimeEffectFloat4x4) == 64);
static_assert(sizeof(TSkRuntimeEffectInt2) == 8 && sizeof(TSkRuntimeEffectInt3) == 12);
static_assert(sizeof(TSkRuntimeEffectInt4) == 16);
static_assert(sizeof(Ui::TPoint) == 8 && sizeof(Ui::TPointF) == 8 && sizeof(Ui::TAlphaColorF) == 16);

// 4-byte components of one element of a uniform of type AType (0 for an unknown type).
int32_t UniformTypeComponents(TSkRuntimeEffectUniformType AType);

class ISkRuntimeEffect : public virtual ISkReferenceCounted {
public:
    using TAlphaColorF = Ui::TAlphaColorF;
    using TMatrix = Ui::TMatrix;
    using TPoint = Ui::TPoint;
    using TPointF = Ui::TPointF;

    // Every by-index operation raises ESkArgumentException "Parameter AIndex out of range ..."
    // for an index outside 0 .. count - 1; a by-name operation is the by-index one applied to the
    // index of the name, which is -1 for a name the program lacks.
    virtual bool ChildExists(const std::string& AName) = 0;
    virtual Ref<ISkColorFilter> GetChildColorFilter(int32_t AIndex) = 0;
    virtual Ref<ISkColorFilter> GetChildColorFilterByName(const std::string& AName) = 0;
    virtual int32_t GetChildCount() = 0;
    virtual std::string GetChildName(int32_t AIndex) = 0;
    virtual Ref<ISkBlender> GetChildBlender(int32_t AIndex) = 0;
    virtual Ref<ISkBlender> GetChildBlenderByName(const std::string& AName) = 0;
    // The child set for the slot, nil when unset; ESkException "Operation is invalid" when the
    // slot holds another kind of child.
    virtual Ref<ISkShader> GetChildShader(int32_t AIndex) = 0;
    virtual Ref<ISkShader> GetChildShaderByName(const std::string& AName) = 0;
    virtual TSkRuntimeEffectChildType GetChildType(int32_t AIndex) = 0;
    virtual TSkRuntimeEffectChildType GetChildTypeByName(const std::string& AName) = 0;
    // The uniform's address inside the uniform buffer.
    virtual void* GetUniform(int32_t AIndex) = 0;
    virtual void* GetUniformByName(const std::string& AName) = 0;
    virtual int32_t GetUniformCount() = 0;
    // The uniform buffer; null when the program has no uniforms.
    virtual void* GetUniformData() = 0;
    // In bytes.
    virtual size_t GetUniformDataSize() = 0;
    virtual std::string GetUniformName(int32_t AIndex) = 0;
    // Byte offset in the uniform buffer.
    virtual size_t GetUniformOffset(int32_t AIndex) = 0;
    virtual size_t GetUniformOffsetByName(const std::string& AName) = 0;
    virtual TSkRuntimeEffectUniformType GetUniformType(int32_t AIndex) = 0;
    virtual TSkRuntimeEffectUniformType GetUniformTypeByName(const std::string& AName) = 0;
    // Number of elements: the array length, 1 for a non-array.
    virtual int32_t GetUniformTypeCount(int32_t AIndex) = 0;
    virtual int32_t GetUniformTypeCountByName(const std::string& AName) = 0;
    // Negative when the program declares no such child or uniform.
    virtual int32_t IndexOfChild(const std::string& AName) = 0;
    virtual int32_t IndexOfUniform(const std::string& AName) = 0;
    // Int, Int2, Int3 or Int4.
    virtual bool IsUniformTypeOrdinal(int32_t AIndex) = 0;
    virtual bool IsUniformTypeOrdinalByName(const std::string& AName) = 0;
    // Makes take a snapshot of the uniform values and children; nil when the native make fails.
    virtual Ref<ISkBlender> MakeBlender() = 0;
    virtual Ref<ISkColorFilter> MakeColorFilter() = 0;
    // Renders into a new image of AImageInfo, on the CPU when AContext is nil.
    virtual Ref<ISkImage> MakeImage(const TSkImageInfo& AImageInfo, bool AMipmapped = false,
                                    const Ref<IGrDirectContext>& AContext = nullptr) = 0;
    virtual Ref<ISkImage> MakeImage(const TSkImageInfo& AImageInfo, const TMatrix& ALocalMatrix,
                                    bool AMipmapped = false, const Ref<IGrDirectContext>& AContext = nullptr) = 0;
    virtual Ref<ISkShader> MakeShader() = 0;
    virtual Ref<ISkShader> MakeShader(const TMatrix& ALocalMatrix) = 0;
    // Stores the child for the slot (nil clears it); ESkException "Operation is invalid" when the
    // slot is of another kind.
    virtual void SetChildBlender(int32_t AIndex, const Ref<ISkBlender>& AValue) = 0;
    virtual void SetChildBlenderByName(const std::string& AName, const Ref<ISkBlender>& AValue) = 0;
    virtual void SetChildColorFilter(int32_t AIndex, const Ref<ISkColorFilter>& AValue) = 0;
    virtual void SetChildColorFilterByName(const std::string& AName, const Ref<ISkColorFilter>& AValue) = 0;
    virtual void SetChildShader(int32_t AIndex, const Ref<ISkShader>& AValue) = 0;
    virtual void SetChildShaderByName(const std::string& AName, const Ref<ISkShader>& AValue) = 0;
    // ESkException "Operation is invalid" when the size is not the uniform's; the buffer is then
    // unchanged.
    virtual void SetUniform(int32_t AIndex, const void* AData, size_t ASize) = 0;
    virtual void SetUniform(int32_t AIndex, int32_t AValue) = 0;
    virtual void SetUniform(int32_t AIndex, std::span<const int32_t> AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TPoint& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectInt2& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectInt3& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectInt4& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, float AValue) = 0;
    virtual void SetUniform(int32_t AIndex, std::span<const float> AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TPointF& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TAlphaColorF& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat2& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat3& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat4& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat2x2& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat3x3& AValue) = 0;
    virtual void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat4x4& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const void* AData, size_t ASize) = 0;
    virtual void SetUniform(const std::string& AName, int32_t AValue) = 0;
    virtual void SetUniform(const std::string& AName, std::span<const int32_t> AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TPoint& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectInt2& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectInt3& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectInt4& AValue) = 0;
    virtual void SetUniform(const std::string& AName, float AValue) = 0;
    virtual void SetUniform(const std::string& AName, std::span<const float> AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TPointF& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TAlphaColorF& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat2& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat3& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat4& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat2x2& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat3x3& AValue) = 0;
    virtual void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat4x4& AValue) = 0;
    virtual bool UniformExists(const std::string& AName) = 0;
    // Copies ASize bytes to AOffset in the buffer; ESkException "Out of memory" when they would
    // not fit, leaving the buffer unchanged.
    virtual void WriteUniform(size_t AOffset, const void* AData, size_t ASize) = 0;
};

class TSkRuntimeEffect : public TSkReferenceCounted, public virtual ISkRuntimeEffect {
public:
    // Sizes the children array and allocates the zeroed uniform buffer.
    TSkRuntimeEffect(NativeUInt AHandle, bool AOwnsHandle);

    // Compile ASkSL; nil when it does not compile. The overloads with AErrorText give the
    // compiler's message there (empty on success). An empty source raises
    // "Parameter ASKSL cannot be empty".
    static Ref<ISkRuntimeEffect> MakeForBlender(const std::string& ASkSL);
    static Ref<ISkRuntimeEffect> MakeForBlender(const std::string& ASkSL, std::string& AErrorText);
    static Ref<ISkRuntimeEffect> MakeForColorFilter(const std::string& ASkSL);
    static Ref<ISkRuntimeEffect> MakeForColorFilter(const std::string& ASkSL, std::string& AErrorText);
    static Ref<ISkRuntimeEffect> MakeForShader(const std::string& ASkSL);
    static Ref<ISkRuntimeEffect> MakeForShader(const std::string& ASkSL, std::string& AErrorText);

    bool ChildExists(const std::string& AName) override;
    Ref<ISkColorFilter> GetChildColorFilter(int32_t AIndex) override;
    Ref<ISkColorFilter> GetChildColorFilterByName(const std::string& AName) override;
    int32_t GetChildCount() override;
    std::string GetChildName(int32_t AIndex) override;
    Ref<ISkBlender> GetChildBlender(int32_t AIndex) override;
    Ref<ISkBlender> GetChildBlenderByName(const std::string& AName) override;
    Ref<ISkShader> GetChildShader(int32_t AIndex) override;
    Ref<ISkShader> GetChildShaderByName(const std::string& AName) override;
    TSkRuntimeEffectChildType GetChildType(int32_t AIndex) override;
    TSkRuntimeEffectChildType GetChildTypeByName(const std::string& AName) override;
    void* GetUniform(int32_t AIndex) override;
    void* GetUniformByName(const std::string& AName) override;
    int32_t GetUniformCount() override;
    void* GetUniformData() override;
    size_t GetUniformDataSize() override;
    std::string GetUniformName(int32_t AIndex) override;
    size_t GetUniformOffset(int32_t AIndex) override;
    size_t GetUniformOffsetByName(const std::string& AName) override;
    TSkRuntimeEffectUniformType GetUniformType(int32_t AIndex) override;
    TSkRuntimeEffectUniformType GetUniformTypeByName(const std::string& AName) override;
    int32_t GetUniformTypeCount(int32_t AIndex) override;
    int32_t GetUniformTypeCountByName(const std::string& AName) override;
    int32_t IndexOfChild(const std::string& AName) override;
    int32_t IndexOfUniform(const std::string& AName) override;
    bool IsUniformTypeOrdinal(int32_t AIndex) override;
    bool IsUniformTypeOrdinalByName(const std::string& AName) override;
    Ref<ISkBlender> MakeBlender() override;
    Ref<ISkColorFilter> MakeColorFilter() override;
    Ref<ISkImage> MakeImage(const TSkImageInfo& AImageInfo, bool AMipmapped,
                            const Ref<IGrDirectContext>& AContext) override;
    Ref<ISkImage> MakeImage(const TSkImageInfo& AImageInfo, const TMatrix& ALocalMatrix, bool AMipmapped,
                            const Ref<IGrDirectContext>& AContext) override;
    Ref<ISkShader> MakeShader() override;
    Ref<ISkShader> MakeShader(const TMatrix& ALocalMatrix) override;
    void SetChildBlender(int32_t AIndex, const Ref<ISkBlender>& AValue) override;
    void SetChildBlenderByName(const std::string& AName, const Ref<ISkBlender>& AValue) override;
    void SetChildColorFilter(int32_t AIndex, const Ref<ISkColorFilter>& AValue) override;
    void SetChildColorFilterByName(const std::string& AName, const Ref<ISkColorFilter>& AValue) override;
    void SetChildShader(int32_t AIndex, const Ref<ISkShader>& AValue) override;
    void SetChildShaderByName(const std::string& AName, const Ref<ISkShader>& AValue) override;
    void SetUniform(int32_t AIndex, const void* AData, size_t ASize) override;
    void SetUniform(int32_t AIndex, int32_t AValue) override;
    void SetUniform(int32_t AIndex, std::span<const int32_t> AValue) override;
    void SetUniform(int32_t AIndex, const TPoint& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectInt2& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectInt3& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectInt4& AValue) override;
    void SetUniform(int32_t AIndex, float AValue) override;
    void SetUniform(int32_t AIndex, std::span<const float> AValue) override;
    void SetUniform(int32_t AIndex, const TPointF& AValue) override;
    void SetUniform(int32_t AIndex, const TAlphaColorF& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat2& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat3& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat4& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat2x2& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat3x3& AValue) override;
    void SetUniform(int32_t AIndex, const TSkRuntimeEffectFloat4x4& AValue) override;
    void SetUniform(const std::string& AName, const void* AData, size_t ASize) override;
    void SetUniform(const std::string& AName, int32_t AValue) override;
    void SetUniform(const std::string& AName, std::span<const int32_t> AValue) override;
    void SetUniform(const std::string& AName, const TPoint& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectInt2& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectInt3& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectInt4& AValue) override;
    void SetUniform(const std::string& AName, float AValue) override;
    void SetUniform(const std::string& AName, std::span<const float> AValue) override;
    void SetUniform(const std::string& AName, const TPointF& AValue) override;
    void SetUniform(const std::string& AName, const TAlphaColorF& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat2& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat3& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat4& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat2x2& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat3x3& AValue) override;
    void SetUniform(const std::string& AName, const TSkRuntimeEffectFloat4x4& AValue) override;
    bool UniformExists(const std::string& AName) override;
    void WriteUniform(size_t AOffset, const void* AData, size_t ASize) override;

protected:
    ~TSkRuntimeEffect() override;
    // Frees the uniform buffer before the native reference goes.
    void __DestroyHandle(NativeUInt AHandle) override;

private:
    void CheckUniformIndex(int32_t AIndex);
    void CheckChildIndex(int32_t AIndex);
    // Checks the index and that the slot's type is AType.
    size_t ChildSlot(int32_t AIndex, TSkRuntimeEffectChildType AType);
    void SetChild(int32_t AIndex, TSkRuntimeEffectChildType AType, Ref<ISkObject> AValue);
    std::vector<plix_handle> ChildHandles() const;
    void FreeUniformData() noexcept;

    std::vector<Ref<ISkObject>> FChildren;  // one slot per child of the program, nil when unset
    void* FUniformData = nullptr;           // the uniform buffer, owned; null for no uniforms
    size_t FUniformDataCapacity = 0;        // bytes allocated
};

}  // namespace Skia
