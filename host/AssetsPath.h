// Where the game's shader files are. Candidate folders, in order: "../../../Assets/" from the
// working directory, as the game has always looked; an Assets folder beside the executable or in
// one of its parent folders (nearest first); the installed data folder (relative to the
// executable first, then where the build was configured to install it). The first candidate
// that holds both shader files as regular files wins: an unrelated folder that happens to be
// named Assets does not hide the game's own files.
#pragma once

#include <string>
#include <vector>

namespace Host {

inline constexpr const char* ImageShaderFileName = "Image.sksl";
inline constexpr const char* BufferAShaderFileName = "BufferA.sksl";

// The asset directory, absolute, ending in "/". When no candidate holds both files, the first
// that holds either (so that reading names the missing one), else the first candidate.
std::string AssetsPath();

// The candidate folders of AssetsPath in the order they are tried, each absolute and ending in "/".
std::vector<std::string> AssetsCandidates();

// The rule behind AssetsPath, with its inputs spelled out: primary is the working-directory
// candidate (already absolute, ending in "/"), executableDir the folder of the running program
// (may be empty), installedDirs the data folders of an installed game (empty ones are skipped).
std::vector<std::string> AssetsCandidates(const std::string& primary, const std::string& executableDir,
                                          const std::vector<std::string>& installedDirs);
std::string FindAssetsPath(const std::string& primary, const std::string& executableDir,
                           const std::vector<std::string>& installedDirs);

// What stands at dir/fileName, for a message: "found", "missing", "a directory, not a file",
// "a FIFO, not a file", ... Never opens the file.
std::string DescribeShaderFile(const std::string& dir, const std::string& fileName);

// One line a candidate folder, saying what each shader file there is (or that the folder is
// missing), for the message of a start-up that found no usable folder.
std::string DescribeAssetsSearch(const std::vector<std::string>& candidates);

}  // namespace Host
