#include "platform/curl/curl_http_client.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <unordered_map>
#include <utility>

#include "platform/log.h"

namespace voltaro {
namespace {

// How long an idle worker waits for send() or the destructor to wake it.
constexpr int kIdleWaitMs = 3600 * 1000;

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

const char* methodName(HttpRequest::Method method) {
    return method == HttpRequest::Method::Post ? "POST" : "GET";
}

// Why libcurl should not be handed an address, or nullptr when it may.
const char* addressProblem(const std::string& address) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) {
        return "malformed address";
    }
    char* scheme = nullptr;
    curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0);
    const bool web = scheme != nullptr &&
                     (std::strcmp(scheme, "http") == 0 || std::strcmp(scheme, "https") == 0);
    curl_free(scheme);
    return web ? nullptr : "not an http or https address";
}

// Ends one unit of the loop's external work when it goes out of scope, even if a handler throws.
class ExternalWorkEnd {
public:
    explicit ExternalWorkEnd(MainLoop& loop) : loop_(loop) {}
    ~ExternalWorkEnd() { loop_.endExternalWork(); }
    ExternalWorkEnd(const ExternalWorkEnd&) = delete;
    ExternalWorkEnd& operator=(const ExternalWorkEnd&) = delete;

private:
    MainLoop& loop_;
};

}  // namespace

struct CurlHttpClient::Transfer {
    Transfer(HttpRequest req, ReplyHandler handler, std::size_t maxBody)
        : request(std::move(req)), onReply(std::move(handler)), maxBodyBytes(maxBody) {}
    ~Transfer() {
        if (easy != nullptr) curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    static size_t onBody(char* data, size_t size, size_t count, void* context) {
        auto* transfer = static_cast<Transfer*>(context);
        const size_t bytes = size * count;
        if (bytes > transfer->maxBodyBytes - transfer->body.size()) {
            transfer->tooLarge = true;
            return 0;  // anything but `bytes` aborts the transfer
        }
        transfer->body.append(data, bytes);
        return bytes;
    }

    HttpRequest request;
    ReplyHandler onReply;
    std::size_t maxBodyBytes;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    std::string postBody;  // must outlive the transfer: libcurl reads it in place
    std::string body;
    bool tooLarge = false;
    char errorText[CURL_ERROR_SIZE] = {};
};

// Everything the worker thread touches. Requests come in through `incoming`; the transfers in
// `active` belong to the worker thread alone.
struct CurlHttpClient::Worker {
    Worker(MainLoop& mainLoop, const Settings& clientSettings)
        : loop(mainLoop), settings(clientSettings), multi(curl_multi_init()) {}
    ~Worker() { curl_multi_cleanup(multi); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void run();
    void start(std::unique_ptr<Transfer> transfer);
    void complete(std::unique_ptr<Transfer> transfer, CURLcode result);
    void deliver(std::unique_ptr<Transfer> transfer, HttpReply reply);
    void abandonAll();

    MainLoop& loop;
    const Settings settings;
    CURLM* multi;

    std::mutex mutex;
    std::vector<std::unique_ptr<Transfer>> incoming;  // guarded by mutex
    bool stopping = false;                            // guarded by mutex

    std::unordered_map<CURL*, std::unique_ptr<Transfer>> active;
    std::thread thread;
};

void CurlHttpClient::Worker::run() {
    for (;;) {
        std::vector<std::unique_ptr<Transfer>> fresh;
        {
            std::lock_guard lock(mutex);
            if (stopping) break;
            fresh.swap(incoming);
        }
        for (auto& transfer : fresh) start(std::move(transfer));

        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            const CURLcode result = message->data.result;
            const auto found = active.find(message->easy_handle);
            if (found == active.end()) continue;
            std::unique_ptr<Transfer> transfer = std::move(found->second);
            active.erase(found);
            curl_multi_remove_handle(multi, transfer->easy);
            complete(std::move(transfer), result);
        }
        // Sleeps until a socket is ready, a timer of libcurl is due, or send() or the destructor
        // wakes it. With nothing under way there is nothing to look at: an idle client must not
        // wake the machine (a charge test runs for an hour).
        curl_multi_poll(multi, nullptr, 0, active.empty() ? kIdleWaitMs : 1000, nullptr);
    }
    abandonAll();
}

void CurlHttpClient::Worker::start(std::unique_ptr<Transfer> transfer) {
    const HttpRequest& request = transfer->request;
    if (const char* problem = addressProblem(request.url)) {
        HttpReply reply;
        reply.error = problem;
        deliver(std::move(transfer), std::move(reply));
        return;
    }
    const bool post = request.method == HttpRequest::Method::Post;
    // Appended by hand: libcurl's URL API would rewrite the escapes in lower case.
    std::string address = request.url.substr(0, request.url.find('#'));
    if (!post && !request.parameters.empty()) {
        if (address.find('?') == std::string::npos) {
            address += '?';
        } else if (address.back() != '?' && address.back() != '&') {
            address += '&';
        }
        address += formEncode(request.parameters);
    }

    transfer->easy = curl_easy_init();
    CURL* easy = transfer->easy;
    if (easy == nullptr) {
        HttpReply reply;
        reply.error = "out of memory";
        deliver(std::move(transfer), std::move(reply));
        return;
    }
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);  // signals would hit a random thread
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(settings.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(settings.totalTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(settings.maxBodyBytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->errorText);
    if (post) {
        transfer->postBody = formEncode(request.parameters);
        transfer->headers = curl_slist_append(
            nullptr, "Content-Type: application/x-www-form-urlencoded; charset=utf-8");
        // libcurl would add "Expect: 100-continue" to larger bodies; an empty value removes it.
        transfer->headers = curl_slist_append(transfer->headers, "Expect:");
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(transfer->postBody.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, transfer->postBody.c_str());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }

    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        HttpReply reply;
        reply.error = "could not start the transfer";
        deliver(std::move(transfer), std::move(reply));
        return;
    }
    active.emplace(easy, std::move(transfer));
}

void CurlHttpClient::Worker::complete(std::unique_ptr<Transfer> transfer, CURLcode result) {
    HttpReply reply;
    if (transfer->tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        reply.error = "reply larger than " + std::to_string(settings.maxBodyBytes) + " bytes";
    } else if (result != CURLE_OK) {
        reply.error =
            transfer->errorText[0] != '\0' ? transfer->errorText : curl_easy_strerror(result);
    } else {
        curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &reply.status);
        reply.body = std::move(transfer->body);
        // Parsed here, off the main thread: a reply may be megabytes long.
        reply.json = readJsonReply(reply.status, reply.body);
    }
    deliver(std::move(transfer), std::move(reply));
}

