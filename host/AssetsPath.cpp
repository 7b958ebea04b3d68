#include "AssetsPath.h"

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

// The data folder of an installed game: first where it lies from the program's own folder, so
// that a game installed under another prefix than the configured one (or moved) finds it, then
// the configured one.
std::string InstalledAssetsDir(const std::string& executableDir) {
    const fs::path fromBin = TILEFALL_INSTALLED_ASSETS_FROM_BIN;
    if (!executableDir.empty() && !fromBin.empty()) {
        const fs::path dir = (fs::path(executableDir) / fromBin).lexically_normal();
        if (HoldsTheShaders(dir)) return dir.string();
    }
    return TILEFALL_INSTALLED_ASSETS;
}

}  // namespace

std::string FindAssetsPath(const std::string& primary, const std::string& executableDir,
                           const std::string& installedDir) {
    std::error_code error;
    if (fs::is_directory(primary, error)) return primary;

    if (!executableDir.empty()) {
        for (fs::path dir = fs::path(executableDir).lexically_normal();; dir = dir.parent_path()) {
            if (HoldsTheShaders(dir / "Assets")) return WithSeparator((dir / "Assets").string());
            if (dir == dir.parent_path()) break;
        }
    }
    if (!installedDir.empty() && HoldsTheShaders(installedDir)) return WithSeparator(installedDir);

    // Nothing found: the usual place, so that reading fails with the usual error.
    return primary;
}

std::string AssetsPath() {
    std::string primary = GetFullPath("../../../Assets/");
    if (!primary.empty() && primary.back() != '/') primary += '/';
    const std::string executableDir = ExecutableDir();
    return FindAssetsPath(primary, executableDir, InstalledAssetsDir(executableDir));
}

}  // namespace Host
