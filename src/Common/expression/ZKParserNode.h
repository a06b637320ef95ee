#pragma once
// The node tree of a compiled expression and its basic operand nodes.
//
// A tree is built bottom-up by the compiler; every node owns its operands. Evaluate is called once per
// sample in sample order; a false result means "undefined" and leaves the output untouched. The context
// may be null (while compiling, for constant folding); nodes that need sample data answer undefined then.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ZKExpression;
class ZKExpressionHost;
class ZKStatInterface;

// What the host tells the tree about the current sample. Times are in nanoseconds.
struct ZKSampleContext {
    double time = 0.0;
    double interval = 0.0;
    bool interpolated = false;  // asks item reads for interpolated values
};

// A declared variable: a scalar, or an array of up to three dimensions of at most 100 elements each.
// The element storage is sized once, at construction: nodes keep pointers into it.
struct ZKVariable {
    std::string name;
    bool isConst = false;
    std::vector<int> dimensions;
    std::vector<double> values;
    std::vector<unsigned char> defined;

    ZKVariable(std::string variableName, bool constant, std::vector<int> dims);
    std::size_t ElementCount() const { return values.size(); }
    void Set(std::size_t element, double value, bool isDefined) {
        if (isDefined) values[element] = value;
        defined[element] = isDefined ? 1 : 0;
    }
};

class ZKParserNode {
public:
    virtual ~ZKParserNode() = default;
    // True when the subtree keeps state from sample to sample.
    virtual bool IsStateful() const { return false; }
    // Writes value only when the result is defined.
    virtual bool Evaluate(const ZKSampleContext* context, double& value) = 0;
    // True when the subtree's value cannot change.
    virtual bool IsConstant(const ZKSampleContext* context) const = 0;
    // Sets the reset flags of every stateful node below (and of this one).
    virtual void ResetState() {}

    // Evaluate for operands: a leaf whose result sits in memory (a constant, a plain variable) is read
    // in place, which spares most nodes of a tree a virtual call per sample.
    bool EvaluateFast(const ZKSampleContext* context, double& value) {
        if (leafValue_ == nullptr) return Evaluate(context, value);
        if (*leafDefined_ == 0) return false;
        value = *leafValue_;
        return true;
    }

    // A leaf's result is *LeafValue(), defined when *LeafDefined() is non-zero; both null for other nodes.
    bool IsLeaf() const { return leafValue_ != nullptr; }
    const double* LeafValue() const { return leafValue_; }
    const unsigned char* LeafDefined() const { return leafDefined_; }

    ZKParserNode() = default;
    ZKParserNode(const ZKParserNode&) = delete;
    ZKParserNode& operator=(const ZKParserNode&) = delete;

protected:
    // Declares this node a leaf: its result is *value, defined when *defined is non-zero. Both must
    // outlive the node.
    void SetLeaf(const double* value, const unsigned char* defined) {
        leafValue_ = value;
        leafDefined_ = defined;
    }

private:
    const double* leafValue_ = nullptr;
    const unsigned char* leafDefined_ = nullptr;
};

using ZKNodePtr = std::unique_ptr<ZKParserNode>;

class ZKParserConstant final : public ZKParserNode {
public:
    explicit ZKParserConstant(double value) : value_(value) { SetLeaf(&value_, &kDefined); }
    bool Evaluate(const ZKSampleContext*, double& value) override {
        value = value_;
        return true;
    }
    bool IsConstant(const ZKSampleContext*) const override { return true; }
    double Value() const { return value_; }

private:
    static constexpr unsigned char kDefined = 1;
    double value_;
};

// Statements in order; the block's result is that of the last one.
class ZKParserBlock final : public ZKParserNode {
public:
    explicit ZKParserBlock(std::vector<ZKNodePtr> statements);
    bool IsStateful() const override { return stateful_; }
    bool Evaluate(const ZKSampleContext* context, double& value) override;
    bool IsConstant(const ZKSampleContext* context) const override;
    void ResetState() override;

private:
    std::vector<ZKNodePtr> statements_;
    bool stateful_ = false;
};

// A reference to a variable, with one index expression per dimension (or none: the first element).
class ZKParserVariableHolder final : public ZKParserNode {
public:
    ZKParserVariableHolder(ZKVariable* variable, std::vector<ZKNodePtr> indices);
    bool IsStateful() const override { return stateful_; }
    bool Evaluate(const ZKSampleContext* context, double& value) override;
    bool IsConstant(const ZKSampleContext* context) const override;
    void ResetState() override;

    // Evaluates the indices; false when an index is undefined or out of range.
    bool Address(const ZKSampleContext* context, std::size_t& element);
    ZKVariable& Variable() const { return *variable_; }
    bool HasIndices() const { return !indices_.empty(); }

private:
    ZKVariable* variable_;
    std::vector<ZKNodePtr> indices_;
    bool stateful_ = false;
};

// An item of the host, optionally with its one parameter.
class ZKParserItemHolder final : public ZKParserNode {
public:
    ZKParserItemHolder(ZKExpressionHost* host, int item) : host_(host), item_(item) {}
    bool Evaluate(const ZKSampleContext* context, double& value) override;
    bool IsConstant(const ZKSampleContext*) const override { return false; }
    int Item() const { return item_; }

private:
    ZKExpressionHost* host_;
    int item_;
};

class ZKParserUserChannelHolder final : public ZKParserNode {
public:
    ZKParserUserChannelHolder(ZKExpressionHost* host, int channel) : host_(host), channel_(channel) {}
    bool Evaluate(const ZKSampleContext* context, double& value) override;
    bool IsConstant(const ZKSampleContext*) const override { return false; }

private:
    ZKExpressionHost* host_;
    int channel_;
};

// Another compiled expression of the host, evaluated in place.
class ZKParserMathChannelHolder final : public ZKParserNode {
public:
    explicit ZKParserMathChannelHolder(std::unique_ptr<ZKExpression> channel);
    ~ZKParserMathChannelHolder() override;
    bool IsStateful() const override;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
    bool IsConstant(const ZKSampleContext*) const override { return false; }
    void ResetState() override;

private:
    std::unique_ptr<ZKExpression> channel_;
};

// A declared statistic read as an operand: its first result.
class ZKParserStatHolder final : public ZKParserNode {
public:
    explicit ZKParserStatHolder(ZKStatInterface* stat) : stat_(stat) {}
    bool IsStateful() const override { return true; }
    bool Evaluate(const ZKSampleContext* context, double& value) override;
    bool IsConstant(const ZKSampleContext*) const override { return false; }
    ZKStatInterface* Stat() const { return stat_; }

private:
    ZKStatInterface* stat_;
};

// Integer view of a value: truncated toward zero into 64 bits; out-of-range values and NaN saturate
// instead of being undefined behaviour.
inline std::int64_t ZKToInteger(double value) {
    if (value != value) return 0;  // NaN
    if (value >= 9223372036854775807.0) return INT64_MAX;
    if (value <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<std::int64_t>(value);
}
