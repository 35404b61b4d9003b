#include "server/routes.h"

#include <httplib.h>
#include <zlib.h>

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "server/leaderboard_page.h"
#include "server/result_text.h"
#include "server/upload_checks.h"

namespace voltaro::server {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kJson = "application/json; charset=utf-8";

// When the request being handled on this thread arrived (set before routing, read by the log).
thread_local Clock::time_point requestArrived{};

void sendError(httplib::Response& response, int status, const std::string& message,
               const std::string& parameter = {}) {
    nlohmann::json body{{"error", message}};
    if (!parameter.empty()) body["parameter"] = parameter;
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(body.dump(), kJson);
}

std::string messageFor(int status) {
    switch (status) {
        case 400:
            return "bad request";
        case 404:
            return "not found";
        case 405:
            return "method not allowed";
        case 413:
            return "the request body is larger than this service takes";
        case 414:
            return "the address is longer than this service takes";
        default:
            return status >= 500 ? "the service failed" : "the request was refused";
    }
}

// Outside text in a log line: one line, no quotes, not too long.
std::string printable(const std::string& text) {
    std::string line;
    for (const char c : text.substr(0, 200)) {
        line += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"') ? '?' : c;
    }
    return line;
}

std::string utcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// The gzip form of a text, or nothing when zlib fails.
std::string gzipped(const std::string& text) {
    z_stream stream{};
    // 15 + 16: the largest window, with a gzip header.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        return {};
    }
    std::string packed(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return done ? packed : std::string();
}

bool acceptsGzip(const httplib::Request& request) {
    const std::string accepted = request.get_header_value("Accept-Encoding");
    const size_t at = accepted.find("gzip");
    return at != std::string::npos && accepted.compare(at, 8, "gzip;q=0") != 0;
}

// Sends a text kept with the figures as it is, never compressed anew for each request (which
// cpp-httplib would otherwise do for HTML). `packed` is its gzip form, when there is one.
void sendKept(const httplib::Request& request, httplib::Response& response,
              std::shared_ptr<const std::string> text,
              const std::shared_ptr<const std::string>& packed, const char* type) {
    if (packed && !packed->empty() && acceptsGzip(request)) {
        text = packed;
        response.set_header("Content-Encoding", "gzip");
    }
    const size_t size = text->size();
    response.set_content_provider(
        size, type, [text](size_t offset, size_t length, httplib::DataSink& sink) {
            sink.write(text->data() + offset, std::min(length, text->size() - offset));
            return true;
        });
}

void writeToStandardError(const std::string& line) {
    const std::string withEnd = line + "\n";
    std::fwrite(withEnd.data(), 1, withEnd.size(), stderr);
}

}  // namespace

Routes::Routes(Storage& storage, ServerSettings settings, LogLine log)
    : storage_(storage),
      settings_(settings),
      log_(log ? std::move(log) : LogLine(writeToStandardError)),
      figures_(storage, settings.figuresMaxAge),
      limiter_(settings.rateLimit > 0
                   ? std::make_unique<RateLimiter>(settings.rateLimit, settings.rateBurst)
                   : nullptr) {}

