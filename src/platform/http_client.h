#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace voltaro {

// Form parameters in the order they are sent. Keys and values are UTF-8 texts; the client does the
// form encoding.
using FormParameters = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    enum class Method { Get, Post };

    Method method = Method::Get;
    std::string url;
    // GET: appended to the URL's query. POST: the body, sent as
    // "application/x-www-form-urlencoded; charset=utf-8".
    FormParameters parameters;
};

struct HttpReply {
    // Why the request failed (no connection, time-out, reply too large, bad address). Empty when
    // an HTTP reply arrived, whatever its status.
    std::string error;
    long status = 0;
    std::string body;
    // The body read as JSON: any value, a bare string or number included; null for an empty body
    // with status 204 or 205. Empty when the request failed or the body is not JSON.
    std::optional<nlohmann::json> json;

    bool failed() const { return !error.empty(); }
};

// Reads a reply body as JSON by the rules of HttpReply::json. Never throws.
std::optional<nlohmann::json> readJsonReply(long status, std::string_view body);

// Sends HTTP requests without blocking the caller. The reply handler runs on the main loop, once
// per request, failures included; the request counts as external work of the loop until then.
// Status codes are not judged: a 500 with a JSON body is a reply like any other.
class HttpClient {
public:
    using ReplyHandler = std::function<void(const HttpReply&)>;

    virtual ~HttpClient() = default;

    virtual void send(HttpRequest request, ReplyHandler onReply) = 0;
};

// "key=value&key=value" with every byte outside A-Z a-z 0-9 - . _ ~ percent-encoded.
std::string formEncode(const FormParameters& parameters);

}  // namespace voltaro
