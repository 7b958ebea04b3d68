#include "ui/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Ui {

int64_t TStream::GetSize() {
    const int64_t position = Seek(0, TSeekOrigin::Current);
    const int64_t size = Seek(0, TSeekOrigin::End);
    Seek(position, TSeekOrigin::Beginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count > 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count > 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t size = GetSize();
    if (count <= 0 || fPosition >= size) return 0;
    const int64_t n = std::min(count, size - fPosition);
    std::memcpy(buffer, fBytes.data() + fPosition, static_cast<size_t>(n));
    fPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const auto end = static_cast<size_t>(fPosition + count);
    if (end > fBytes.size()) fBytes.resize(end);
    std::memcpy(fBytes.data() + fPosition, buffer, static_cast<size_t>(count));
    fPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::Current) base = fPosition;
    if (origin == TSeekOrigin::End) base = GetSize();
    // Past the end is allowed (a later write grows the stream); before the start is not.
    fPosition = std::max<int64_t>(0, base + offset);
    return fPosition;
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) {
    const char* how = mode == TFileMode::OpenRead ? "rb" : mode == TFileMode::Create ? "w+b" : "r+b";
    fFile = std::fopen(fileName.c_str(), how);
    if (!fFile)
        throw EStreamError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream() {
    if (fFile) std::fclose(fFile);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), fFile));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), fFile));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                     : origin == TSeekOrigin::Current   ? SEEK_CUR
                                                        : SEEK_END;
    if (std::fseek(fFile, offset, whence) != 0) return -1;
    return std::ftell(fFile);
}

}  // namespace Ui
