#include "Common/expression/ZKExpressionTokenizer.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Texts(const std::string& source) {
    std::vector<std::string> texts;
    for (const auto& t : ZKExpressionTokenizer::Tokenize(source))
        texts.push_back(t.text);
    return texts;
}

TEST(ZKExpressionTokenizing, SplitsOperatorsNamesAndStrings) {
    EXPECT_EQ((std::vector<std::string>{"a", "<<=", "1"}), Texts("a<<=1"));
    EXPECT_EQ((std::vector<std::string>{"a", "+", "-", "1"}), Texts("a+-1"));
    EXPECT_EQ((std::vector<std::string>{"zk.time", "*", "3.5", "!=", "x_1"}), Texts("zk.time*3.5!=x_1"));
    EXPECT_EQ((std::vector<std::string>{"(", "(", "a", ")", ")", "&&", "!", "b"}), Texts("((a))&&!b"));
    EXPECT_EQ((std::vector<std::string>{"\"my item\"", "+", "\"a\"", "b"}), Texts("\"my item\"+\"a\"b"));
    EXPECT_EQ((std::vector<std::string>{"x", "+", "1"}), Texts("x // note\n+ 1"));
    EXPECT_EQ((std::vector<std::string>{"a", "/", "b"}), Texts("a\t/\r\nb//"));
    const auto tokens = ZKExpressionTokenizer::Tokenize("ab  + \"c\"");
    ASSERT_EQ(3u, tokens.size());
    EXPECT_EQ(0u, tokens[0].offset);
    EXPECT_EQ(4u, tokens[1].offset);
    EXPECT_EQ(6u, tokens[2].offset);
}

}  // namespace
