#pragma once
// Splits the source of an expression into tokens.
//
// Blanks end a token; a double quote starts a string token that runs to the next quote (no escapes) and
// keeps its quotes. A token changes between operator characters and other characters, and a run of
// operator characters goes on only while it still spells an operator ("<<=" is one token, "+-" two).
// "//" drops the rest of its line. Letters, digits, "." and "_" thus form names and numbers.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ZKToken {
    std::string text;  // string tokens keep their quotes
    std::size_t offset = 0;
};

class ZKExpressionTokenizer {
public:
    static std::vector<ZKToken> Tokenize(std::string_view source);

private:
    explicit ZKExpressionTokenizer(std::string_view source) : source_(source) {}
    void Run();
    void Flush();
    void ReadString();
    void SkipLine();

    std::string_view source_;
    std::size_t pos_ = 0;
    std::vector<ZKToken> tokens_;
    std::string current_;
    std::size_t start_ = 0;
    bool currentIsOperator_ = false;
};