void CurlHttpClient::Worker::deliver(std::unique_ptr<Transfer> transfer, HttpReply reply) {
    if (reply.failed()) {
        log::debug(log::Category::Platform, std::string(methodName(transfer->request.method)) +
                                                " request failed: " + reply.error);
    }
    // Shared pointers keep the task copyable without copying a large reply.
    auto shared = std::make_shared<HttpReply>(std::move(reply));
    auto handler = std::make_shared<ReplyHandler>(std::move(transfer->onReply));
    transfer.reset();
    MainLoop& mainLoop = loop;
    loop.post([&mainLoop, shared, handler] {
        const ExternalWorkEnd end(mainLoop);
        if (*handler) (*handler)(*shared);
    });
}

void CurlHttpClient::Worker::abandonAll() {
    for (auto& [easy, transfer] : active) {
        curl_multi_remove_handle(multi, easy);
        loop.endExternalWork();
    }
    active.clear();
    std::lock_guard lock(mutex);
    for (size_t i = 0; i < incoming.size(); ++i) loop.endExternalWork();
    incoming.clear();
}

CurlHttpClient::CurlHttpClient(MainLoop& loop) : CurlHttpClient(loop, Settings{}) {}

CurlHttpClient::CurlHttpClient(MainLoop& loop, Settings settings)
    : loop_(loop), settings_(settings) {
    initCurlOnce();
    worker_ = std::make_unique<Worker>(loop_, settings_);
    worker_->thread = std::thread([worker = worker_.get()] { worker->run(); });
}

CurlHttpClient::~CurlHttpClient() {
    {
        std::lock_guard lock(worker_->mutex);
        worker_->stopping = true;
    }
    curl_multi_wakeup(worker_->multi);
    worker_->thread.join();
}

void CurlHttpClient::send(HttpRequest request, ReplyHandler onReply) {
    loop_.beginExternalWork();
    auto transfer =
        std::make_unique<Transfer>(std::move(request), std::move(onReply), settings_.maxBodyBytes);
    {
        std::lock_guard lock(worker_->mutex);
        worker_->incoming.push_back(std::move(transfer));
    }
    curl_multi_wakeup(worker_->multi);
}

}  // namespace voltaro
