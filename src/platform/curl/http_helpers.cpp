#include <curl/curl.h>

#include <memory>

#include "platform/http_client.h"

namespace voltaro {
namespace {

// Deeper replies are refused: they are not what the service sends, and copying or printing such a
// value would recurse once per level.
constexpr int kMaxJsonDepth = 512;

// Checks the syntax and the nesting depth in one streaming pass, without building the value.
class DepthCheck final : public nlohmann::json_sax<nlohmann::json> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return ++depth_ <= kMaxJsonDepth; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return --depth_ >= 0; }
    bool start_array(std::size_t) override { return ++depth_ <= kMaxJsonDepth; }
    bool end_array() override { return --depth_ >= 0; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

private:
    int depth_ = 0;
};

struct CurlFree {
    void operator()(char* text) const { curl_free(text); }
};

std::string escape(const std::string& text) {
    // libcurl ignores the handle argument of curl_easy_escape.
    const std::unique_ptr<char, CurlFree> escaped(
        curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size())));
    return escaped ? std::string(escaped.get()) : std::string();
}

}  // namespace

std::optional<nlohmann::json> readJsonReply(long status, std::string_view body) {
    if (body.empty() && (status == 204 || status == 205)) {
        return std::optional<nlohmann::json>(std::in_place, nullptr);
    }
    DepthCheck check;
    if (!nlohmann::json::sax_parse(body.begin(), body.end(), &check)) return std::nullopt;
    nlohmann::json value = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
    if (value.is_discarded()) return std::nullopt;
    return std::optional<nlohmann::json>(std::in_place, std::move(value));
}

std::string formEncode(const FormParameters& parameters) {
    std::string encoded;
    for (const auto& [key, value] : parameters) {
        if (!encoded.empty()) encoded += '&';
        encoded += escape(key);
        encoded += '=';
        encoded += escape(value);
    }
    return encoded;
}

}  // namespace voltaro
