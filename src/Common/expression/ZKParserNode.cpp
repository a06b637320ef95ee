#include "Common/expression/ZKParserNode.h"

#include <cmath>

#include "Common/expression/ZKExpression.h"
#include "Common/expression/ZKExpressionHost.h"
#include "Common/expression/ZKStatInterface.h"

ZKVariable::ZKVariable(std::string variableName, bool constant, std::vector<int> dims)
    : name(std::move(variableName)), isConst(constant), dimensions(std::move(dims)) {
    std::size_t count = 1;
    for (int d : dimensions)
        count *= static_cast<std::size_t>(d);
    values.assign(count, 0.0);
    defined.assign(count, 1);
}

ZKParserBlock::ZKParserBlock(std::vector<ZKNodePtr> statements) : statements_(std::move(statements)) {
    for (const auto& s : statements_)
        stateful_ = stateful_ || s->IsStateful();
}

bool ZKParserBlock::Evaluate(const ZKSampleContext* context, double& value) {
    bool defined = false;
    for (const auto& s : statements_)
        defined = s->EvaluateFast(context, value);
    return defined;
}

bool ZKParserBlock::IsConstant(const ZKSampleContext* context) const {
    for (const auto& s : statements_) {
        if (!s->IsConstant(context)) return false;
    }
    return true;
}

void ZKParserBlock::ResetState() {
    for (const auto& s : statements_)
        s->ResetState();
}

ZKParserVariableHolder::ZKParserVariableHolder(ZKVariable* variable, std::vector<ZKNodePtr> indices)
    : variable_(variable), indices_(std::move(indices)) {
    for (const auto& i : indices_)
        stateful_ = stateful_ || i->IsStateful();
    if (indices_.empty()) SetLeaf(variable_->values.data(), variable_->defined.data());
}

bool ZKParserVariableHolder::Address(const ZKSampleContext* context, std::size_t& element) {
    element = 0;
    for (std::size_t d = 0; d < indices_.size(); ++d) {
        double index = 0.0;
        if (!indices_[d]->EvaluateFast(context, index)) return false;
        const std::int64_t i = ZKToInteger(index);
        const int size = variable_->dimensions[d];
        if (i < 0 || i >= size) return false;
        element = element * static_cast<std::size_t>(size) + static_cast<std::size_t>(i);
    }
    return true;
}

bool ZKParserVariableHolder::Evaluate(const ZKSampleContext* context, double& value) {
    std::size_t element = 0;
    if (!indices_.empty() && !Address(context, element)) return false;
    if (!variable_->defined[element]) return false;
    value = variable_->values[element];
    return true;
}

bool ZKParserVariableHolder::IsConstant(const ZKSampleContext* context) const {
    if (!variable_->isConst) return false;
    for (const auto& i : indices_) {
        if (!i->IsConstant(context)) return false;
    }
    return true;
}

void ZKParserVariableHolder::ResetState() {
    for (const auto& i : indices_)
        i->ResetState();
}

bool ZKParserItemHolder::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    return host_->ItemValue(item_, *context, value);
}

bool ZKParserUserChannelHolder::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    return host_->UserChannelValue(channel_, *context, value);
}

ZKParserMathChannelHolder::ZKParserMathChannelHolder(std::unique_ptr<ZKExpression> channel)
    : channel_(std::move(channel)) {}

ZKParserMathChannelHolder::~ZKParserMathChannelHolder() = default;

bool ZKParserMathChannelHolder::IsStateful() const {
    return channel_->IsStateful();
}

bool ZKParserMathChannelHolder::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    return channel_->Evaluate(*context, value);
}

void ZKParserMathChannelHolder::ResetState() {
    channel_->Reset();
}

bool ZKParserStatHolder::Evaluate(const ZKSampleContext*, double& value) {
    return stat_->Value(0, value);
}
