#include "Common/expression/ZKExpression.h"

#include "Common/expression/ZKExpressionHost.h"
#include "Common/expression/ZKExpressionParser.h"
#include "Common/expression/ZKTokenList.h"

namespace {

ZKExpressionHost& NullHost() {
    static ZKExpressionHost host;
    return host;
}

}  // namespace

ZKExpression::ZKExpression() = default;

ZKExpression::~ZKExpression() {
    Clear();
}

void ZKExpression::Clear() {
    root_.reset();
    symbols_.Clear();
    history_ = ZKResultHistory();
    tokens_.clear();
}

bool ZKExpression::Compile(const std::string& source, ZKExpressionHost* host,
                           std::vector<std::string> enclosingChannels) {
    ZKExpressionHost& h = host != nullptr ? *host : NullHost();
    source_ = source;
    major_ = 1;
    minor_ = 0;
    errorMessage_.clear();
    errorToken_ = 0;
    int requestedMajor = -1, requestedMinor = -1;
    if (CompileOnce(h, enclosingChannels, requestedMajor, requestedMinor)) return true;
    if (requestedMajor >= 0) {
        major_ = requestedMajor;
        minor_ = requestedMinor;
        if (CompileOnce(h, enclosingChannels, requestedMajor, requestedMinor)) return true;
    }
    // No partial tree remains; the tokens stay for the error position.
    std::vector<ZKToken> tokens = std::move(tokens_);
    Clear();
    tokens_ = std::move(tokens);
    return false;
}

// One attempt in the current language version; the error record is set on failure.
bool ZKExpression::CompileOnce(ZKExpressionHost& host, const std::vector<std::string>& enclosingChannels,
                               int& requestedMajor, int& requestedMinor) {
    Clear();
    symbols_.CreatePredefined();
    tokens_ = ZKExpressionTokenizer::Tokenize(source_);
    if (major_ != 1 && major_ != 2) {
        errorMessage_ = "Unknown math language version";
        errorToken_ = 0;
        requestedMajor = -1;
        return false;
    }
    const ZKTokenList tokens(tokens_);
    const ZKParseContext context{symbols_, host, history_, major_, minor_, enclosingChannels};
    ZKParseResult result = ZKExpressionParser(tokens, context).Parse();
    requestedMajor = result.requestedMajor;
    requestedMinor = result.requestedMinor;
    if (!result.ok) {
        errorMessage_ = std::move(result.diagnostic.message);
        errorToken_ = result.diagnostic.token;
        return false;
    }
    errorMessage_.clear();
    errorToken_ = 0;
    root_ = std::move(result.root);
    return true;
}

bool ZKExpression::Evaluate(const ZKSampleContext& context, double& value) {
    double result = 0.0;
    const bool defined = root_ && root_->EvaluateFast(&context, result);
    history_.Push(result, defined);
    if (defined) value = result;
    return defined;
}

void ZKExpression::Reset() {
    if (root_) root_->ResetState();
    history_.Clear();
}

bool ZKExpression::IsStateful() const {
    return root_ && root_->IsStateful();
}

std::string ZKExpression::ErrorTokenText() const {
    return errorToken_ < tokens_.size() ? tokens_[errorToken_].text : std::string();
}
