#include "AssetsPath.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "TextFile.h"

#ifndef TILEFALL_INSTALLED_ASSETS
#define TILEFALL_INSTALLED_ASSETS ""
#endif
#ifndef TILEFALL_INSTALLED_ASSETS_FROM_BIN
#define TILEFALL_INSTALLED_ASSETS_FROM_BIN ""
#endif

namespace Host {
namespace {

namespace fs = std::filesystem;

bool HoldsTheShaders(const fs::path& dir) {
    std::error_code error;
    return fs::is_regular_file(dir / ImageShaderFileName, error) &&
           fs::is_regular_file(dir / BufferAShaderFileName, error);
}

std::string WithSeparator(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

std::string ExecutableDir() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

// The data folders of an installed game: first where it lies from the program's own folder, so
// that a game installed under another prefix than the configured one (or moved) finds it, then
// the configured one.
std::vector<std::string> InstalledAssetsDirs(const std::string& executableDir) {
    std::vector<std::string> dirs;
    const fs::path fromBin = TILEFALL_INSTALLED_ASSETS_FROM_BIN;
    if (!executableDir.empty() && !fromBin.empty())
        dirs.push_back((fs::path(executableDir) / fromBin).lexically_normal().string());
    dirs.push_back(TILEFALL_INSTALLED_ASSETS);
    return dirs;
}

std::string PrimaryCandidate() { return WithSeparator(GetFullPath("../../../Assets/")); }

}  // namespace

std::vector<std::string> AssetsCandidates(const std::string& primary, const std::string& executableDir,
                                          const std::vector<std::string>& installedDirs) {
    std::vector<std::string> candidates;
    auto add = [&](const std::string& dir) {
        const std::string d = WithSeparator(dir);
        if (!d.empty() && std::find(candidates.begin(), candidates.end(), d) == candidates.end())
            candidates.push_back(d);
    };
    add(primary);
    if (!executableDir.empty()) {
        for (fs::path dir = fs::path(executableDir).lexically_normal();; dir = dir.parent_path()) {
            add((dir / "Assets").string());
            if (dir == dir.parent_path()) break;
        }
    }
    for (const std::string& dir : installedDirs) add(dir);
    return candidates;
}

std::string FindAssetsPath(const std::string& primary, const std::string& executableDir,
                           const std::vector<std::string>& installedDirs) {
    const std::vector<std::string> candidates = AssetsCandidates(primary, executableDir, installedDirs);
    for (const std::string& dir : candidates)
        if (HoldsTheShaders(dir)) return dir;
    // No folder holds both: the first that holds either, so that reading names the file that is
    // missing there; else the usual place, so that reading fails with the usual error.
    for (const std::string& dir : candidates) {
        std::error_code error;
        if (fs::exists(fs::path(dir) / ImageShaderFileName, error) || fs::exists(fs::path(dir) / BufferAShaderFileName, error))
            return dir;
    }
    return primary;
}

std::vector<std::string> AssetsCandidates() {
    const std::string executableDir = ExecutableDir();
    return AssetsCandidates(PrimaryCandidate(), executableDir, InstalledAssetsDirs(executableDir));
}

std::string AssetsPath() {
    const std::string executableDir = ExecutableDir();
    return FindAssetsPath(PrimaryCandidate(), executableDir, InstalledAssetsDirs(executableDir));
}

std::string DescribeShaderFile(const std::string& dir, const std::string& fileName) {
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(dir) / fileName, error);
    switch (status.type()) {
        case fs::file_type::regular: return "found";
        case fs::file_type::not_found: return "missing";
        case fs::file_type::directory: return "a directory, not a file";
        case fs::file_type::fifo: return "a FIFO, not a file";
        case fs::file_type::socket: return "a socket, not a file";
        case fs::file_type::block:
        case fs::file_type::character: return "a device, not a file";
        default: return error ? "not readable (" + error.message() + ")" : "not a regular file";
    }
}

std::string DescribeAssetsSearch(const std::vector<std::string>& candidates) {
    std::string text;
    for (const std::string& dir : candidates) {
        std::error_code error;
        text += "  " + dir + ": ";
        if (!fs::is_directory(dir, error)) {
            text += "no such folder\n";
            continue;
        }
        text += std::string(ImageShaderFileName) + " " + DescribeShaderFile(dir, ImageShaderFileName) + ", " +
                BufferAShaderFileName + " " + DescribeShaderFile(dir, BufferAShaderFileName) + "\n";
    }
    return text;
}

}  // namespace Host
