#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tamberline {

// Reads a whole regular file of at most `maxBytes` bytes into `bytes`.
// False for a missing or unreadable file, a file that is not a regular
// file (a FIFO would block the caller), a larger file, or a short read.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& bytes);

// Random access to the bytes of a file or of a buffer, so that the RIFF
// reader works on files of any size without loading them and fuzzers can
// feed it memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Exactly `length` bytes at `offset`, or false.
    virtual bool ReadAt(uint64_t offset, void* out, size_t length) const = 0;
};

class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(const std::string& path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* out, size_t length) const override;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, void* out, size_t length) const override;

private:
    std::string_view bytes_;
};

}  // namespace tamberline
