#include "platform/linux/sysfs_model_source.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

namespace voltaro {
namespace {

constexpr size_t kMaxTextLength = 128;

// What firmware writes where its maker filled nothing in, compared ignoring case.
constexpr std::string_view kPlaceholders[] = {
    "To be filled by O.E.M.",
    "To be filled by OEM",
    "System Product Name",
    "System Version",
    "System manufacturer",
    "System Name",
    "Default string",
    "Not Applicable",
    "Not Specified",
    "Not Available",
    "None",
    "N/A",
    "OEM",
    "O.E.M.",
    "Unknown",
    "Undefined",
    "Invalid",
    "Type1ProductConfigId",
    "Product Name",
    "Manufacturer",
    "x.x",
};

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool isPlaceholder(std::string_view text) {
    if (std::any_of(std::begin(kPlaceholders), std::end(kPlaceholders),
                    [text](std::string_view p) { return equalIgnoringCase(text, p); })) {
        return true;
    }
    // "0000000000", "..........", "xxxxx": one character repeated is a filler, not a name.
    return text.size() > 1 &&
           std::all_of(text.begin(), text.end(), [&text](char c) { return c == text.front(); });
}

std::string read(const std::filesystem::path& file) {
    const auto raw = readAttribute(file);
    return raw ? firmwareText(*raw) : std::string();
}

// Vendors that keep the model's name in product_version and a machine type in product_name.
bool namesModelInVersion(std::string_view vendor) {
    return equalIgnoringCase(vendor, "LENOVO");
}

std::string joined(const std::string& vendor, const std::string& model) {
    if (vendor.empty() || startsWithIgnoringCase(model, vendor)) return model;
    return vendor + " " + model;
}

}  // namespace

std::string firmwareText(std::string_view raw) {
    std::string text;
    for (const char byte : raw) {
        const auto c = static_cast<unsigned char>(byte);
        if (std::isspace(c) != 0 || c < 0x20) {
            if (!text.empty() && text.back() != ' ') text += ' ';
        } else {
            text += c < 0x7f ? byte : '?';
        }
        if (text.size() >= kMaxTextLength) break;
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return isPlaceholder(text) ? std::string() : text;
}

ModelIdentity SysfsModelSource::identity() const {
    if (std::string model = read(sysfs_.deviceTree() / "model"); !model.empty()) {
        return {model, model, ModelOrigin::DeviceTree};
    }

    const std::filesystem::path dmi = sysfs_.dmi();
    const std::string vendor = read(dmi / "sys_vendor");
    const std::string product = read(dmi / "product_name");
    const std::string version = read(dmi / "product_version");
    std::string model = namesModelInVersion(vendor) && !version.empty() ? version : product;
    if (model.empty()) model = version;
    if (!model.empty()) {
        return {joined(vendor, product.empty() ? model : product), joined(vendor, model),
                ModelOrigin::Dmi};
    }
    return UnameModelSource().identity();
}

}  // namespace voltaro
