#include "Common/ParsableFile.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Common/NumberSyntax.h"
#include "Platform/ZKAssert.h"

const char* const ParsableFile::kYesNo[2] = {"YES", "NO"};
const char* const ParsableFile::kAsIsPassStop[3] = {"ASIS", "PASS", "STOP"};
const char* const ParsableFile::kComparisons[6] = {"==", "!=", ">", "<", ">=", "<="};
const char* const ParsableFile::kFalseTrue[2] = {"FALSE", "TRUE"};

namespace {

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool IsSingleCharToken(char c) {
    return std::strchr("(),:;{}", c) != nullptr && c != '\0';
}

bool IsCompleteString(const std::string& token) {
    return token.size() >= 2 && token.front() == '"' && token.back() == '"';
}

// The text of an open string as it must be written to read back the same characters.
std::string EscapeOpenString(const std::string& buffer, bool escapes) {
    if (!escapes) return buffer;
    std::string out = "\"";
    for (std::size_t i = 1; i < buffer.size(); ++i) {
        if (buffer[i] == '\\' || buffer[i] == '"') out += '\\';
        out += buffer[i];
    }
    return out;
}

}  // namespace

void ParsableFile::SetSourceText(std::string text) {
    fromText_ = true;
    sourceText_ = std::move(text);
    sourcePos_ = 0;
}

void ParsableFile::ResetParser() {
    inComment_ = false;
    fileName_.clear();
    lineNumber_ = 0;
    errors_.clear();
    warnings_.clear();
    currentLine_.clear();
    pending_.clear();
}

void ParsableFile::TakeParserState(ParsableFile& other) {
    inComment_ = other.inComment_;
    fileName_ = std::move(other.fileName_);
    lineNumber_ = other.lineNumber_;
    errors_ = std::move(other.errors_);
    warnings_ = std::move(other.warnings_);
    currentLine_ = std::move(other.currentLine_);
    pending_ = std::move(other.pending_);
    escapes_ = other.escapes_;
    other.ResetParser();
}

int ParsableFile::ReadPhysicalLine(std::string& out) {
    if (!fromText_) return ReadLine(out);
    out.clear();
    if (sourcePos_ >= sourceText_.size()) return -1;
    const std::size_t end = sourceText_.find('\n', sourcePos_);
    const std::size_t stop = end == std::string::npos ? sourceText_.size() : end;
    for (std::size_t i = sourcePos_; i < stop; ++i)
        if (sourceText_[i] != '\r') out += sourceText_[i];
    sourcePos_ = end == std::string::npos ? sourceText_.size() : end + 1;
    return out.size() > INT_MAX ? INT_MAX : static_cast<int>(out.size());
}

bool ParsableFile::NextLine() {
    if (!pending_.empty()) return true;
    std::string carry;
    for (;;) {
        if (lineNumber_ < INT_MAX) ++lineNumber_;  // a "#line" directive may have put it at the top
        const int length = ReadPhysicalLine(currentLine_);
        const bool atEnd = length < 0;
        if (length > 0) carry = Tokenize(carry + currentLine_);
        if (atEnd) carry.clear();
        if (!carry.empty()) continue;
        if (!pending_.empty() || atEnd) break;
    }
    return !pending_.empty();
}

bool ParsableFile::TakeLineDirective(const std::string& line) {
    if (line.size() < 2 || line[0] != '#') return false;
    std::vector<std::string> words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = line.find(' ', start);
        words.push_back(line.substr(start, space == std::string::npos ? std::string::npos : space - start));
        if (space == std::string::npos) break;
        start = space + 1;
    }
    if ((words[0] == "#" || words[0] == "#line" || words[0] == "#LINE") && words.size() >= 3) {
        const long number = std::strtol(words[1].c_str(), nullptr, 10);
        const long clamped = number < INT_MIN + 1L ? INT_MIN + 1L : number > INT_MAX ? INT_MAX : number;
        lineNumber_ = static_cast<std::int32_t>(clamped - 1);
        const std::string& name = words[2];
        fileName_ = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();
    }
    return true;
}

