#include "gpu/DirectContext.h"

#include <algorithm>
#include <new>
#include <set>

#include <epoxy/gl.h>

#include "canvas/PixelConvert.h"

namespace plix::gpu {

// A texture image's GL side: the texture and the pixels the image reads on the CPU.
struct TextureRecord {
    sp<DirectContext> context;
    std::unique_ptr<uint8_t[]> pixels;
    GLuint texture = 0;
    void* textureContext = nullptr;
    size_t bytes = 0;
    PixelStorage* storage = nullptr;
};

namespace {

// The storages of texture images alive. Every image is gone before the library is unloaded
// (each holds the library through its wrapper), so the set may go with the library.
std::mutex gTextureStorageLock;
std::set<const PixelStorage*>& TextureStorages() {
    static std::set<const PixelStorage*> storages;
    return storages;
}

bool Uploadable(ColorType ct) { return ct == ColorType::RGBA8888 || ct == ColorType::BGRA8888; }
GLenum UploadFormat(ColorType ct) { return ct == ColorType::BGRA8888 ? GL_BGRA : GL_RGBA; }

constexpr const char* kVertexBody = R"(
uniform int uFlip;
out vec2 vUV;
void main() {
    // One triangle over the whole viewport; the texture's first row is the picture's top.
    vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
    vUV = (p + 1.0) * 0.5;
    if (uFlip != 0) vUV.y = 1.0 - vUV.y;
    gl_Position = vec4(p, 0.0, 1.0);
}
)";

constexpr const char* kFragmentBody = R"(
uniform sampler2D uTexture;
in vec2 vUV;
out vec4 fragColor;
void main() { fragColor = texture(uTexture, vUV); }
)";

GLuint Compile(const GlFunctions& gl, GLenum type, const char* header, const char* body) {
    const GLuint shader = gl.CreateShader(type);
    if (!shader) return 0;
    const GLchar* sources[] = {header, body};
    gl.ShaderSource(shader, 2, sources, nullptr);
    gl.CompileShader(shader);
    GLint ok = 0;
    gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        gl.DeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

sp<DirectContext> DirectContext::MakeGL(sp<GlInterface> gl) {
    if (!gl || !gl->validate()) return nullptr;
    return sp<DirectContext>(new DirectContext(std::move(gl)));
}

DirectContext::~DirectContext() = default;

void DirectContext::abandon() { fAbandoned = true; }

void DirectContext::deleteTexture(GLuint& texture, void* madeOn) {
    if (texture && !fAbandoned && madeOn && currentEglContext() == madeOn) fGl->functions().DeleteTextures(1, &texture);
    texture = 0;
}

void DirectContext::deleteProgram() {
    if (fProgram && !fAbandoned && currentEglContext() == fProgramContext) {
        fGl->functions().DeleteProgram(fProgram);
        fGl->functions().DeleteVertexArrays(1, &fVertexArray);
    }
    fProgram = 0;
    fVertexArray = 0;
    fProgramContext = nullptr;
}

void DirectContext::releaseResourcesAndAbandon() {
    if (!fAbandoned) {
        freeGpuResources();
        std::lock_guard guard(fLock);
        for (TextureRecord* record : fTextureRecords) deleteTexture(record->texture, record->textureContext);
    }
    fAbandoned = true;
}

void DirectContext::freeGpuResources() {
    std::lock_guard guard(fLock);
    deleteProgram();
    for (RenderTargetBinding* binding : fBindings) {
        if (binding->texture) textureGone(binding->pixmap.info().computeMinByteSize());
        deleteTexture(binding->texture, binding->textureContext);
    }
}

bool DirectContext::ensureProgram() {
    void* current = currentEglContext();
    if (fProgram && fProgramContext == current) return true;
    // Vertex arrays belong to one context: a new current context needs its own objects.
    fProgram = 0;
    fVertexArray = 0;
    const GlFunctions& gl = fGl->functions();
    const char* header = fGl->standard() == GlStandard::GL ? "#version 150\n" : "#version 300 es\nprecision mediump float;\n";
    const GLuint vertex = Compile(gl, GL_VERTEX_SHADER, header, kVertexBody);
    const GLuint fragment = Compile(gl, GL_FRAGMENT_SHADER, header, kFragmentBody);
    GLuint program = vertex && fragment ? gl.CreateProgram() : 0;
    if (program) {
        gl.AttachShader(program, vertex);
        gl.AttachShader(program, fragment);
        gl.LinkProgram(program);
        GLint ok = 0;
        gl.GetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            gl.DeleteProgram(program);
            program = 0;
        }
    }
    if (vertex) gl.DeleteShader(vertex);
    if (fragment) gl.DeleteShader(fragment);
    if (!program) return false;
    fProgram = program;
    fFlipLocation = gl.GetUniformLocation(program, "uFlip");
    gl.GenVertexArrays(1, &fVertexArray);
    fProgramContext = current;
    return true;
}