void Routes::install(httplib::Server& server) {
    const auto clientOf = [this](const httplib::Request& request) {
        if (settings_.trustForwardedFor) {
            // The proxy appends the address it was reached from; earlier entries are the
            // client's own word.
            const std::string forwarded = request.get_header_value("X-Forwarded-For");
            const size_t comma = forwarded.rfind(',');
            std::string last = comma == std::string::npos ? forwarded : forwarded.substr(comma + 1);
            while (!last.empty() && last.front() == ' ') last.erase(0, 1);
            while (!last.empty() && last.back() == ' ') last.pop_back();
            if (!last.empty()) return last;
        }
        return request.remote_addr;
    };

    // Every handler answers bad input with 400 and an unreachable database with 503.
    const auto guarded = [this](auto handler) {
        return [this, handler](const httplib::Request& request, httplib::Response& response) {
            try {
                handler(request, response);
            } catch (const BadRequest& bad) {
                sendError(response, 400, bad.what(), bad.parameter());
            } catch (const StorageUnavailable& unavailable) {
                log_("voltaro-server: database unavailable: " + std::string(unavailable.what()));
                response.set_header("Retry-After", "5");
                sendError(response, 503, "the database is unavailable; try again later");
            }
        };
    };

    server.set_payload_max_length(settings_.maxBodyBytes);
    // An idle connection holds one of the server's threads: let it go soon.
    server.set_keep_alive_max_count(100);
    server.set_keep_alive_timeout(2);
    // Headers and body go out in separate writes; waiting to merge them costs a delayed ACK.
    server.set_tcp_nodelay(true);

    server.set_pre_routing_handler(
        [this, clientOf](const httplib::Request& request, httplib::Response& response) {
            requestArrived = Clock::now();
            if (limiter_ && !limiter_->allow(rateLimitKey(clientOf(request)), requestArrived)) {
                response.set_header("Retry-After", "1");
                sendError(response, 429, "too many requests; slow down");
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });

    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty())
            sendError(response, response.status, messageFor(response.status));
    });

    server.set_exception_handler(
        [this](const httplib::Request&, httplib::Response& response, std::exception_ptr thrown) {
            std::string what = "unknown exception";
            try {
                std::rethrow_exception(thrown);
            } catch (const std::exception& failure) {
                what = failure.what();
            } catch (...) {
            }
            log_("voltaro-server: request failed: " + what);
            sendError(response, 500, messageFor(500));
        });

    server.set_logger([this, clientOf](const httplib::Request& request,
                                       const httplib::Response& response) {
        std::string line = utcNow() + " " + printable(clientOf(request)) + " " +
                           printable(request.method) + " " + printable(request.path) + " " +
                           std::to_string(response.status);
        if (requestArrived != Clock::time_point{}) {
            char took[32];
            std::snprintf(
                took, sizeof took, " %.2fms",
                std::chrono::duration<double, std::milli>(Clock::now() - requestArrived).count());
            line += took;
            requestArrived = {};
        }
        log_(line);
    });

    server.Get("/api/brands", guarded([this](const httplib::Request&, httplib::Response& response) {
                   const auto figures = figures_.current();
                   const auto list =
                       figures->rendered("brands", [&] { return brandListJson(*figures); });
                   response.set_header("Cache-Control", "public, max-age=60");
                   response.set_content(*list, kJson);
               }));

    server.Get("/api/test-result",
               guarded([this](const httplib::Request& request, httplib::Response& response) {
                   const TestUpload test = readTestUpload(request.params);
                   // A test without a vendor identifier is compared but not kept: it could not be
                   // told apart from another.
                   std::optional<StoredTest> stored;
                   if (!test.vendorId.empty()) stored = storage_.storeTest(test);
                   const Comparison comparison =
                       figures_.current()->compare(test.model, deciwattOf(test.watt), stored);
                   const ResultTexts texts = resultTexts(test.watt, test.model, comparison);
                   const nlohmann::json reply{{"content", texts.english},
                                              {"content_cn", texts.simplifiedChinese},
                                              {"content_tr", texts.traditionalChinese},
                                              {"content_jp", texts.japanese}};
                   response.set_header("Cache-Control", "no-store");
                   response.set_content(reply.dump(), kJson);
               }));

    server.Post("/api/charger",
                guarded([this](const httplib::Request& request, httplib::Response& response) {
                    storage_.storeLabel(readChargerLabel(request.params));
                    response.set_header("Cache-Control", "no-store");
                    response.set_content("{}", kJson);
                }));

    server.Get(
        "/", guarded([this](const httplib::Request& request, httplib::Response& response) {
            const LeaderboardQuery query =
                readLeaderboardQuery(request.params, request.get_header_value("Accept-Language"));
            const bool languageChosen = !request.get_param_value("lang").empty();
            const auto figures = figures_.current();
            const auto make = [&] { return leaderboardPage(*figures, query, languageChosen); };
            std::shared_ptr<const std::string> page;
            std::shared_ptr<const std::string> packed;
            if (!query.model || figures->knows(*query.model)) {
                const std::string key = "page\n" + query.model.value_or("") + "\n" +
                                        languageCode(query.language) + (languageChosen ? "!" : "");
                page = figures->rendered(key, make);
                packed = figures->rendered(key + "\ngzip", [&] { return gzipped(*page); });
            } else {
                // Pages of models nobody tested are made anew each time rather than kept.
                page = std::make_shared<const std::string>(make());
            }
            response.set_header("Cache-Control", "public, max-age=5");
            response.set_header("Vary", "Accept-Language, Accept-Encoding");
            // No scripts at all, whatever a text might hold; styles only from the page itself.
            response.set_header(
                "Content-Security-Policy",
                "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; "
                "base-uri 'none'; frame-ancestors 'none'");
            response.set_header("X-Content-Type-Options", "nosniff");
            response.set_header("Referrer-Policy", "no-referrer");
            sendKept(request, response, page, packed, "text/html; charset=utf-8");
        }));

    server.Get("/api/leaderboard",
               guarded([this](const httplib::Request& request, httplib::Response& response) {
                   const LeaderboardQuery query = readLeaderboardQuery(request.params, {});
                   const auto figures = figures_.current();
                   const auto make = [&] { return leaderboardJson(*figures, query.model); };
                   const auto board =
                       !query.model || figures->knows(*query.model)
                           ? figures->rendered("json\n" + query.model.value_or(""), make)
                           : std::make_shared<const std::string>(make());
                   response.set_header("Cache-Control", "public, max-age=5");
                   response.set_content(*board, kJson);
               }));
}

}  // namespace voltaro::server
