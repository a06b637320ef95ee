#pragma once
// A compiled expression of the expression language.
//
//     ZKExpression e;
//     if (!e.Compile("var(n,0); n += 1; n * 2", &host)) Show(e.ErrorMessage(), e.ErrorTokenText());
//     double v;
//     bool defined = e.Evaluate(sampleContext, v);  // once per sample, in sample order
//
// Compile tokenizes the source and hands the tokens to ZKExpressionParser, which builds the tree against
// this expression's symbol table. The source may select language version 2 by starting with
// "MathLanguageVersion(2,0);", which makes Compile start over once in that version. The host must outlive
// the expression.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Common/expression/ZKExpressionFunctions.h"
#include "Common/expression/ZKExpressionSymbols.h"
#include "Common/expression/ZKExpressionTokenizer.h"
#include "Common/expression/ZKParserNode.h"

class ZKExpressionHost;
class ZKStatInterface;

class ZKExpression {
public:
    ZKExpression();
    ~ZKExpression();
    ZKExpression(const ZKExpression&) = delete;
    ZKExpression& operator=(const ZKExpression&) = delete;

    // Compiles source; on failure the error record is set and no tree remains. A null host answers
    // "not found" to every name. enclosingChannels names the math channels being compiled around this
    // one, so that a channel referring back to one of them is refused.
    bool Compile(const std::string& source, ZKExpressionHost* host = nullptr,
                 std::vector<std::string> enclosingChannels = {});
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
    ZKVariable* FindVariable(std::string_view name) const { return symbols_.FindVariable(name); }
    ZKStatInterface* FindStat(std::string_view name) const { return symbols_.FindStat(name); }

private:
    void Clear();
    bool CompileOnce(ZKExpressionHost& host, const std::vector<std::string>& enclosingChannels,
                     int& requestedMajor, int& requestedMinor);

    std::string source_;
    std::vector<ZKToken> tokens_;
    ZKResultHistory history_;
    ZKExpressionSymbols symbols_;
    ZKNodePtr root_;  // points into symbols_ and history_, so it is declared after them

    int major_ = 1;
    int minor_ = 0;

    std::string errorMessage_;
    std::size_t errorToken_ = 0;
};
