#include "platform/plist/list_codec.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/ascii_text.h"
#include "platform/plist/plist_document.h"

namespace voltaro::list_codec {
namespace {

// ---- Writing -------------------------------------------------------------------------------

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n";
constexpr std::string_view kFooter = "</dict>\n</plist>\n";

void appendValue(std::string& out, double value) {
    out += "<real>";
    if (std::isnan(value)) {
        out += "nan";
    } else if (std::isinf(value)) {
        out += value > 0 ? "+infinity" : "-infinity";
    } else {
        // The shortest text that reads back as the same double; plain decimals where they stay
        // readable (700000000, not 7e+08), exponents beyond.
        char buffer[64];
        char* const end = buffer + sizeof buffer;
        const double magnitude = std::fabs(value);
        const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e16);
        const auto result = plain ? std::to_chars(buffer, end, value, std::chars_format::fixed)
                                  : std::to_chars(buffer, end, value);
        out.append(buffer, result.ptr);
    }
    out += "</real>\n";
}

void appendValue(std::string& out, const std::string& value) {
    out += "<string>";
    appendMarkupEscaped(out, value, false);
    out += "</string>\n";
}

template <class Dictionary>
std::string write(std::string_view key, const std::vector<Dictionary>& items) {
    std::string out;
    out.reserve(kHeader.size() + kFooter.size() + 64 + items.size() * 64 * 16);
    out += kHeader;
    out += "\t<key>";
    appendMarkupEscaped(out, key, false);
    out += "</key>\n";
    if (items.empty()) {
        out += "\t<array/>\n";
    } else {
        out += "\t<array>\n";
        for (const Dictionary& item : items) {
            if (item.empty()) {
                out += "\t\t<dict/>\n";
                continue;
            }
            out += "\t\t<dict>\n";
            for (const auto& [name, value] : item) {
                out += "\t\t\t<key>";
                appendMarkupEscaped(out, name, false);
                out += "</key>\n\t\t\t";
                appendValue(out, value);
            }
            out += "\t\t</dict>\n";
        }
        out += "\t</array>\n";
    }
    out += kFooter;
    return out;
}

// ---- Quick reading -------------------------------------------------------------------------

class QuickReader {
public:
    explicit QuickReader(std::string_view text) : text_(text) {}

    template <class Dictionary>
    std::optional<std::vector<Dictionary>> read(std::string_view key) {
        // No XML document holds a NUL byte, wherever it stands.
        if (text_.find('\0') != std::string_view::npos) return std::nullopt;
        if (!prolog() || !skipMisc() || !take("<dict>") || !skipMisc() || !take("<key>")) {
            return std::nullopt;
        }
        auto name = textUntil("</key>");
        if (!name || *name != key || !skipMisc()) return std::nullopt;

        std::vector<Dictionary> items;
        if (!take("<array/>")) {
            if (!take("<array>")) return std::nullopt;
            for (;;) {
                if (!skipMisc()) return std::nullopt;
                if (take("</array>")) break;
                auto item = dictionary<Dictionary>();
                if (!item) return std::nullopt;
                items.push_back(std::move(*item));
            }
        }
        if (!skipMisc() || !take("</dict>") || !skipMisc() || !take("</plist>") || !skipMisc() ||
            pos_ != text_.size()) {
            return std::nullopt;
        }
        return items;
    }

private:
    bool take(std::string_view literal) {
        if (text_.substr(pos_, literal.size()) != literal) return false;
        pos_ += literal.size();
        return true;
    }

    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    // Blanks and comments between elements.
    bool skipMisc() {
        for (;;) {
            skipSpace();
            if (!take("<!--")) return true;
            const size_t end = text_.find("-->", pos_);
            if (end == std::string_view::npos) return false;
            pos_ = end + 3;
        }
    }

    // A declaration from `opening` to `closing` with none of `unwanted` inside, then blanks and
    // comments; true also when there is none.
    bool skipDeclaration(std::string_view opening, std::string_view closing,
                         std::string_view unwanted) {
        if (!take(opening)) return true;
        const size_t end = text_.find(closing, pos_);
        if (end == std::string_view::npos ||
            text_.substr(pos_, end - pos_).find_first_of(unwanted) != std::string_view::npos) {
            return false;
        }
        pos_ = end + closing.size();
        return skipMisc();
    }

    // Byte-order mark, XML declaration, document type (without an internal subset), <plist ...>.
    bool prolog() {
        take("\xEF\xBB\xBF");
        if (!skipMisc() || !skipDeclaration("<?xml", "?>", "<>") ||
            !skipDeclaration("<!DOCTYPE", ">", "[")) {
            return false;
        }
        if (!take("<plist")) return false;
        const size_t end = text_.find('>', pos_);
        if (end == std::string_view::npos) return false;
        const char next = text_[pos_];
        if (next != '>' && next != ' ' && next != '\t' && next != '\n' && next != '\r') {
            return false;
        }
        if (end > pos_ && text_[end - 1] == '/') return false;  // <plist/> holds nothing
        pos_ = end + 1;
        return true;
    }

    // Character data up to `closing`; declines entities, markup, carriage returns and the control
    // characters that XML does not allow (a NUL among them), whose handling is left to libplist.
    std::optional<std::string_view> textUntil(std::string_view closing) {
        const size_t end = text_.find('<', pos_);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view content = text_.substr(pos_, end - pos_);
        if (content.find_first_of("&\r>") != std::string_view::npos) return std::nullopt;
        for (const char c : content) {
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') return std::nullopt;
        }
        pos_ = end;
        if (!take(closing)) return std::nullopt;
        return content;
    }

