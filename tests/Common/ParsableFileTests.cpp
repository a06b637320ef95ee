#include "Common/ParsableFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

std::vector<std::string> Tokens(const std::string& text, bool escapes = true) {
    ParsableFile file;
    file.SetEscapes(escapes);
    file.SetSourceText(text);
    std::vector<std::string> tokens;
    std::string token;
    while (file.PopToken(token))
        tokens.push_back(token);
    return tokens;
}

using V = std::vector<std::string>;

TEST(ParsableFileTokens, CommentsStringsEscapesAndLineEnds) {
    const struct {
        const char* text;
        V expected;
        bool escapes = true;
    } cases[] = {
        {"a/b", {"a", "/", "b"}},
        {"ELEMENT(A,\"x\", -3){:;}", {"ELEMENT", "(", "A", ",", "\"x\"", ",", "-3", ")", "{", ":", ";", "}"}},
        {"\ta*b  #c ", {"a*b", "#c"}},
        {"a //b c\n", {"a"}},
        {"a //b\nc", {"a", "c"}},
        {"a/* x */b", {"a", "b"}},
        {"a /* one\n two ( \"\n*/ b", {"a", "b"}},
        {"a /*/ b */ c", {"a", "c"}},                  // "/*/" opens a comment; only a later "*/" closes it
        {"NAME \"ab\" \"cd\"", {"NAME", "\"abcd\""}},  // adjacent strings join
        {"\"ab\",\"cd\"", {"\"ab\"", ",", "\"cd\""}},
        {"X\"a b // c\"Y", {"X", "\"a b // c\"", "Y"}},
        {"\"first \nsecond\" x", {"\"first second\"", "x"}},  // strings run over lines
        {"\"a\n\nb\"", {"\"ab\""}},                           // an empty line inside adds nothing
        {"\"a\\\\q\\\"\nb\"", {"\"a\\q\"b\""}},               // escapes survive the line break
        {"\"a\\\\b\"", {"\"a\\b\""}},
        {"\"say \\\"hi\\\"\"", {"\"say \"hi\"\""}},
        {"\"a\\\" b", {"\"a\\\"", "b"}, false},
        {"a\r\nb", {"a", "b"}},  // the last line without a line feed is read
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Tokens(c.text, c.escapes)) << c.text;
}

TEST(ParsableFilePosition, LineDirectivesSetNumberAndNameAndNumbersStopAtTheTop) {
    ParsableFile file;
    file.SetSourceText("#line 100 \"x.txt\"\nA\n#pragma once x\n#\n#line 2147483647 \"y\"\nB\nC\n");
    std::string token;
    ASSERT_TRUE(file.PopToken(token));
    EXPECT_EQ("A", token);
    EXPECT_EQ(100, file.LineNumber());
    EXPECT_EQ("x.txt", file.FileName());
    ASSERT_TRUE(file.PopToken(token));
    EXPECT_EQ("#", token);  // a lone "#" is a word
    EXPECT_EQ(102, file.LineNumber());
    ASSERT_TRUE(file.PopToken(token));
    ASSERT_TRUE(file.PopToken(token));
    EXPECT_EQ("C", token);
    EXPECT_EQ(2147483647, file.LineNumber());
    EXPECT_EQ("y", file.FileName());
}

TEST(ParsableFilePosition, MessagesCarryLineAndFile) {
    ParsableFile file;
    file.SetSourceText("1\n2\n3\n4\n5\n6\nX\n");
    file.SetFileName("p.txt");
    std::string token;
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(file.PopToken(token));
    file.AddError("Unexpected token \"%s\"\n", token.c_str());
    file.AddWarningRaw("raw %d\n", 5);
    EXPECT_EQ((V{"00007 \"p.txt\" - Unexpected token \"X\"\n"}), file.Errors());
    EXPECT_EQ((V{"raw 5\n"}), file.Warnings());
}

TEST(ParsableFilePosition, LongListsPrintHeadAndNewestTail) {
    std::vector<std::string> list;
    for (int i = 1; i <= 25; ++i)
        list.push_back(std::to_string(i) + "\n");
    EXPECT_EQ("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n...\n25\n24\n23\n22\n21\n20\n19\n18\n17\n16\n",
              ParsableFile::FormatList(list));
    list.resize(20);
    std::string whole;
    for (const auto& entry : list)
        whole += entry;
    EXPECT_EQ(whole, ParsableFile::FormatList(list));
}

// A reader over `text` with the last error's message (without position) at hand.
struct Reader {
    explicit Reader(const std::string& text) { file.SetSourceText(text); }
    std::string LastError() const {
        if (file.Errors().empty()) return {};
        const std::string& e = file.Errors().back();
        return e.substr(e.find(" - ") + 3);
    }
    ParsableFile file;
};

TEST(ParsableFileTypedReader, IntegerBasesAndHex) {
    Reader r("(12h)");
    std::int64_t value = 0;
    ASSERT_TRUE(r.file.ReadIntArg(value));
    EXPECT_EQ(18, value);
    Reader hex("1F");
    ParsableArgs args;
    ASSERT_TRUE(args.Hex().Read(hex.file));
    EXPECT_EQ(31, args[0].integer);

    Reader bad("(12z)");
    std::int64_t kept = 7;
    EXPECT_FALSE(bad.file.ReadIntArg(kept));
    EXPECT_EQ(7, kept);
}

