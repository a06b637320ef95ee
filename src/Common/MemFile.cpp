#include "Common/MemFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

bool MemFile::Read(void* buffer, std::size_t size) {
    if (position_ > bytes_.size() || size > bytes_.size() - position_) return false;
    if (size > 0) std::memcpy(buffer, bytes_.data() + position_, size);
    position_ += size;
    return true;
}

bool MemFile::Write(const void* data, std::size_t size) {
    if (size > std::numeric_limits<std::size_t>::max() - position_) return false;
    const std::size_t end = position_ + size;
    if (end > bytes_.size()) bytes_.resize(end);
    if (size > 0) std::memcpy(bytes_.data() + position_, data, size);
    position_ = end;
    return true;
}

bool MemFile::Seek(std::int64_t offset, SeekOrigin origin, std::int64_t* newPosition) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current) base = static_cast<std::int64_t>(position_);
    if (origin == SeekOrigin::End) base = static_cast<std::int64_t>(bytes_.size());
    if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) || base + offset < 0)
        return false;
    position_ = static_cast<std::size_t>(base + offset);
    if (newPosition) *newPosition = static_cast<std::int64_t>(position_);
    return true;
}

std::vector<unsigned char> MemFile::TakeBytes() {
    position_ = 0;
    return std::exchange(bytes_, {});
}
