#pragma once
// The read/write/seek interface shared by operating-system files and memory files.

#include <cstddef>
#include <cstdint>

enum class SeekOrigin { Begin, Current, End };

class ByteFile {
public:
    virtual ~ByteFile() = default;

    // Succeeds only when exactly `size` bytes were read.
    virtual bool Read(void* buffer, std::size_t size) = 0;
    // Succeeds only when every byte was written.
    virtual bool Write(const void* data, std::size_t size) = 0;
    // Moves the position; a position before the start fails. `newPosition` receives the result.
    virtual bool Seek(std::int64_t offset, SeekOrigin origin, std::int64_t* newPosition = nullptr) = 0;
    // The current position, or -1 on failure.
    virtual std::int64_t Tell() = 0;
};
