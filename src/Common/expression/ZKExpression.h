#pragma once
// A compiled expression of the expression language.
//
//     ZKExpression e;
//     if (!e.Compile("var(n,0); n += 1; n * 2", &host)) Show(e.ErrorMessage(), e.ErrorTokenText());
//     double v;
//     bool defined = e.Evaluate(sampleContext, v);  // once per sample, in sample order
//
// Compile splits the token list at its weakest operator and recurses on both sides; declarations (var,
// const, stat) take effect while compiling. The source may select language version 2 by starting with
// "MathLanguageVersion(2,0);". The host must outlive the expression. Deeply nested sources fail with a
// message instead of exhausting the stack.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/expression/ZKExpressionFunctions.h"
#include "Common/expression/ZKParserNode.h"

class ZKExpressionHost;
class ZKStatInterface;

struct ZKToken {
    std::string text;  // string tokens keep their quotes
    std::size_t offset = 0;
};

class ZKExpression {
public:
    ZKExpression();
    ~ZKExpression();
    ZKExpression(const ZKExpression&) = delete;
    ZKExpression& operator=(const ZKExpression&) = delete;

    // Compiles source; on failure the error record is set and no tree remains. A null host answers
    // "not found" to every name.
    bool Compile(const std::string& source, ZKExpressionHost* host = nullptr);
    // Evaluates the root for one sample; false means undefined. Records the result for previous().
    bool Evaluate(const ZKSampleContext& context, double& value);
    // Every stateful node starts over with the next sample; the result history is forgotten.
    void Reset();
    bool IsStateful() const;
    bool HasRoot() const { return root_ != nullptr; }

    const std::string& ErrorMessage() const { return errorMessage_; }
    std::size_t ErrorToken() const { return errorToken_; }
    std::string ErrorTokenText() const;
    const std::string& Source() const { return source_; }
    const std::vector<ZKToken>& Tokens() const { return tokens_; }
    int MajorVersion() const { return major_; }
    int MinorVersion() const { return minor_; }

    // Declared and predefined variables, e.g. "zk.time", for the host to write before a sample.
    ZKVariable* FindVariable(std::string_view name) const;
    ZKStatInterface* FindStat(std::string_view name) const;

    static std::vector<ZKToken> Tokenize(std::string_view source);

    // How deep brackets, calls, blocks, unary operators and conditionals may nest.
    static constexpr int kMaxNesting = 256;
    // How many operators all chains of one operator strength may hold together: every one of them
    // deepens the tree that evaluation walks recursively.
    static constexpr std::size_t kMaxChainOperators = 16384;

private:
    friend class ZKExpressionParser;
    struct StatEntry {
        std::string name;
        ZKStatInterface* stat;
    };

    void Clear();
    void CreatePredefined();
    ZKVariable* AddVariable(std::string name, bool isConst, std::vector<int> dims);

    std::string source_;
    std::vector<ZKToken> tokens_;
    ZKNodePtr root_;
    std::vector<std::unique_ptr<ZKVariable>> variables_;
    std::vector<StatEntry> stats_;
    ZKResultHistory history_;
    ZKExpressionHost* host_ = nullptr;
    std::vector<std::string> channelChain_;  // math channels being compiled around this one

    int major_ = 1;
    int minor_ = 0;
    int requestedMajor_ = -1;
    int requestedMinor_ = -1;

    std::string errorMessage_;
    std::size_t errorToken_ = 0;
};
