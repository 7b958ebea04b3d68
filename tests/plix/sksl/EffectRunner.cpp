#include "EffectRunner.h"

#include <png.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace plix::sksl::test {

namespace {

// The child behaviours a corpus file can ask for.
struct ChildSpec {
    std::string what;
    float rgba[4] = {0, 0, 0, 0};
    // "image": 8-bit premultiplied RGBA, sampled at the nearest pixel and repeated.
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

void loadImage(ChildSpec& spec, const std::string& file) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) {
        throw std::runtime_error("cannot read child image " + file);
    }
    image.format = PNG_FORMAT_RGBA;
    spec.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, spec.pixels.data(), 0, nullptr)) {
        throw std::runtime_error("cannot decode child image " + file);
    }
    spec.width = static_cast<int>(image.width);
    spec.height = static_cast<int>(image.height);
    for (size_t i = 0; i < spec.pixels.size(); i += 4) {
        for (int k = 0; k < 3; ++k) {
            spec.pixels[i + k] = static_cast<uint8_t>((spec.pixels[i + k] * spec.pixels[i + 3] + 127) / 255);
        }
    }
}

// Floor of v wrapped into [0, n).
int wrap(float v, int n) {
    if (!std::isfinite(v)) return 0;
    double m = std::fmod(std::floor(static_cast<double>(v)), n);
    return static_cast<int>(m < 0 ? m + n : m);
}

void evalChild(void* context, int n, const float* const* in, float* const* out) {
    const ChildSpec& spec = *static_cast<const ChildSpec*>(context);
    for (int i = 0; i < n; ++i) {
        float c[4];
        if (spec.what == "solid") {
            for (int k = 0; k < 4; ++k) c[k] = spec.rgba[k];
        } else if (spec.what == "coords") {
            // Opaque colour from the coordinates: (x / 8, y / 8, 0, 1).
            c[0] = in[0][i] / 8;
            c[1] = in[1][i] / 8;
            c[2] = 0;
            c[3] = 1;
        } else if (spec.what == "image") {
            const uint8_t* px =
                &spec.pixels[(static_cast<size_t>(wrap(in[1][i], spec.height)) * spec.width +
                              wrap(in[0][i], spec.width)) * 4];
            for (int k = 0; k < 4; ++k) c[k] = px[k] / 255.0f;
        } else if (spec.what == "invert") {
            // Colour filter on premultiplied input: (a - r, a - g, a - b, a).
            for (int k = 0; k < 3; ++k) c[k] = in[3][i] - in[k][i];
            c[3] = in[3][i];
        } else {  // multiply (blender)
            for (int k = 0; k < 4; ++k) c[k] = in[k][i] * in[4 + k][i];
        }
        for (int k = 0; k < 4; ++k) out[k][i] = c[k];
    }
}

}  // namespace

std::vector<uint32_t> UniformBlock(const Effect& effect, const CorpusFile& file) {
    const Reflection& r = effect.reflection();
    std::vector<uint32_t> block(r.uniformSize / 4, 0);
    for (const UniformInfo& u : r.uniforms) {
        auto it = file.uniforms.find(u.name);
        if (it == file.uniforms.end()) continue;
        bool isInt = u.type >= UniformType::Int;
        for (size_t k = 0; k < it->second.size() && k < u.size / 4; ++k) {
            uint32_t bits;
            if (isInt) {
                int32_t v = static_cast<int32_t>(it->second[k]);
                std::memcpy(&bits, &v, 4);
            } else {
                float v = static_cast<float>(it->second[k]);
                std::memcpy(&bits, &v, 4);
            }
            block[u.offset / 4 + k] = bits;
        }
    }
    return block;
}

Pixels RunEffect(const Effect& effect, const CorpusFile& file, Executor executor) {
    Pixels p;
    p.width = file.width;
    p.height = file.height;
    const int n = p.width * p.height;
    std::vector<float> x(n), y(n), in[4], dst[4];
    for (int k = 0; k < 4; ++k) {
        in[k].resize(n);
        dst[k].resize(n);
    }
    for (int j = 0; j < p.height; ++j) {
        for (int i = 0; i < p.width; ++i) {
            int k = j * p.width + i;
            x[k] = i + 0.5f;
            y[k] = j + 0.5f;
            // Premultiplied gradients for colour filters and blenders.
            float a = 0.5f + 0.5f * static_cast<float>(i) / std::max(1, p.width - 1);
            in[0][k] = a * static_cast<float>(i) / std::max(1, p.width);
            in[1][k] = a * static_cast<float>(j) / std::max(1, p.height);
            in[2][k] = a * 0.25f;
            in[3][k] = a;
            dst[0][k] = 0.2f;
            dst[1][k] = 0.4f * static_cast<float>(j) / std::max(1, p.height);
            dst[2][k] = 0.6f;
            dst[3][k] = 0.8f;
        }
    }
    p.r.resize(n);
    p.g.resize(n);
    p.b.resize(n);
    p.a.resize(n);

    std::vector<uint32_t> uniforms = UniformBlock(effect, file);
    std::vector<ChildSpec> specs(effect.reflection().children.size());
    std::vector<ChildEval> children(specs.size());
    for (size_t i = 0; i < specs.size(); ++i) {
        auto it = file.children.find(effect.reflection().children[i].name);
        if (it == file.children.end() || it->second.empty()) continue;  // unset child
        specs[i].what = it->second[0];
        if (specs[i].what == "image" && it->second.size() > 1) {
            auto dir = std::filesystem::path(file.path).parent_path();
            loadImage(specs[i], (dir / it->second[1]).string());
            children[i] = {evalChild, &specs[i]};
            continue;
        }
        for (size_t k = 1; k < it->second.size() && k <= 4; ++k) {
            specs[i].rgba[k - 1] = std::stof(it->second[k]);
        }
        children[i] = {evalChild, &specs[i]};
    }

    ExecArgs args;
    args.count = n;
    args.x = x.data();
    args.y = y.data();
    for (int k = 0; k < 4; ++k) {
        args.color[k] = in[k].data();
        args.dst[k] = dst[k].data();
    }
    args.uniforms = uniforms.data();
    args.children = children.data();
    args.out[0] = p.r.data();
    args.out[1] = p.g.data();
    args.out[2] = p.b.data();
    args.out[3] = p.a.data();
    if (executor == Executor::Fast) {
        effect.run(args);
    } else {
        effect.runReference(args);
    }
    return p;
}

}  // namespace plix::sksl::test
