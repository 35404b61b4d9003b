#pragma once

#include <string>

#include "platform/linux/sysfs.h"
#include "platform/model_source.h"

namespace voltaro {

// Who the machine says it is, asked afresh on every call: the device tree's model (Linux phones
// and boards), else DMI (laptops and desktops), else uname's machine text.
//
// DMI: the name is the vendor followed by the product ("LENOVO" and "ThinkPad X1 Carbon Gen 9"),
// the identifier the vendor followed by the product_name (for Lenovo the machine type,
// "LENOVO 20XW0055GE"). Placeholder texts that firmware leaves unfilled ("To be filled by
// O.E.M.", "System Product Name", ...) count as missing.
class SysfsModelSource final : public ModelSource {
public:
    explicit SysfsModelSource(Sysfs sysfs) : sysfs_(std::move(sysfs)) {}

    std::string modelIdentifier() const override { return identity().identifier; }
    ModelIdentity identity() const override;

private:
    Sysfs sysfs_;
};

// A firmware text made fit to show: printable ASCII (anything else becomes '?'), runs of blanks
// as one, at most 128 characters; empty when it is a placeholder of unfilled firmware.
std::string firmwareText(std::string_view raw);

}  // namespace voltaro
