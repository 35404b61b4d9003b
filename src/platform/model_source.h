#pragma once

#include <optional>
#include <string>

namespace voltaro {

// Where the hardware model identifier comes from. Asked afresh on every call: nothing is cached.
class ModelSource {
public:
    virtual ~ModelSource() = default;
    virtual std::string modelIdentifier() const = 0;
};

// The `machine` member of uname(2).
class UnameModelSource final : public ModelSource {
public:
    std::string modelIdentifier() const override;
};

// A fixed identifier (the --model option, VOLTARO_MODEL, tests).
class FixedModelSource final : public ModelSource {
public:
    explicit FixedModelSource(std::string identifier) : identifier_(std::move(identifier)) {}
    std::string modelIdentifier() const override { return identifier_; }

private:
    std::string identifier_;
};

}  // namespace voltaro
