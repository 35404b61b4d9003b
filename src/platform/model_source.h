#pragma once

#include <optional>
#include <string>

namespace voltaro {

// Where an identity was found.
enum class ModelOrigin { Option, DeviceTree, Dmi, Uname };

// Who the device is: the identifier that keys the device catalogue, and the name the machine gives
// itself (shown where the catalogue has no name for the identifier).
struct ModelIdentity {
    std::string identifier;
    std::string name;
    ModelOrigin origin = ModelOrigin::Option;
};

// Where the hardware model identifier comes from. Asked afresh on every call: nothing is cached.
class ModelSource {
public:
    virtual ~ModelSource() = default;
    virtual std::string modelIdentifier() const = 0;
    // By default the identifier names itself, as an identifier that the user gave does.
    virtual ModelIdentity identity() const;
};

// The `machine` member of uname(2).
class UnameModelSource final : public ModelSource {
public:
    std::string modelIdentifier() const override;
    ModelIdentity identity() const override;
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
