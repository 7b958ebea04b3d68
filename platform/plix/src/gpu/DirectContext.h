// A GPU direct context on OpenGL. Drawing runs on the CPU: a GPU surface is a raster surface whose
// pixels the context presents to the surface's framebuffer when it is flushed (a texture upload
// and one textured triangle), and a texture image keeps a GL texture beside its CPU pixels. The
// GL work happens on whatever context is current on the calling thread, which must be the one
// the direct context (or its share group) belongs to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "canvas/Surface.h"
#include "core/Image.h"
#include "gpu/GlInterface.h"

namespace plix::gpu {

enum class SurfaceOrigin : int32_t { TopLeft, BottomLeft };

// An existing framebuffer that a GPU surface can draw into.
struct BackendRenderTarget {
    int32_t width = 0, height = 0;
    int32_t sampleCount = 0, stencilBits = 0;
    uint32_t fbo = 0;     // 0: the window's default framebuffer
    uint32_t format = 0;  // sized internal format
    bool valid() const { return width > 0 && height > 0 && sampleCount >= 0 && stencilBits >= 0; }
};

class DirectContext;
struct TextureRecord;

// A GPU surface's link to its framebuffer; it lives as long as the surface.
struct RenderTargetBinding {
    sp<DirectContext> context;
    BackendRenderTarget target;
    SurfaceOrigin origin = SurfaceOrigin::BottomLeft;
    std::unique_ptr<uint8_t[]> pixels;  // what the surface draws into
    Pixmap pixmap;
    GLuint texture = 0;  // the upload texture, made on the first present
    void* textureContext = nullptr;  // the EGL context the texture was made on
};

class DirectContext final : public RefCnt {
public:
    // Null without an interface or when it lacks functions the back end needs.
    static sp<DirectContext> MakeGL(sp<GlInterface> gl);
    ~DirectContext() override;

    const GlInterface& gl() const { return *fGl; }
    const sp<GlInterface>& glInterface() const { return fGl; }
    bool abandoned() const { return fAbandoned; }
    // Stops all GL work without touching the GPU (its context may be gone).
    void abandon();
    // Deletes the context's GL objects (its context must be current), then abandons it.
    void releaseResourcesAndAbandon();
    // Deletes the GL objects kept for presenting; they are made again when needed.
    void freeGpuResources();
    // Presents every GPU surface of the context on its framebuffer and sends the work to the GPU;
    // with syncCpu, waits for it to finish. False once abandoned.
    bool flush(bool syncCpu);
    // Presents one surface.
    bool present(RenderTargetBinding& binding);
    // The most samples a surface of the colour type can have (0: such surfaces cannot be made).
    int maxSurfaceSampleCount(ColorType colorType) const;

    size_t resourceCacheLimit() const { return fCacheLimit; }
    void setResourceCacheLimit(size_t bytes) { fCacheLimit = bytes; }
    // Textures alive that this context made, and their bytes.
    void resourceUsage(int32_t* count, size_t* bytes) const;
    void textureMade(size_t bytes);
    void textureGone(size_t bytes);

    // GPU surfaces over render targets: a raster surface whose pixels are presented on flush.
    static sp<Surface> MakeFromRenderTarget(const sp<DirectContext>& context, const BackendRenderTarget& target,
                                            SurfaceOrigin origin, ColorType colorType, sp<ColorSpace> colorSpace,
                                            const SurfaceProps* props);
    // Offscreen GPU surfaces: drawn and kept on the CPU.
    static sp<Surface> MakeRenderTarget(const sp<DirectContext>& context, const ImageInfo& info, int sampleCount,
                                        const SurfaceProps* props);
    // A texture image with the pixels of src: a copy for drawing on the CPU and a GL texture made
    // on the current context. Null when the context is abandoned or src cannot be copied.
    static sp<Image> MakeTextureImage(const sp<DirectContext>& context, const Pixmap& src);
    // Whether image keeps a GL texture.
    static bool IsTextureBacked(const Image& image);

private:
    explicit DirectContext(sp<GlInterface> gl) : fGl(std::move(gl)) {}
    bool ensureProgram();
    void deleteProgram();
    static void ReleaseBinding(void* pixels, void* context);
    static void ReleaseTexture(void* pixels, void* context);
    // Deletes a texture when the context it was made on is current; otherwise its name is left
    // to that context's end (deleting it elsewhere could hit another object of the same name).
    void deleteTexture(GLuint& texture, void* madeOn);

    sp<GlInterface> fGl;
    bool fAbandoned = false;
    size_t fCacheLimit = size_t(256) << 20;
    mutable std::mutex fLock;
    std::vector<RenderTargetBinding*> fBindings;
    std::vector<TextureRecord*> fTextureRecords;
    GLuint fProgram = 0, fVertexArray = 0;
    GLint fFlipLocation = -1;
    void* fProgramContext = nullptr;  // the EGL context the presenting objects were made on
    int32_t fTextures = 0;
    size_t fTextureBytes = 0;
};

}  // namespace plix::gpu