std::string ParsableFile::Tokenize(const std::string& line) {
    if (TakeLineDirective(line)) return {};

    enum class State { Between, Word, String };
    State state = State::Between;
    std::string buffer;
    char previous = '\n';
    bool slashQueued = false;  // the previous character queued a "/" token
    bool escaped = false;      // a backslash inside a string waits for its character
    const std::size_t firstOfLine = pending_.size();

    for (const char c : line) {
        const bool wasSlash = slashQueued;
        slashQueued = false;
        switch (state) {
            case State::Between:
                if (inComment_) {
                    if (c == '/' && previous == '*') {
                        inComment_ = false;
                        previous = '\0';  // "*/" closes once; the "/" starts nothing
                        continue;
                    }
                    break;
                }
                if (c == ' ' || c == '\t') break;
                if (IsSingleCharToken(c)) {
                    pending_.emplace_back(1, c);
                } else if (c == '/') {
                    if (wasSlash) {
                        pending_.pop_back();  // "//": the rest of the line is a comment
                        return {};
                    }
                    pending_.emplace_back("/");
                    slashQueued = true;
                } else if (c == '*' && wasSlash) {
                    pending_.pop_back();
                    inComment_ = true;
                    previous = '\0';  // the "*" of "/*" cannot also close the comment
                    continue;
                } else if (c == '"') {
                    if (pending_.size() > firstOfLine && IsCompleteString(pending_.back())) {
                        buffer = std::move(pending_.back());  // adjacent strings are joined
                        pending_.pop_back();
                        buffer.pop_back();
                    } else {
                        buffer = "\"";
                    }
                    escaped = false;
                    state = State::String;
                } else {
                    buffer.assign(1, c);
                    state = State::Word;
                }
                break;
            case State::Word:
                if (c == ' ' || c == '\t') {
                    pending_.push_back(std::move(buffer));
                    state = State::Between;
                } else if (c == '"') {
                    pending_.push_back(std::move(buffer));
                    buffer = "\"";
                    escaped = false;
                    state = State::String;
                } else if (IsSingleCharToken(c) || c == '/') {
                    pending_.push_back(std::move(buffer));
                    pending_.emplace_back(1, c);
                    slashQueued = c == '/';
                    state = State::Between;
                } else {
                    buffer += c;
                }
                break;
            case State::String:
                if (!escapes_) {
                    buffer += c;
                    if (c == '"') {
                        pending_.push_back(std::move(buffer));
                        state = State::Between;
                    }
                } else if (escaped) {
                    buffer += c;
                    escaped = false;
                } else if (c == '\\') {
                    escaped = true;
                } else {
                    buffer += c;
                    if (c == '"') {
                        pending_.push_back(std::move(buffer));
                        state = State::Between;
                    }
                }
                break;
        }
        previous = c;
    }
    if (state == State::Word) pending_.push_back(std::move(buffer));
    if (state == State::String) return EscapeOpenString(buffer, escapes_);
    return {};
}

bool ParsableFile::PopToken(std::string& out) {
    if (!NextLine()) return false;
    out = std::move(pending_.front());
    pending_.pop_front();
    return true;
}

bool ParsableFile::PeekToken(std::string& out) {
    if (!NextLine()) return false;
    out = pending_.front();
    return true;
}

bool ParsableFile::PopPunct(std::string& out) {
    return PopToken(out) && out.size() == 1;
}

bool ParsableFile::PeekPunct(std::string& out) {
    return PeekToken(out) && out.size() == 1;
}

bool ParsableFile::ReadTokens(int count, const TokenKind* kinds, const TokenExpect* expected,
                              TokenValue* results) {
    std::string token;
    for (int i = 0; i < count; ++i) {
        if (!PopToken(token)) {
            AddError("Unexpected end of file\n");
            return false;
        }
        TokenValue& result = results[i];
        switch (kinds[i]) {
            case TK_LABEL:
                result.text = token;
                if (token[0] >= '0' && token[0] <= '9') {
                    AddError("LABELS cant start with a numeral\n");
                    return false;
                }
                if (token.find('"') != std::string::npos) {
                    AddError("LABELS cant contain a '\"'\n");
                    return false;
                }
                break;
            case TK_STRING:
                if (token.size() < 2) {
                    AddError("Cant find STRING\n");
                    return false;
                }
                if (token.front() != '"') {
                    AddError("Cant find open quote in STRING\n");
                    return false;
                }
                if (token.back() != '"') {
                    AddError("Cant find close quote in STRING\n");
                    return false;
                }
                result.text = token.substr(1, token.size() - 2);
                break;
            case TK_CHAR:
                if (token.size() != 1 || token[0] != expected[i].character) {
                    AddError("Unexpected character(s) \"%s\"\n", token.c_str());
                    return false;
                }
                break;
            case TK_INT:
                if (!ParseIntegerToken(token, result.integer)) return false;
                break;
            case TK_HEX:
                if (!ParseIntegerToken("0x" + token, result.integer)) return false;
                break;
            case TK_REAL:
                if (!ParseRealToken(token, result.real)) return false;
                break;
            case TK_ENUM: {
                int found = -1;
                for (int w = 0; w < expected[i].wordCount && found < 0; ++w)
                    if (token == expected[i].words[w]) found = w;
                if (found < 0) {
                    AddError("\"%s\" is not in ENUM\n", token.c_str());
                    return false;
                }
                result.integer = found;
                break;
            }
            case TK_ANY:
                break;
            default:
                ZKASSERT(!"unknown token kind");
                return false;
        }
    }
    return true;
}

using TokenList = ParsableArgs;

bool ParsableFile::ReadIntArg(std::int64_t& value) {
    TokenList list;
    if (!list.Char('(').Int().Char(')').Read(*this)) return false;
    value = list[1].integer;
    return true;
}

bool ParsableFile::ReadRealArg(double& value) {
    TokenList list;
    if (!list.Char('(').Real().Char(')').Read(*this)) return false;
    value = list[1].real;
    return true;
}

bool ParsableFile::ReadLabelArg(std::string& value) {
    TokenList list;
    if (!list.Char('(').Label().Char(')').Read(*this)) return false;
    value = list[1].text;
    return true;
}

