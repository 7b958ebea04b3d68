#include "TextFile.h"

#include <iconv.h>
#include <langinfo.h>
#include <limits.h>
#include <locale.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace Host {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t MaxFileSize = uint64_t{2} << 30;  // 2 GiB: refused, as the platform's reader does
constexpr const char* Replacement = "\xEF\xBF\xBD";  // U+FFFD

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string FromUtf16(std::span<const uint8_t> bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t i) -> char16_t {
        const uint8_t a = bytes[2 * i], b = bytes[2 * i + 1];
        return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += Replacement;  // a lone surrogate
        } else {
            AppendUtf8(out, u);
        }
    }
    if (bytes.size() % 2) out += Replacement;  // a dangling byte
    return out;
}

// UTF-8 as it is, with every malformed sequence replaced.
std::string ValidUtf8(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const uint8_t b = bytes[i];
        int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        bool ok = length > 0 && i + length <= bytes.size();
        for (int k = 1; ok && k < length; ++k) ok = (bytes[i + k] & 0xC0) == 0x80;
        if (ok && length > 1) {
            // Reject overlong forms, surrogates and values past U+10FFFF.
            char32_t c = b & (0x7F >> length);
            for (int k = 1; k < length; ++k) c = (c << 6) | (bytes[i + k] & 0x3F);
            static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
            ok = c >= smallest[length] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        }
        if (ok) {
            out.append(reinterpret_cast<const char*>(&bytes[i]), length);
            i += length;
        } else {
            out += Replacement;
            ++i;
        }
    }
    return out;
}

// The character set of the user's locale, read without changing the process's locale.
std::string LocaleCharset() {
    locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (!locale) return "UTF-8";
    std::string charset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return charset;
}

std::string FromCharset(std::span<const uint8_t> bytes, std::string charset) {
    if (charset.empty()) charset = LocaleCharset();
    // UTF-8 locales, and the plain C locale whose ASCII is a subset of it, need no conversion.
    if (charset == "UTF-8" || charset == "utf8" || charset == "ANSI_X3.4-1968" || charset == "ASCII")
        return ValidUtf8(bytes);
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return ValidUtf8(bytes);
    std::string out;
    std::vector<char> buffer(4096);
    auto* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), outPtr);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            out += Replacement;  // a byte the character set does not define
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string GetFullPath(const std::string& path) {
    if (path.empty()) throw EArgumentException("Path is empty");
    if (path.find('\0') != std::string::npos) throw EArgumentException("Invalid characters in path");
    if (path.size() >= PATH_MAX) throw ENotSupportedException("The path format is not supported");
    const bool trailing = path.back() == '/';
    std::string full = fs::absolute(fs::path(path)).lexically_normal().string();
    if (full.size() > 1 && full.back() == '/' && !trailing) full.pop_back();
    if (trailing && full.back() != '/') full += '/';
    return full;
}

std::string ReadAllText(const std::string& fileName) {
    const std::string full = GetFullPath(fileName);
    const fs::path file(full);
    std::error_code error;
    if (!fs::is_directory(file.parent_path(), error))
        throw EDirectoryNotFoundException("The specified path was not found");
    if (!fs::is_regular_file(file, error)) throw EFileNotFoundException("The specified file was not found");

    std::ifstream in(file, std::ios::binary);
    if (!in) throw EInOutError("Cannot open the file \"" + full + "\": " + std::strerror(errno));
    const uint64_t size = fs::file_size(file, error);
    if (error || size >= MaxFileSize) throw EInOutError("The file \"" + full + "\" is too large");
    std::vector<uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        throw EInOutError("Cannot read the file \"" + full + "\"");
    return DecodeText(bytes);
}

std::string DecodeText(std::span<const uint8_t> bytes, const std::string& charset) {
    auto starts = [&](std::initializer_list<uint8_t> mark) {
        return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
    };
    if (starts({0xEF, 0xBB, 0xBF})) return ValidUtf8(bytes.subspan(3));
    if (starts({0xFF, 0xFE})) return FromUtf16(bytes.subspan(2), false);
    if (starts({0xFE, 0xFF})) return FromUtf16(bytes.subspan(2), true);
    return FromCharset(bytes, charset);
}

}  // namespace Host
