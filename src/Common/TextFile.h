#pragma once
// A thin operating-system file with line readers for the maker's text files.
//
// Opening for reading shares the file with other readers; Create and OpenAppend take it exclusively (advisory
// locks, so only programs that also lock are kept out). Every operation other than opening asserts that a
// file is open and fails otherwise.

#include <string>

#include "Common/ByteFile.h"

class TextFile : public ByteFile {
public:
    TextFile() = default;
    ~TextFile() override;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Each closes a file that is already open first, and returns true when the new file was opened.
    bool OpenRead(const std::string& path);    // existing file, read only
    bool Create(const std::string& path);      // created or truncated, read and write
    bool OpenAppend(const std::string& path);  // existing file, read and write, positioned at its end
    bool IsOpen() const { return fd_ >= 0; }

    bool Read(void* buffer, std::size_t size) override;
    bool Write(const void* data, std::size_t size) override;
    bool Seek(std::int64_t offset, SeekOrigin origin, std::int64_t* newPosition = nullptr) override;
    std::int64_t Tell() override;
    bool Flush();
    void Close();

    // Reads one line of bytes: carriage returns and line feeds are not stored, a line feed ends the line.
    // Returns the number of stored characters, or -1 on a read failure or at end of file. A last line that
    // ends without a line feed is still returned as a line, so no text of a file is lost.
    int ReadLine(std::string& out);
    // The same on 16-bit little-endian units; a unit whose high byte is not zero is dropped.
    int ReadLineWide(std::string& out);
    // Reads every remaining line, each followed by a line feed. Returns the sum of (line length + 1).
    long long ReadAll(std::string& out);
    // Formats printf-style, writes every "\n" as "\r\n". True when everything was written.
    bool WriteLine(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    bool Open(const std::string& path, int flags, bool exclusive);
    bool FillBuffer();
    bool ReadByte(unsigned char& byte);
    bool DropReadBuffer();

    int fd_ = -1;
    std::string buffer_;  // bytes read ahead from the file
    std::size_t bufferPos_ = 0;
};