bool ParsableFile::ReadStringArg(std::string& value) {
    TokenList list;
    if (!list.Char('(').String().Char(')').Read(*this)) return false;
    value = list[1].text;
    return true;
}

bool ParsableFile::ReadEnumArg(const char* const* words, int n, int& index) {
    TokenList list;
    if (!list.Char('(').Enum(words, n).Char(')').Read(*this)) return false;
    index = static_cast<int>(list[1].integer);
    return true;
}

bool ParsableFile::ReadBoolArg(bool& value) {
    int index = 0;
    if (!ReadEnumArg(kFalseTrue, 2, index)) return false;
    value = index == 1;
    return true;
}

bool ParsableFile::ReadPairBlock(std::uint16_t& first, std::uint16_t& second) {
    TokenList list;
    if (!list.Char('(').Int().Char(',').Int().Char(')').Char('{').Read(*this)) return false;
    if (list[1].integer < 0 || list[3].integer < 0) return false;
    first = static_cast<std::uint16_t>(list[1].integer);
    second = static_cast<std::uint16_t>(list[3].integer);
    return true;
}

bool ParsableFile::ReadTriple(std::uint8_t& a, std::uint8_t& b, std::uint16_t& c) {
    TokenList list;
    if (!list.Char('(').Int().Char(',').Int().Char(',').Int().Char(')').Read(*this)) return false;
    a = static_cast<std::uint8_t>(list[1].integer);
    b = static_cast<std::uint8_t>(list[3].integer);
    c = static_cast<std::uint16_t>(list[5].integer);
    return true;
}

bool ParsableFile::ReadHexBytes(int n, std::uint8_t* bytes) {
    if (!ZKASSERT(n >= 1)) return false;
    TokenList list;
    list.Char('(');
    for (int i = 0; i < n; ++i) {
        if (i > 0) list.Char(',');
        list.Hex();
    }
    if (!list.Char(')').Read(*this)) return false;
    bool fits = true;
    for (int i = 0; i < n; ++i) {
        const std::int64_t value = list[1 + 2 * i].integer;
        if (value < 0 || value >= 256)
            fits = false;
        else
            bytes[i] = static_cast<std::uint8_t>(value);
    }
    return fits;
}

bool ParsableFile::ReadRealList(int n, double* values) {
    if (!ZKASSERT(n >= 1)) return false;
    TokenList open;
    if (!open.Char('{').Read(*this)) return false;
    std::string next;
    if (PeekToken(next) && next == "}") {
        PopToken(next);
        return true;
    }
    TokenList list;
    for (int i = 0; i < n; ++i) {
        if (i > 0) list.Char(',');
        list.Real();
    }
    if (!list.Char('}').Read(*this)) return false;
    for (int i = 0; i < n; ++i)
        values[i] = list[2 * i].real;
    return true;
}

bool ParsableFile::ReadWordList(std::vector<std::string>& words) {
    TokenList open;
    if (!open.Char('(').Read(*this)) return false;
    std::vector<std::string> read;
    std::string token;
    if (PeekToken(token) && token == ")") {
        PopToken(token);
        words.clear();
        return true;
    }
    for (;;) {
        if (!PopToken(token)) {
            AddError("Unexpected end of file\n");
            return false;
        }
        read.push_back(token);
        if (!PopToken(token)) {
            AddError("Unexpected end of file\n");
            return false;
        }
        if (token == ")") break;
        if (token != ",") {
            AddError("Unexpected character(s) \"%s\"\n", token.c_str());
            return false;
        }
    }
    words = std::move(read);
    return true;
}

std::string ParsableFile::Positioned(const std::string& message) const {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%05d \"", lineNumber_);
    return prefix + fileName_ + "\" - " + message;
}

void ParsableFile::AddError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    errors_.push_back(Positioned(FormatV(format, args)));
    va_end(args);
}

void ParsableFile::AddWarning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    warnings_.push_back(Positioned(FormatV(format, args)));
    va_end(args);
}

void ParsableFile::AddErrorRaw(const char* format, ...) {
    va_list args;
    va_start(args, format);
    errors_.push_back(FormatV(format, args));
    va_end(args);
}

void ParsableFile::AddWarningRaw(const char* format, ...) {
    va_list args;
    va_start(args, format);
    warnings_.push_back(FormatV(format, args));
    va_end(args);
}

std::string ParsableFile::FormatList(const std::vector<std::string>& list) {
    std::string out;
    if (list.size() <= 20) {
        for (const std::string& entry : list)
            out += entry;
        return out;
    }
    for (std::size_t i = 0; i < 10; ++i)
        out += list[i];
    out += "...\n";
    for (std::size_t i = 0; i < 10; ++i)
        out += list[list.size() - 1 - i];
    return out;
}

void ParsableFile::PrintErrors() const {
    std::fputs(FormatList(errors_).c_str(), stdout);
}

void ParsableFile::PrintWarnings() const {
    std::fputs(FormatList(warnings_).c_str(), stdout);
}
