#pragma once
// A growable file in memory with the read/write/seek interface of an operating-system file.
// Writing past the end grows the file; a gap left by seeking past the end and writing reads as zero bytes.

#include <string>
#include <vector>

#include "Common/ByteFile.h"

class MemFile : public ByteFile {
public:
    MemFile() = default;
    explicit MemFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    bool Read(void* buffer, std::size_t size) override;
    bool Write(const void* data, std::size_t size) override;
    bool Seek(std::int64_t offset, SeekOrigin origin, std::int64_t* newPosition = nullptr) override;
    std::int64_t Tell() override { return static_cast<std::int64_t>(position_); }

    std::size_t Size() const { return bytes_.size(); }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }
    // Hands the bytes over and leaves the file empty.
    std::vector<unsigned char> TakeBytes();

private:
    std::vector<unsigned char> bytes_;
    std::size_t position_ = 0;
};
