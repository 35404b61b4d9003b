#include "platform/plist/plist_document.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/plist/c_locale.h"

namespace voltaro {
namespace {

constexpr int kMaxNesting = 64;

bool startsWith(std::string_view text, size_t at, std::string_view prefix) {
    return text.substr(at, prefix.size()) == prefix;
}

// Counts opening and closing array and dict tags. Tags inside comments or CDATA count too, which
// can only refuse a strange file, never let a deep one through.
bool withinNestingLimit(std::string_view text) {
    int depth = 0;
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        const bool closing = startsWith(text, at + 1, "/");
        const size_t nameAt = at + (closing ? 2 : 1);
        size_t nameEnd = nameAt;
        if (startsWith(text, nameAt, "array")) {
            nameEnd += 5;
        } else if (startsWith(text, nameAt, "dict")) {
            nameEnd += 4;
        } else {
            continue;
        }
        const size_t close = text.find('>', nameEnd);
        if (close == std::string_view::npos) break;
        if (closing) {
            --depth;
        } else if (text[close - 1] != '/' && ++depth > kMaxNesting) {
            return false;
        }
    }
    return true;
}

}  // namespace

PlistPtr parseXmlPlist(std::string_view text) {
    if (text.empty() || text.size() > std::numeric_limits<uint32_t>::max() ||
        !withinNestingLimit(text)) {
        return nullptr;
    }
    ScopedCLocale cLocale;
    plist_t root = nullptr;
    plist_from_xml(text.data(), static_cast<uint32_t>(text.size()), &root);
    return PlistPtr(root);
}

std::optional<std::string> plistText(plist_t node) {
    if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (text == nullptr) return std::nullopt;
    const std::string_view value(text, static_cast<size_t>(length));
    if (value.find('\0') != std::string_view::npos) return std::nullopt;
    return std::string(value);
}

std::string plistToXml(plist_t node) {
    ScopedCLocale cLocale;
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    if (xml == nullptr) return {};
    std::string text(xml, length);
    std::free(xml);
    return text;
}

}  // namespace voltaro
