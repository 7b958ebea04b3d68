// Reading a whole text file as the game's shader files are read: the directory must exist, then
// the file; the encoding comes from a byte-order mark (UTF-8, UTF-16 LE or BE, the mark dropped),
// and text without one is in the locale's character set. The result is UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ui/Exception.h"

namespace Host {

class EDirectoryNotFoundException : public Ui::Exception {
public:
    using Exception::Exception;
};

class EFileNotFoundException : public Ui::Exception {
public:
    using Exception::Exception;
};

class EArgumentException : public Ui::Exception {
public:
    using Exception::Exception;
};

class ENotSupportedException : public Ui::Exception {
public:
    using Exception::Exception;
};

class EInOutError : public Ui::Exception {
public:
    using Exception::Exception;
};

// The absolute form of path against the working directory, "." and ".." folded; a trailing
// separator is kept. Raises EArgumentException for an empty path or one with a NUL character, and
// ENotSupportedException for a path longer than the system takes.
std::string GetFullPath(const std::string& path);

// The file's text in UTF-8. Raises the errors above: "The specified path was not found" when the
// directory is missing, "The specified file was not found" when the file is, EInOutError when it
// cannot be read or is 2 GiB or more.
std::string ReadAllText(const std::string& fileName);

// Decodes file bytes by their byte-order mark; bytes without one are in charset (an iconv name;
// empty means the locale's). Sequences that do not decode become U+FFFD.
std::string DecodeText(std::span<const uint8_t> bytes, const std::string& charset = {});

}  // namespace Host
