// Where the game's shader files are: the folder "../../../Assets/" from the working directory, as
// the game has always looked; when that folder does not exist, an Assets folder holding both
// shader files beside the executable or in one of its parent folders (nearest first), and last
// the installed data folder (looked for relative to the executable first, then where the build
// was configured to install it).
#pragma once

#include <string>
#include <vector>

namespace Host {

inline constexpr const char* ImageShaderFileName = "Image.sksl";
inline constexpr const char* BufferAShaderFileName = "BufferA.sksl";

// The asset directory, absolute, ending in "/".
std::string AssetsPath();

// The rule behind AssetsPath, with its inputs spelled out: primary is the working-directory
// candidate (already absolute, ending in "/"), executableDir the folder of the running program
// (may be empty), installedDir the data folder of an installed game (may be empty).
std::string FindAssetsPath(const std::string& primary, const std::string& executableDir,
                           const std::string& installedDir);

}  // namespace Host
