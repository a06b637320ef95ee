#include "Common/TextFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "Platform/ZKAssert.h"

namespace {
constexpr std::size_t kReadAhead = 64 * 1024;
}

TextFile::~TextFile() {
    Close();
}

bool TextFile::Open(const std::string& path, int flags, bool exclusive) {
    Close();
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool TextFile::OpenRead(const std::string& path) {
    return Open(path, O_RDONLY, false);
}

bool TextFile::Create(const std::string& path) {
    // Truncate only after the lock is held, so that a file another writer holds is left intact.
    if (!Open(path, O_RDWR | O_CREAT, true)) return false;
    if (::ftruncate(fd_, 0) != 0) {
        Close();
        return false;
    }
    return true;
}

bool TextFile::OpenAppend(const std::string& path) {
    if (!Open(path, O_RDWR, true)) return false;
    if (::lseek(fd_, 0, SEEK_END) < 0) {
        Close();
        return false;
    }
    return true;
}

void TextFile::Close() {
    if (fd_ < 0) return;
    ::close(fd_);  // also releases the lock
    fd_ = -1;
    buffer_.clear();
    bufferPos_ = 0;
}

bool TextFile::Flush() {
    if (!ZKASSERT(IsOpen())) return false;
    return ::fsync(fd_) == 0 || errno == EINVAL;  // EINVAL: a special file that cannot be synced
}

// Gives back bytes read ahead but not consumed, so the descriptor's position is the logical one again.
bool TextFile::DropReadBuffer() {
    const std::size_t unread = buffer_.size() - bufferPos_;
    buffer_.clear();
    bufferPos_ = 0;
    return unread == 0 || ::lseek(fd_, -static_cast<off_t>(unread), SEEK_CUR) >= 0;
}

bool TextFile::FillBuffer() {
    buffer_.resize(kReadAhead);
    bufferPos_ = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), kReadAhead);
        if (n < 0 && errno == EINTR) continue;
        buffer_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return n > 0;
    }
}

bool TextFile::ReadByte(unsigned char& byte) {
    if (bufferPos_ >= buffer_.size() && !FillBuffer()) return false;
    byte = static_cast<unsigned char>(buffer_[bufferPos_++]);
    return true;
}

bool TextFile::Read(void* buffer, std::size_t size) {
    if (!ZKASSERT(IsOpen())) return false;
    auto* out = static_cast<char*>(buffer);
    const std::size_t fromBuffer = std::min(size, buffer_.size() - bufferPos_);
    std::copy_n(buffer_.data() + bufferPos_, fromBuffer, out);
    bufferPos_ += fromBuffer;
    std::size_t done = fromBuffer;
    while (done < size) {
        const ssize_t n = ::read(fd_, out + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool TextFile::Write(const void* data, std::size_t size) {
    if (!ZKASSERT(IsOpen())) return false;
    if (!DropReadBuffer()) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool TextFile::Seek(std::int64_t offset, SeekOrigin origin, std::int64_t* newPosition) {
    if (!ZKASSERT(IsOpen())) return false;
    if (!DropReadBuffer()) return false;
    const int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                       : origin == SeekOrigin::Current ? SEEK_CUR
                                                       : SEEK_END;
    const off_t position = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (position < 0) return false;
    if (newPosition) *newPosition = position;
    return true;
}

std::int64_t TextFile::Tell() {
    if (!ZKASSERT(IsOpen())) return -1;
    const off_t position = ::lseek(fd_, 0, SEEK_CUR);
    if (position < 0) return -1;
    return position - static_cast<std::int64_t>(buffer_.size() - bufferPos_);
}

int TextFile::ReadLine(std::string& out) {
    out.clear();
    if (!ZKASSERT(IsOpen())) return -1;
    bool readAny = false;
    unsigned char byte = 0;
    while (ReadByte(byte)) {
        readAny = true;
        if (byte == '\n') return static_cast<int>(out.size());
        if (byte != '\r') out.push_back(static_cast<char>(byte));
    }
    return readAny ? static_cast<int>(out.size()) : -1;
}

int TextFile::ReadLineWide(std::string& out) {
    out.clear();
    if (!ZKASSERT(IsOpen())) return -1;
    bool readAny = false;
    unsigned char low = 0;
    unsigned char high = 0;
    while (ReadByte(low) && ReadByte(high)) {
        readAny = true;
        if (high != 0) continue;
        if (low == '\n') return static_cast<int>(out.size());
        if (low != '\r') out.push_back(static_cast<char>(low));
    }
    return readAny ? static_cast<int>(out.size()) : -1;
}

long long TextFile::ReadAll(std::string& out) {
    out.clear();
    long long total = 0;
    std::string line;
    for (int n; (n = ReadLine(line)) >= 0;) {
        out += line;
        out += '\n';
        total += n + 1;
    }
    return total;
}

bool TextFile::WriteLine(const char* format, ...) {
    if (!ZKASSERT(IsOpen())) return false;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    if (length < 0) return false;

    std::string crlf;
    crlf.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return Write(crlf.data(), crlf.size());
}
