#pragma once

#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

// The watch link's wire format: one JSON object per line, UTF-8, lines ending in "\n".
//   companion -> app  {"hello":"watch"}              pairs the companion (it gets pushes)
//   companion -> app  {"id":N,"message":{...}}       asks; answered {"id":N,"reply":{...}}
//   app -> companion  {"message":{...}}              a push
//   companion -> app  {"reply":{...}}                answers the oldest unanswered push
namespace voltaro {

inline constexpr std::size_t kWatchMaxLineBytes = 64 * 1024;
// Nesting deeper than this is refused: no message of the link comes near it.
inline constexpr int kWatchMaxLineDepth = 32;

// $XDG_RUNTIME_DIR/voltaro/watch.sock; /tmp/voltaro-<uid>/watch.sock when XDG_RUNTIME_DIR is not
// set to an absolute path.
std::string defaultWatchSocketPath();

// Cuts a byte stream into lines. A line longer than the limit is dropped whole, up to its newline.
// Empty lines are skipped; a carriage return before the newline is removed.
class LineSplitter {
public:
    explicit LineSplitter(std::size_t maxLineBytes = kWatchMaxLineBytes)
        : maxLineBytes_(maxLineBytes) {}

    // `onLine` gets each complete line; `onOversized` runs once for each line that was dropped.
    void feed(std::string_view bytes, const std::function<void(std::string_view)>& onLine,
              const std::function<void()>& onOversized);

private:
    std::size_t maxLineBytes_;
    std::string pending_;
    bool discarding_ = false;
};

// A line read as a JSON object; empty for anything else, and for objects nested too deeply to
// be anything this link sends.
std::optional<nlohmann::json> parseWatchLine(std::string_view line);

// The line for a value, newline included. Texts that are not valid UTF-8 are repaired, never
// thrown over.
std::string watchLine(const nlohmann::json& value);

}  // namespace voltaro
