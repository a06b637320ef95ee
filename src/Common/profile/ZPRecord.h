#pragma once
// The primitives of an object's record in a profile image's object stream.
//
// Numbers are big-endian: u8, u16, u32, i32 (two's complement), i64, f64 (IEEE 754 bits as a u64). A string
// is a u32 byte count and the bytes, without a terminating NUL. A list is a u32 count and its elements.
//
// The reader never reads past its bytes: the first read that would fails the reader for good, and every later
// read answers zero or an empty string, so a Load may read a whole record and check Ok() once at the end.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class ZPRecordWriter {
public:
    explicit ZPRecordWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void U8(std::uint8_t value) { out_.push_back(value); }
    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void I64(std::int64_t value);
    void F64(double value);
    void Bool(bool value) { U8(value ? 1 : 0); }
    void String(const std::string& text);
    void Count(std::size_t count) { U32(static_cast<std::uint32_t>(count)); }

private:
    std::vector<std::uint8_t>& out_;
};

class ZPRecordReader {
public:
    explicit ZPRecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::int64_t I64();
    double F64();
    // Only 0 and 1 are booleans; any other byte fails the reader.
    bool Bool();
    std::string String();
    // A list's count; a count whose elements, at `minElementSize` bytes each, cannot fit in what is left
    // fails the reader and answers 0, so that no loop runs on a corrupt count.
    std::size_t Count(std::size_t minElementSize);

    // The next `size` bytes as they are; empty (and the reader failed) when fewer are left.
    std::span<const std::uint8_t> Bytes(std::size_t size);

    // Fails the reader: a Load found a value it cannot accept.
    void Fail() { failed_ = true; }
    bool Ok() const { return !failed_; }
    bool AtEnd() const { return position_ == bytes_.size(); }
    std::size_t Remaining() const { return bytes_.size() - position_; }

private:
    // The next `size` bytes, or null (and the reader failed) when fewer are left.
    const std::uint8_t* Take(std::size_t size);

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool failed_ = false;
};
