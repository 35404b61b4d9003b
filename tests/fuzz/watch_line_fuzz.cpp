// Bytes from a watch companion, in pieces as the socket may deliver them: cut into lines, each read
// as a message; whatever reads is written back as a line that reads the same.
#include "fuzz_support.h"
#include "platform/socket/watch_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace voltaro;
    if (size == 0) return 0;
    // The first byte sets the size of the pieces, and a small line limit reaches the oversize path.
    const size_t piece = 1 + data[0] % 64;
    std::string_view bytes = fuzz::bytesOf(data + 1, size - 1);
    LineSplitter splitter(data[0] & 0x80 ? 256 : kWatchMaxLineBytes);
    const auto onLine = [](std::string_view line) {
        fuzz::check(!line.empty() && line.find('\n') == std::string_view::npos, "a bad line");
        const std::optional<nlohmann::json> message = parseWatchLine(line);
        if (!message) return;
        fuzz::check(message->is_object(), "a message that is not an object");
        if (const auto hello = message->find("hello"); hello != message->end())
            (void)(*hello == "watch");
        if (const auto id = message->find("id"); id != message->end() && id->is_number_integer()) {
            (void)id->get<std::int64_t>();
        }
        const std::string written = watchLine(*message);
        fuzz::check(written.back() == '\n', "a written line without its end");
        const auto again = parseWatchLine(std::string_view(written).substr(0, written.size() - 1));
        fuzz::check(again && *again == *message, "a message does not read back as itself");
    };
    while (!bytes.empty()) {
        splitter.feed(bytes.substr(0, piece), onLine, [] {});
        bytes.remove_prefix(std::min(piece, bytes.size()));
    }
    return 0;
}
