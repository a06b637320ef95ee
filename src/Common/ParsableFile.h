#pragma once
// Reads the maker's block-structured text files as a queue of tokens.
//
// Lines come from the open file, or from a text given with SetSourceText (tests, fuzzing, embedded texts).
// Tokens are plain strings: words, the single characters ( ) , : ; { } and "/", and quoted strings that keep
// their two double quotes. Line comments ("//"), block comments ("/*" ... "*/", across lines), strings across
// lines, adjacent strings on a line (joined into one) and "#line N \"file\"" directives are handled here.
//
// Errors and warnings are collected, never thrown: each AddError/AddWarning stores the message with the
// current line number and file name. A failed read leaves the message in the list and returns false.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "Common/TextFile.h"

class ParsableFile : public TextFile {
public:
    enum TokenKind { TK_LABEL, TK_STRING, TK_CHAR, TK_INT, TK_HEX, TK_REAL, TK_ENUM, TK_ANY };

    // What ReadTokens expects of one token: the character of TK_CHAR, the word list of TK_ENUM.
    struct TokenExpect {
        char character = 0;
        const char* const* words = nullptr;
        int wordCount = 0;
    };
    // What ReadTokens stores for one token: `text` for TK_LABEL and TK_STRING (without quotes), `integer` for
    // TK_INT, TK_HEX and TK_ENUM (the word's index), `real` for TK_REAL.
    struct TokenValue {
        std::string text;
        std::int64_t integer = 0;
        double real = 0;
    };

    // Word lists used with TK_ENUM.
    static const char* const kYesNo[2];         // "YES", "NO"
    static const char* const kAsIsPassStop[3];  // "ASIS", "PASS", "STOP"
    static const char* const kComparisons[6];   // "==", "!=", ">", "<", ">=", "<="
    static const char* const kFalseTrue[2];     // "FALSE", "TRUE"

    ParsableFile() = default;

    // Lines are read from `text` instead of the file until the source is reset. A last line without a line
    // feed is read like any other, as TextFile::ReadLine does.
    void SetSourceText(std::string text);
    // Forgets the tokenizer state, the position and both message lists (the source stays).
    void ResetParser();

    // True if at least one token is pending, reading further lines as needed.
    bool NextLine();
    bool PopToken(std::string& out);
    bool PeekToken(std::string& out);
    // As PopToken/PeekToken; true only when a token was there and it is one character long.
    bool PopPunct(std::string& out);
    bool PeekPunct(std::string& out);

    // The typed reader: reads `count` tokens, checking entry i against kinds[i] and expected[i], storing into
    // results[i]. Stops with an error message at the first token that does not fit.
    bool ReadTokens(int count, const TokenKind* kinds, const TokenExpect* expected, TokenValue* results);

    // Convenience readers; each leaves its outputs unchanged when it fails.
    bool ReadIntArg(std::int64_t& value);                                 // ( int )
    bool ReadRealArg(double& value);                                      // ( real )
    bool ReadLabelArg(std::string& value);                                // ( label )
    bool ReadStringArg(std::string& value);                               // ( "string" )
    bool ReadEnumArg(const char* const* words, int n, int& index);        // ( word )
    bool ReadBoolArg(bool& value);                                        // ( FALSE | TRUE )
    bool ReadPairBlock(std::uint16_t& first, std::uint16_t& second);      // ( int , int ) {
    bool ReadTriple(std::uint8_t& a, std::uint8_t& b, std::uint16_t& c);  // ( int , int , int )
    bool ReadHexBytes(int n, std::uint8_t* bytes);                        // ( hex , ... hex ), n values
    bool ReadRealList(int n, double* values);                             // { real , ... real } or { }
    bool ReadWordList(std::vector<std::string>& words);                   // ( word , ... ) or ( )

    void AddError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AddWarning(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AddErrorRaw(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AddWarningRaw(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Write a list to standard output; a list of more than 20 entries as its first ten, "...", and its last
    // ten newest first.
    void PrintErrors() const;
    void PrintWarnings() const;
    // The same text as PrintErrors/PrintWarnings, for callers that write elsewhere.
    static std::string FormatList(const std::vector<std::string>& list);

    const std::vector<std::string>& Errors() const { return errors_; }
    const std::vector<std::string>& Warnings() const { return warnings_; }
    int LineNumber() const { return lineNumber_; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    const std::string& CurrentLine() const { return currentLine_; }
    void SetEscapes(bool on) { escapes_ = on; }
    bool Escapes() const { return escapes_; }

protected:
    // Moves the tokenizer state and message lists from `other` (used when a loaded profile changes hands).
    void TakeParserState(ParsableFile& other);

private:
    int ReadPhysicalLine(std::string& out);
    // Tokenizes one line into the pending queue; returns the text of a string still open at its end.
    std::string Tokenize(const std::string& line);
    bool TakeLineDirective(const std::string& line);
    std::string Positioned(const std::string& message) const;

    bool inComment_ = false;
    std::string fileName_;
    std::int32_t lineNumber_ = 0;
    std::vector<std::string> errors_;
    std::vector<std::string> warnings_;
    std::string currentLine_;
    std::deque<std::string> pending_;
    bool escapes_ = true;

    bool fromText_ = false;
    std::string sourceText_;
    std::size_t sourcePos_ = 0;
};

// Builds the argument list of one ReadTokens call:
//     ParsableArgs args;
//     if (!args.Char('(').Label().Char(',').Int().Char(')').Read(file)) return false;
//     use(args[1].text, args[3].integer);
class ParsableArgs {
public:
    ParsableArgs& Char(char c) { return Add(ParsableFile::TK_CHAR, c); }
    ParsableArgs& Label() { return Add(ParsableFile::TK_LABEL); }
    ParsableArgs& String() { return Add(ParsableFile::TK_STRING); }
    ParsableArgs& Int() { return Add(ParsableFile::TK_INT); }
    ParsableArgs& Hex() { return Add(ParsableFile::TK_HEX); }
    ParsableArgs& Real() { return Add(ParsableFile::TK_REAL); }
    ParsableArgs& Any() { return Add(ParsableFile::TK_ANY); }
    ParsableArgs& Enum(const char* const* words, int n) { return Add(ParsableFile::TK_ENUM, 0, words, n); }
    bool Read(ParsableFile& file) {
        values_.assign(kinds_.size(), {});
        return file.ReadTokens(static_cast<int>(kinds_.size()), kinds_.data(), expected_.data(),
                               values_.data());
    }
    const ParsableFile::TokenValue& operator[](std::size_t i) const { return values_[i]; }

private:
    ParsableArgs& Add(ParsableFile::TokenKind kind, char c = 0, const char* const* words = nullptr,
                      int n = 0) {
        kinds_.push_back(kind);
        expected_.push_back({c, words, n});
        return *this;
    }
    std::vector<ParsableFile::TokenKind> kinds_;
    std::vector<ParsableFile::TokenExpect> expected_;
    std::vector<ParsableFile::TokenValue> values_;
};
