#pragma once
// Named running statistics that an expression declares with stat(name,type) and feeds with statUpdate.
// The expression owns them; nodes refer to them by pointer and never delete them.

#include <string>

class ZKStatInterface {
public:
    enum Type { kMin = 0, kMax = 1, kAvg = 2, kStdDev = 3, kLineFit = 4 };

    virtual void Reset() = 0;
    // Feeds a pair; only the line fit takes pairs, the others answer false.
    virtual bool UpdateXY(double weight, double x, double y) = 0;
    // Feeds one weighted value; the line fit answers false.
    virtual bool Update(double weight, double value) = 0;
    virtual bool Value(int index, double& value) const = 0;
    virtual const char* Name() const = 0;
    virtual const char* ValueName(int index) const = 0;
    virtual int Type() const = 0;

    // Deleting through the interface is not allowed; owners hold the concrete type or use Destroy.
    static void Destroy(ZKStatInterface* stat);
    // A new statistic of the named type ("MIN", "MAX", "AVG", "STDDEV", "LINEFIT"), or null.
    static ZKStatInterface* Create(const std::string& typeName);

protected:
    ZKStatInterface() = default;
    ~ZKStatInterface() = default;
};

class ZKStatMin final : public ZKStatInterface {
public:
    ZKStatMin() { Reset(); }
    void Reset() override;
    bool UpdateXY(double, double, double) override { return false; }
    bool Update(double weight, double value) override;
    bool Value(int index, double& value) const override;
    const char* Name() const override { return "Min"; }
    const char* ValueName(int) const override { return "Min"; }
    int Type() const override { return kMin; }

private:
    double min_ = 0.0;
};

class ZKStatMax final : public ZKStatInterface {
public:
    ZKStatMax() { Reset(); }
    void Reset() override;
    bool UpdateXY(double, double, double) override { return false; }
    bool Update(double weight, double value) override;
    bool Value(int index, double& value) const override;
    const char* Name() const override { return "Max"; }
    const char* ValueName(int) const override { return "Max"; }
    int Type() const override { return kMax; }

private:
    double max_ = 0.0;
};

class ZKStatAvg final : public ZKStatInterface {
public:
    void Reset() override;
    bool UpdateXY(double, double, double) override { return false; }
    bool Update(double weight, double value) override;
    bool Value(int index, double& value) const override;
    const char* Name() const override { return "Avg"; }
    const char* ValueName(int) const override { return "Avg"; }
    int Type() const override { return kAvg; }

private:
    double weightSum_ = 0.0;
    double sum_ = 0.0;
};

// Population standard deviation; index 1 is the coefficient of variation in percent.
class ZKStatStdDev final : public ZKStatInterface {
public:
    void Reset() override;
    bool UpdateXY(double, double, double) override { return false; }
    bool Update(double weight, double value) override;
    bool Value(int index, double& value) const override;
    const char* Name() const override { return "StdDev"; }
    const char* ValueName(int index) const override { return index == 1 ? "CoeffVar" : "StdDev"; }
    int Type() const override { return kStdDev; }

private:
    double weightSum_ = 0.0;
    double sum_ = 0.0;
    double squareSum_ = 0.0;
};

// Least-squares line y = M x + C: index 0 the slope, 1 the intercept, 2 the correlation coefficient.
class ZKStatLineFit final : public ZKStatInterface {
public:
    void Reset() override;
    bool UpdateXY(double weight, double x, double y) override;
    bool Update(double, double) override { return false; }
    bool Value(int index, double& value) const override;
    const char* Name() const override { return "LineFit"; }
    const char* ValueName(int index) const override;
    int Type() const override { return kLineFit; }

private:
    int count_ = 0;
    double sumX_ = 0.0;
    double sumY_ = 0.0;
    double sumXX_ = 0.0;
    double sumYY_ = 0.0;
    double sumXY_ = 0.0;
};
