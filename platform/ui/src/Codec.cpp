#include "ui/Codec.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "ui/Stream.h"

namespace Ui {

namespace {

std::string NormalizeExtension(std::string ext) {
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!ext.empty() && ext[0] != '.') ext.insert(ext.begin(), '.');
    return ext;
}

std::string ExtensionOf(const std::string& fileName) {
    const auto slash = fileName.find_last_of('/');
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return NormalizeExtension(fileName.substr(dot));
}

struct TRegistry {
    std::recursive_mutex lock;
    std::vector<TBitmapCodecManager::TDescriptor> codecs;  // registration order
};

TRegistry& Registry() {
    static TRegistry* registry = new TRegistry();
    return *registry;
}

}  // namespace

bool TBitmapCodecManager::RegisterBitmapCodecClass(const std::string& extension, const std::string& description,
                                                   bool canSave, const TBitmapCodecClass& codecClass) {
    const std::string ext = NormalizeExtension(extension);
    if (ext.size() < 2) throw EArgumentOutOfRange("A codec needs a file extension");
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    if (FindCodec(ext)) return false;
    r.codecs.push_back({ext, description, canSave, &codecClass});
    return true;
}

void TBitmapCodecManager::UnregisterBitmapCodecClass(const std::string& extension) {
    const std::string ext = NormalizeExtension(extension);
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    std::erase_if(r.codecs, [&](const TDescriptor& d) { return d.Extension == ext; });
}

const TBitmapCodecManager::TDescriptor* TBitmapCodecManager::FindCodec(const std::string& extension) {
    const std::string ext = NormalizeExtension(extension);
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    for (const TDescriptor& d : r.codecs)
        if (d.Extension == ext) return &d;
    return nullptr;
}

bool TBitmapCodecManager::CodecExists(const std::string& extension) { return FindCodec(extension) != nullptr; }

std::vector<TBitmapCodecManager::TDescriptor> TBitmapCodecManager::Codecs() {
    TRegistry& r = Registry();
    std::lock_guard guard(r.lock);
    return r.codecs;
}

bool TBitmapCodecManager::LoadFromFile(const std::string& fileName, TBitmapSurface& surface, unsigned maxSizeLimit) {
    const TDescriptor* d = FindCodec(ExtensionOf(fileName));
    return d && d->CodecClass->Create()->LoadFromFile(fileName, surface, maxSizeLimit);
}

bool TBitmapCodecManager::LoadFromStream(TStream& stream, TBitmapSurface& surface, unsigned maxSizeLimit) {
    // The first codec that recognises the content decodes it.
    const int64_t start = stream.GetPosition();
    for (const TDescriptor& d : Codecs()) {
        stream.SetPosition(start);
        const bool valid = d.CodecClass->IsValid(stream);
        stream.SetPosition(start);
        if (valid) return d.CodecClass->Create()->LoadFromStream(stream, surface, maxSizeLimit);
    }
    return false;
}

bool TBitmapCodecManager::LoadThumbnailFromFile(const std::string& fileName, float fitWidth, float fitHeight,
                                                bool useEmbedded, TBitmapSurface& surface) {
    const TDescriptor* d = FindCodec(ExtensionOf(fileName));
    return d && d->CodecClass->Create()->LoadThumbnailFromFile(fileName, fitWidth, fitHeight, useEmbedded, surface);
}

bool TBitmapCodecManager::SaveToFile(const std::string& fileName, const TBitmapSurface& surface,
                                     const TBitmapCodecSaveParams* params) {
    const TDescriptor* d = FindCodec(ExtensionOf(fileName));
    return d && d->CanSave && d->CodecClass->Create()->SaveToFile(fileName, surface, params);
}

bool TBitmapCodecManager::SaveToStream(TStream& stream, const TBitmapSurface& surface, const std::string& extension,
                                       const TBitmapCodecSaveParams* params) {
    const TDescriptor* d = FindCodec(extension);
    return d && d->CanSave &&
           d->CodecClass->Create()->SaveToStream(stream, surface, NormalizeExtension(extension), params);
}

TPointF TBitmapCodecManager::GetImageSize(const std::string& fileName) {
    const TDescriptor* d = FindCodec(ExtensionOf(fileName));
    return d ? d->CodecClass->GetImageSize(fileName) : TPointF();
}

}  // namespace Ui
