// Bytes from a watch companion, in pieces as the socket may deliver them: cut into lines, each read
// as a message; whatever reads is written back as a line that reads the same.
#include "fuzz_support.h"
#include "platform/socket/watch_protocol.h"

VOLTARO_FUZZ(bytes) {
    if (bytes.empty()) return;
    // The first byte sets the size of the pieces, and a small line limit reaches the oversize path.
    const size_t piece = 1 + static_cast<uint8_t>(bytes[0]) % 64;
    LineSplitter splitter(bytes[0] & 0x80 ? 256 : kWatchMaxLineBytes);
    const auto onLine = [](std::string_view line) {
        fuzz::check(!line.empty() && line.find('\n') == std::string_view::npos, "a bad line");
        const std::optional<nlohmann::json> message = parseWatchLine(line);
        if (!message) return;
        fuzz::check(message->is_object(), "a message that is not an object");
        const std::string written = watchLine(*message);
        fuzz::check(written.back() == '\n', "a written line without its end");
        const auto again = parseWatchLine(std::string_view(written).substr(0, written.size() - 1));
        fuzz::check(again && *again == *message, "a message does not read back as itself");
    };
    for (bytes.remove_prefix(1); !bytes.empty();
         bytes.remove_prefix(std::min(piece, bytes.size()))) {
        splitter.feed(bytes.substr(0, piece), onLine, [] {});
    }
}
