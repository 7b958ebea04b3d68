// Byte streams inside the engine. Codecs and encoders read and write through these, whether the
// bytes live in memory or in a caller's stream reached through callbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plix {

class ReadStream {
public:
    virtual ~ReadStream() = default;
    // Reads up to size bytes; returns how many were read (0 at the end).
    virtual size_t read(void* buffer, size_t size) = 0;
    virtual bool seek(size_t position) = 0;
    virtual size_t position() const = 0;
    virtual size_t length() const = 0;

    // Reads from the current position to the end. False when the stream stops short of its length.
    bool readRemaining(std::vector<uint8_t>& out);
};

class WriteStream {
public:
    virtual ~WriteStream() = default;
    virtual bool write(const void* buffer, size_t size) = 0;
};

class MemoryReadStream final : public ReadStream {
public:
    MemoryReadStream(const void* data, size_t size)
        : fData(static_cast<const uint8_t*>(data)), fSize(size) {}
    size_t read(void* buffer, size_t size) override;
    bool seek(size_t position) override;
    size_t position() const override { return fPosition; }
    size_t length() const override { return fSize; }

private:
    const uint8_t* fData;
    size_t fSize;
    size_t fPosition = 0;
};

class VectorWriteStream final : public WriteStream {
public:
    bool write(const void* buffer, size_t size) override;
    const std::vector<uint8_t>& bytes() const { return fBytes; }

private:
    std::vector<uint8_t> fBytes;
};

}  // namespace plix
