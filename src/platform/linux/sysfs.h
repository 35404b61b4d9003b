#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace voltaro {

// The one root under which every kernel attribute is read (power supplies, DMI, device tree):
// /sys, or a recorded tree that VOLTARO_SYSFS_ROOT names (tests, and users who want to try one).
class Sysfs {
public:
    static constexpr const char* kDefaultRoot = "/sys";

    explicit Sysfs(std::filesystem::path root = kDefaultRoot) : root_(std::move(root)) {}

    // VOLTARO_SYSFS_ROOT when set and not empty, else /sys.
    static Sysfs fromEnvironment();

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path powerSupplies() const { return root_ / "class" / "power_supply"; }
    std::filesystem::path dmi() const { return root_ / "class" / "dmi" / "id"; }
    std::filesystem::path deviceTree() const { return root_ / "firmware" / "devicetree" / "base"; }

private:
    std::filesystem::path root_;
};

// One attribute file's text, without surrounding blanks; a device-tree string ends at its first
// NUL. Nothing when the file is missing, cannot be read (a driver may answer EIO or ENODEV while
// the device goes away) or is longer than any attribute (4 KiB). Never blocks on a FIFO.
std::optional<std::string> readAttribute(const std::filesystem::path& file);

// A whole decimal number and nothing else ("-12", not "12x", "4.5" or an overflowing one).
std::optional<int64_t> parseInteger(std::string_view text);

std::optional<int64_t> readIntegerAttribute(const std::filesystem::path& file);

}  // namespace voltaro