bool DirectContext::present(RenderTargetBinding& b) {
    if (fAbandoned || !currentEglContext() || !ensureProgram()) return false;
    const GlFunctions& gl = fGl->functions();
    const Pixmap& pm = b.pixmap;
    const GLenum format = UploadFormat(pm.colorType());
    gl.ActiveTexture(GL_TEXTURE0);
    if (!b.texture || b.textureContext != currentEglContext()) {
        b.texture = 0;
        gl.GenTextures(1, &b.texture);
        gl.BindTexture(GL_TEXTURE_2D, b.texture);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, pm.width(), pm.height(), 0, format, GL_UNSIGNED_BYTE, nullptr);
        b.textureContext = currentEglContext();
        textureMade(pm.info().computeMinByteSize());
    } else {
        gl.BindTexture(GL_TEXTURE_2D, b.texture);
    }
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pm.rowBytes() / 4));
    gl.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, pm.width(), pm.height(), format, GL_UNSIGNED_BYTE, pm.addr());
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);

    gl.BindFramebuffer(GL_FRAMEBUFFER, b.target.fbo);
    gl.Viewport(0, 0, b.target.width, b.target.height);
    for (GLenum cap : {GLenum(GL_BLEND), GLenum(GL_SCISSOR_TEST), GLenum(GL_DEPTH_TEST), GLenum(GL_STENCIL_TEST),
                       GLenum(GL_CULL_FACE), GLenum(GL_FRAMEBUFFER_SRGB)})
        gl.Disable(cap);
    gl.ColorMask(1, 1, 1, 1);
    gl.UseProgram(fProgram);
    gl.Uniform1i(fFlipLocation, b.origin == SurfaceOrigin::BottomLeft ? 1 : 0);
    gl.BindVertexArray(fVertexArray);
    gl.DrawArrays(GL_TRIANGLES, 0, 3);
    gl.BindVertexArray(0);
    gl.UseProgram(0);
    return true;
}

bool DirectContext::flush(bool syncCpu) {
    if (fAbandoned || !currentEglContext()) return false;
    std::vector<RenderTargetBinding*> bindings;
    {
        std::lock_guard guard(fLock);
        bindings = fBindings;
    }
    bool ok = true;
    for (RenderTargetBinding* b : bindings) ok = present(*b) && ok;
    const GlFunctions& gl = fGl->functions();
    if (syncCpu)
        gl.Finish();
    else
        gl.Flush();
    return ok;
}

int DirectContext::maxSurfaceSampleCount(ColorType colorType) const {
    if (fAbandoned || !Uploadable(colorType)) return 0;
    GLint samples = 0;
    if (currentEglContext()) fGl->functions().GetIntegerv(GL_MAX_SAMPLES, &samples);
    return std::max(samples, 1);
}

void DirectContext::resourceUsage(int32_t* count, size_t* bytes) const {
    std::lock_guard guard(fLock);
    if (count) *count = fTextures;
    if (bytes) *bytes = fTextureBytes;
}

void DirectContext::textureMade(size_t bytes) {
    ++fTextures;
    fTextureBytes += bytes;
}

void DirectContext::textureGone(size_t bytes) {
    fTextures = std::max(fTextures - 1, 0);
    fTextureBytes -= std::min(fTextureBytes, bytes);
}

// ---- surfaces ----

void DirectContext::ReleaseBinding(void*, void* context) {
    auto* binding = static_cast<RenderTargetBinding*>(context);
    DirectContext& owner = *binding->context;
    {
        std::lock_guard guard(owner.fLock);
        std::erase(owner.fBindings, binding);
        if (binding->texture) owner.textureGone(binding->pixmap.info().computeMinByteSize());
        owner.deleteTexture(binding->texture, binding->textureContext);
    }
    delete binding;
}

