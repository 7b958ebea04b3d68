// Reading and checking the game's two shader files before the frames use them: the text must be
// something a compiler can be given (not empty, no NUL bytes), and each program must declare the
// uniforms and the child that the frames set, with types the host can write.
#pragma once

#include <string>
#include <string_view>

#include "Skia.h"
#include "ui/Exception.h"

namespace Host {

class TfrmMain;

// A shader file that the game cannot use; the message names the file and says why.
class EShaderFileError : public Ui::Exception {
public:
    using Exception::Exception;
};

// What is wrong with text that holds NUL characters: UTF-16 saved without a byte-order mark (told
// by the pattern of its zero bytes), or a stray NUL at a line and column. Empty when there is none.
std::string DescribeNulCharacters(std::string_view text);

// The file's text as ReadAllText gives it; raises EShaderFileError naming the file when it is
// empty or holds NUL characters, and the reading errors of ReadAllText (a missing file's message
// then also lists every folder that was tried and what each holds).
std::string ReadShaderText(const std::string& path);

// The two passes of a frame, whose programs the frames feed differently.
enum class TShaderPass { BufferA, Image };

// Raises EShaderFileError naming fileName, the uniform (or child) and what was expected when the
// effect does not declare one that the frames of its pass set, or declares it with a type that
// the host cannot write.
void CheckShaderProtocol(Skia::ISkRuntimeEffect& effect, TShaderPass pass, const std::string& fileName);
// Both programs of a created form, named by their files in the asset folder.
void CheckShaderProtocol(TfrmMain& form);

}  // namespace Host
