// Byte streams of the framework: an abstract TStream with memory and file streams.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/Exception.h"

namespace Ui {

enum class TSeekOrigin { Beginning, Current, End };

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; returns how many were read.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    virtual int64_t GetSize();
    int64_t GetPosition() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }

    // Read and write exactly count bytes or raise EStreamError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : fBytes(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return static_cast<int64_t>(fBytes.size()); }

    const std::vector<uint8_t>& Bytes() const { return fBytes; }
    void Clear() { fBytes.clear(); fPosition = 0; }

private:
    std::vector<uint8_t> fBytes;
    int64_t fPosition = 0;
};

enum class TFileMode { OpenRead, Create, OpenReadWrite };

class TFileStream : public TStream {
public:
    // Raises EStreamError when the file cannot be opened.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

private:
    std::FILE* fFile = nullptr;
};

}  // namespace Ui