TEST(ParsableFileTypedReader, Reals) {
    double value = 0;
    Reader r1("(1.5e3)");
    ASSERT_TRUE(r1.file.ReadRealArg(value));
    EXPECT_DOUBLE_EQ(1500.0, value);
    Reader r2("(12)");
    ASSERT_TRUE(r2.file.ReadRealArg(value));
    EXPECT_DOUBLE_EQ(12.0, value);
    Reader r3("(1.5E3)");
    EXPECT_FALSE(r3.file.ReadRealArg(value));
    EXPECT_DOUBLE_EQ(12.0, value);
}

TEST(ParsableFileTypedReader, LabelStringCharAndEnumMessages) {
    std::string text;
    Reader digit("(9abc)");
    EXPECT_FALSE(digit.file.ReadLabelArg(text));
    EXPECT_EQ("LABELS cant start with a numeral\n", digit.LastError());

    Reader quote("(\"b\")");
    EXPECT_FALSE(quote.file.ReadLabelArg(text));
    EXPECT_EQ("LABELS cant contain a '\"'\n", quote.LastError());

    Reader notString("(abc)");
    EXPECT_FALSE(notString.file.ReadStringArg(text));
    EXPECT_EQ("Cant find open quote in STRING\n", notString.LastError());
    Reader shortString("(a)");
    EXPECT_FALSE(shortString.file.ReadStringArg(text));
    EXPECT_EQ("Cant find STRING\n", shortString.LastError());

    Reader wrongChar("[x)");
    EXPECT_FALSE(wrongChar.file.ReadLabelArg(text));
    EXPECT_EQ("Unexpected character(s) \"[x\"\n", wrongChar.LastError());

    Reader notInEnum("(MAYBE)");
    int index = 0;
    EXPECT_FALSE(notInEnum.file.ReadEnumArg(ParsableFile::kYesNo, 2, index));
    EXPECT_EQ("\"MAYBE\" is not in ENUM\n", notInEnum.LastError());

    Reader end("(");
    EXPECT_FALSE(end.file.ReadLabelArg(text));
    EXPECT_EQ("Unexpected end of file\n", end.LastError());

    Reader good("( \"hello world\" ) (NO) (TRUE)");
    ASSERT_TRUE(good.file.ReadStringArg(text));
    EXPECT_EQ("hello world", text);
    ASSERT_TRUE(good.file.ReadEnumArg(ParsableFile::kYesNo, 2, index));
    EXPECT_EQ(1, index);
    bool flag = false;
    ASSERT_TRUE(good.file.ReadBoolArg(flag));
    EXPECT_TRUE(flag);
}

TEST(ParsableFileTypedReader, CompoundReaders) {
    Reader pair("(3, 0x10) { (1, 2, 70000) (0, FF, 1)");
    std::uint16_t first = 0, second = 0;
    ASSERT_TRUE(pair.file.ReadPairBlock(first, second));
    EXPECT_EQ(3, first);
    EXPECT_EQ(16, second);
    std::uint8_t a = 0, b = 0;
    std::uint16_t c = 0;
    ASSERT_TRUE(pair.file.ReadTriple(a, b, c));
    EXPECT_EQ(1, a);
    EXPECT_EQ(2, b);
    EXPECT_EQ(70000 % 65536, c);
    std::uint8_t bytes[3] = {9, 9, 9};
    ASSERT_TRUE(pair.file.ReadHexBytes(3, bytes));
    EXPECT_EQ((std::vector<int>{0, 255, 1}), (std::vector<int>{bytes[0], bytes[1], bytes[2]}));

    Reader negative("(-1, 2) {");
    EXPECT_FALSE(negative.file.ReadPairBlock(first, second));
    EXPECT_EQ(3, first);

    Reader tooBig("(1, 100)");
    EXPECT_FALSE(tooBig.file.ReadHexBytes(2, bytes));
    EXPECT_EQ(1, bytes[0]);  // the bytes that fit are still stored
    EXPECT_EQ(255, bytes[1]);
}

TEST(ParsableFileTypedReader, RealAndWordLists) {
    double values[3] = {7, 7, 7};
    Reader empty("{ }");
    ASSERT_TRUE(empty.file.ReadRealList(3, values));
    EXPECT_EQ(7, values[0]);
    Reader three("{1, 2.5, -3e1}");
    ASSERT_TRUE(three.file.ReadRealList(3, values));
    EXPECT_EQ((std::vector<double>{1, 2.5, -30}), (std::vector<double>{values[0], values[1], values[2]}));
    Reader two("{1, 2}");
    EXPECT_FALSE(two.file.ReadRealList(3, values));

    std::vector<std::string> words{"old"};
    Reader none("()");
    ASSERT_TRUE(none.file.ReadWordList(words));
    EXPECT_TRUE(words.empty());
    Reader list("(A, \"b\", 3)");
    ASSERT_TRUE(list.file.ReadWordList(words));
    EXPECT_EQ((V{"A", "\"b\"", "3"}), words);
    Reader broken("(A B)");
    EXPECT_FALSE(broken.file.ReadWordList(words));
    EXPECT_EQ("Unexpected character(s) \"B\"\n", broken.LastError());
}

TEST(ParsableFileSource, ReadsFromAFileAndPeeks) {
    zktest::TempDir dir;
    zktest::WriteWholeFile(dir.File("p.txt"), "ENUM(e)\n{ }");
    ParsableFile file;
    ASSERT_TRUE(file.OpenRead(dir.File("p.txt")));
    std::string token;
    ASSERT_TRUE(file.PeekPunct(token) == false && token == "ENUM");
    ASSERT_TRUE(file.PopToken(token));
    EXPECT_TRUE(file.PeekPunct(token));
    EXPECT_EQ("(", token);
    std::vector<std::string> rest;
    while (file.PopToken(token))
        rest.push_back(token);
    EXPECT_EQ((V{"(", "e", ")", "{", "}"}), rest);
}

}  // namespace