    template <class Dictionary>
    std::optional<Dictionary> dictionary() {
        Dictionary item;
        if (take("<dict/>")) return item;
        if (!take("<dict>")) return std::nullopt;
        for (;;) {
            if (!skipMisc()) return std::nullopt;
            if (take("</dict>")) return item;
            if (!take("<key>")) return std::nullopt;
            auto name = textUntil("</key>");
            if (!name || !skipMisc()) return std::nullopt;
            auto value = this->value(static_cast<typename Dictionary::mapped_type*>(nullptr));
            // A repeated key is left to libplist, whose rule for it is the one that counts.
            if (!value || !item.emplace(std::string(*name), std::move(*value)).second) {
                return std::nullopt;
            }
        }
    }

    // The text up to `closing`, all of it a `Number`; nullopt for anything else.
    template <typename Number>
    std::optional<Number> numberUntil(std::string_view closing) {
        auto text = textUntil(closing);
        if (!text || text->empty()) return std::nullopt;
        Number number = 0;
        const char* const end = text->data() + text->size();
        const auto result = std::from_chars(text->data(), end, number);
        if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
        return number;
    }

    std::optional<double> value(double*) {
        if (take("<real>")) return numberUntil<double>("</real>");
        if (!take("<integer>")) return std::nullopt;
        if (const auto number = numberUntil<int64_t>("</integer>")) {
            return static_cast<double>(*number);
        }
        return std::nullopt;
    }

    std::optional<std::string> value(std::string*) {
        if (take("<string/>")) return std::string();
        if (!take("<string>")) return std::nullopt;
        auto text = textUntil("</string>");
        if (!text) return std::nullopt;
        return std::string(*text);
    }

    std::string_view text_;
    size_t pos_ = 0;
};

// ---- Reading with libplist -----------------------------------------------------------------

std::optional<double> numberFrom(plist_t node) {
    switch (plist_get_node_type(node)) {
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return value;
        }
        case PLIST_UINT: {
            // libplist keeps integers as 64 bits without a sign and writes them back signed.
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return static_cast<double>(static_cast<int64_t>(value));
        }
        default:
            return std::nullopt;
    }
}

std::optional<double> convert(plist_t node, double*) {
    return numberFrom(node);
}
std::optional<std::string> convert(plist_t node, std::string*) {
    return plistText(node);
}

template <class Dictionary>
std::optional<Dictionary> dictionaryFrom(plist_t node) {
    if (plist_get_node_type(node) != PLIST_DICT) return std::nullopt;
    Dictionary item;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    if (iter == nullptr) return std::nullopt;
    bool ok = true;
    for (;;) {
        char* name = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iter, &name, &value);
        if (value == nullptr) {
            std::free(name);
            break;
        }
        auto converted = convert(value, static_cast<typename Dictionary::mapped_type*>(nullptr));
        if (name == nullptr || !converted) {
            std::free(name);
            ok = false;
            break;
        }
        item.insert_or_assign(std::string(name), std::move(*converted));
        std::free(name);
    }
    std::free(iter);
    if (!ok) return std::nullopt;
    return item;
}

}  // namespace

std::string writeList(std::string_view key, const std::vector<NumberDictionary>& items) {
    return write(key, items);
}

std::string writeList(std::string_view key, const std::vector<TextDictionary>& items) {
    return write(key, items);
}

template <class Dictionary>
std::optional<std::vector<Dictionary>> quickReadList(std::string_view bytes, std::string_view key) {
    return QuickReader(bytes).read<Dictionary>(key);
}

template <class Dictionary>
std::optional<std::vector<Dictionary>> libplistReadList(std::string_view bytes,
                                                        std::string_view key) {
    const PlistPtr root = parseXmlPlist(bytes);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) return std::nullopt;
    const plist_t array = plist_dict_get_item(root.get(), std::string(key).c_str());
    if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) return std::nullopt;
    const uint32_t count = plist_array_get_size(array);
    std::vector<Dictionary> items;
    items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        auto item = dictionaryFrom<Dictionary>(plist_array_get_item(array, i));
        if (!item) return std::nullopt;
        items.push_back(std::move(*item));
    }
    return items;
}

template <class Dictionary>
std::optional<std::vector<Dictionary>> readList(std::string_view bytes, std::string_view key) {
    if (auto items = quickReadList<Dictionary>(bytes, key)) return items;
    return libplistReadList<Dictionary>(bytes, key);
}

template std::optional<std::vector<NumberDictionary>> readList(std::string_view, std::string_view);
template std::optional<std::vector<TextDictionary>> readList(std::string_view, std::string_view);
template std::optional<std::vector<NumberDictionary>> quickReadList(std::string_view,
                                                                    std::string_view);
template std::optional<std::vector<TextDictionary>> quickReadList(std::string_view,
                                                                  std::string_view);
template std::optional<std::vector<NumberDictionary>> libplistReadList(std::string_view,
                                                                       std::string_view);
template std::optional<std::vector<TextDictionary>> libplistReadList(std::string_view,
                                                                     std::string_view);

}  // namespace voltaro::list_codec