sp<Surface> DirectContext::MakeFromRenderTarget(const sp<DirectContext>& context, const BackendRenderTarget& target,
                                                SurfaceOrigin origin, ColorType colorType, sp<ColorSpace> colorSpace,
                                                const SurfaceProps* props) {
    if (!context || context->abandoned() || !target.valid() || !Uploadable(colorType)) return nullptr;
    const ImageInfo info = ImageInfo::Make(target.width, target.height, colorType, AlphaType::Premul, std::move(colorSpace));
    const size_t rowBytes = info.minRowBytes();
    const size_t size = info.computeByteSize(rowBytes);
    if (!info.isValid() || rowBytes == 0 || size == SIZE_MAX || size > PixelStorage::kMaxPixelBytes) return nullptr;
    auto binding = std::make_unique<RenderTargetBinding>();
    binding->context = context;
    binding->target = target;
    binding->origin = origin;
    binding->pixels.reset(new (std::nothrow) uint8_t[size]());
    if (!binding->pixels) return nullptr;
    binding->pixmap = Pixmap(info, binding->pixels.get(), rowBytes);
    sp<Surface> surface = Surface::MakeRasterDirect(binding->pixmap, &ReleaseBinding, binding.get(), props);
    if (!surface) return nullptr;
    std::lock_guard guard(context->fLock);
    context->fBindings.push_back(binding.release());
    return surface;
}

sp<Surface> DirectContext::MakeRenderTarget(const sp<DirectContext>& context, const ImageInfo& info, int sampleCount,
                                            const SurfaceProps* props) {
    if (!context || context->abandoned() || sampleCount < 0) return nullptr;
    return Surface::MakeRaster(info, 0, props);
}

// ---- texture images ----

void DirectContext::ReleaseTexture(void*, void* context) {
    auto* record = static_cast<TextureRecord*>(context);
    {
        std::lock_guard guard(gTextureStorageLock);
        TextureStorages().erase(record->storage);
    }
    DirectContext& owner = *record->context;
    {
        std::lock_guard guard(owner.fLock);
        std::erase(owner.fTextureRecords, record);
        if (record->texture) owner.textureGone(record->bytes);
        owner.deleteTexture(record->texture, record->textureContext);
    }
    delete record;
}

sp<Image> DirectContext::MakeTextureImage(const sp<DirectContext>& context, const Pixmap& src) {
    if (!context || context->abandoned() || !src.valid() || !currentEglContext()) return nullptr;
    const ImageInfo& info = src.info();
    const size_t rowBytes = info.minRowBytes();
    const size_t size = info.computeByteSize(rowBytes);
    if (!info.isValid() || rowBytes == 0 || size == SIZE_MAX || size > PixelStorage::kMaxPixelBytes) return nullptr;

    auto record = std::make_unique<TextureRecord>();
    record->context = context;
    record->pixels.reset(new (std::nothrow) uint8_t[size]);
    if (!record->pixels) return nullptr;
    const Pixmap copy(info, record->pixels.get(), rowBytes);
    if (!convertPixels(copy, src)) return nullptr;

    // The texture holds 8-bit RGBA or BGRA, premultiplied; other formats are converted for it.
    Pixmap upload = copy;
    std::unique_ptr<uint8_t[]> converted;
    if (!Uploadable(info.colorType) || info.alphaType != AlphaType::Premul) {
        const ImageInfo rgba = ImageInfo::Make(info.width, info.height, ColorType::RGBA8888, AlphaType::Premul, info.colorSpace);
        converted.reset(new (std::nothrow) uint8_t[rgba.computeMinByteSize()]);
        if (!converted) return nullptr;
        upload = Pixmap(rgba, converted.get(), rgba.minRowBytes());
        if (!convertPixels(upload, copy)) return nullptr;
    }
    const GlFunctions& gl = context->gl().functions();
    gl.ActiveTexture(GL_TEXTURE0);
    gl.GenTextures(1, &record->texture);
    gl.BindTexture(GL_TEXTURE_2D, record->texture);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(upload.rowBytes() / 4));
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, info.width, info.height, 0, UploadFormat(upload.colorType()),
                  GL_UNSIGNED_BYTE, upload.addr());
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    record->textureContext = currentEglContext();
    record->bytes = size_t(info.width) * size_t(info.height) * 4;

    sp<PixelStorage> storage = PixelStorage::Borrow(record->pixels.get(), rowBytes, &ReleaseTexture, record.get());
    if (!storage) {
        context->deleteTexture(record->texture, record->textureContext);
        return nullptr;
    }
    // From here the storage owns the record: its release frees it.
    TextureRecord* owned = record.release();
    owned->storage = storage.get();
    {
        std::lock_guard guard(gTextureStorageLock);
        TextureStorages().insert(owned->storage);
    }
    {
        std::lock_guard guard(context->fLock);
        context->fTextureRecords.push_back(owned);
        context->textureMade(owned->bytes);
    }
    return Image::MakeWithStorage(info, std::move(storage), owned->pixels.get());
}

bool DirectContext::IsTextureBacked(const Image& image) {
    std::lock_guard guard(gTextureStorageLock);
    return TextureStorages().count(image.storage().get()) != 0;
}

}  // namespace plix::gpu
