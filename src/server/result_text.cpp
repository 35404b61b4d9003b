#include "server/result_text.h"

#include <cstdio>

#include "server/text_checks.h"

namespace voltaro::server {
namespace {

// What can be said about a result, and how each language says it. {watt} is the power, {model}
// the model name, {mp} and {mn} the share of slower tests on the model and their number, {ap}
// and {an} the same over all models.
struct Wording {
    const char* english;
    const char* simplifiedChinese;
    const char* traditionalChinese;
    const char* japanese;
};

constexpr Wording kBothCompared{
    "{watt}: faster than {mp}% of {mn} tests on {model} and {ap}% of {an} tests on all models.",
    "{watt}：超过 {model} 上 {mp}% 的测试（共 {mn} 次），超过所有机型 {ap}% 的测试（共 {an} 次）。",
    "{watt}：超過 {model} 上 {mp}% 的測試（共 {mn} 次），超過所有機型 {ap}% 的測試（共 {an} 次）。",
    "{watt}：{model} のテスト {mn} 件のうち {mp}%、全機種のテスト {an} 件のうち {ap}% "
    "より速い結果です。",
};
constexpr Wording kFewOnModel{
    "{watt}: faster than {ap}% of {an} tests on all models. {model} has too few tests to compare "
    "yet ({mn} so far).",
    "{watt}：超过所有机型 {ap}% 的测试（共 {an} 次）。{model} 的测试还太少（目前 {mn} "
    "次），暂时无法比较。",
    "{watt}：超過所有機型 {ap}% 的測試（共 {an} 次）。{model} 的測試還太少（目前 {mn} "
    "次），暫時無法比較。",
    "{watt}：全機種のテスト {an} 件のうち {ap}% より速い結果です。{model} のテストはまだ {mn} "
    "件しかないため、機種内では比較できません。",
};
constexpr Wording kNoneOnModel{
    "{watt}: faster than {ap}% of {an} tests on all models. No other test on {model} to compare "
    "with yet.",
    "{watt}：超过所有机型 {ap}% 的测试（共 {an} 次）。{model} 还没有其他测试可以比较。",
    "{watt}：超過所有機型 {ap}% 的測試（共 {an} 次）。{model} 還沒有其他測試可以比較。",
    "{watt}：全機種のテスト {an} 件のうち {ap}% より速い結果です。{model} "
    "には比較できるほかのテストがまだありません。",
};
constexpr Wording kFewOverall{
    "{watt}: too few other tests to compare with yet ({an} so far).",
    "{watt}：目前只有另外 {an} 次测试，还太少，暂时无法比较。",
    "{watt}：目前只有另外 {an} 次測試，還太少，暫時無法比較。",
    "{watt}：ほかのテストはまだ {an} 件しかないため、比較できません。",
};
constexpr Wording kNoneOverall{
    "{watt}: no other tests to compare with yet.",
    "{watt}：还没有其他测试可以比较。",
    "{watt}：還沒有其他測試可以比較。",
    "{watt}：比較できるほかのテストはまだありません。",
};
constexpr Wording kNoResult{
    "This test ended without a result, so it is not compared.",
    "本次测试没有得出结果，不参与比较。",
    "這次測試沒有得出結果，不列入比較。",
    "今回のテストは結果が出なかったため、比較の対象外です。",
};

const Wording& wordingFor(int64_t deciwatt, const Comparison& comparison) {
    if (deciwatt <= 0) return kNoResult;
    if (comparison.allTests == 0) return kNoneOverall;
    if (comparison.allTests < kTestsToCompare) return kFewOverall;
    if (comparison.modelTests == 0) return kNoneOnModel;
    if (comparison.modelTests < kTestsToCompare) return kFewOnModel;
    return kBothCompared;
}

// Whole percent, rounded down: "faster than" never overstates.
std::string percentOf(int64_t part, int64_t whole) {
    return whole > 0 ? std::to_string(part * 100 / whole) : "0";
}

}  // namespace

std::string filled(std::string_view pattern,
                   std::initializer_list<std::pair<std::string_view, std::string>> values) {
    std::string text;
    size_t at = 0;
    while (at < pattern.size()) {
        const size_t open = pattern.find('{', at);
        const size_t close = open == std::string_view::npos ? open : pattern.find('}', open);
        if (close == std::string_view::npos) break;
        text.append(pattern, at, open - at);
        const std::string_view name = pattern.substr(open + 1, close - open - 1);
        bool known = false;
        for (const auto& [key, value] : values) {
            if (key == name) {
                text += value;
                known = true;
                break;
            }
        }
        if (!known) text.append(pattern, open, close - open + 1);
        at = close + 1;
    }
    text.append(pattern.substr(std::min(at, pattern.size())));
    return text;
}

ResultTexts resultTexts(double watt, const std::string& model, const Comparison& comparison) {
    char power[32];
    std::snprintf(power, sizeof power, "%.1f W", watt);
    const Wording& wording = wordingFor(deciwattOf(watt), comparison);
    const auto fill = [&](const char* pattern) {
        return filled(pattern, {{"watt", power},
                                {"model", model},
                                {"mp", percentOf(comparison.modelSlower, comparison.modelTests)},
                                {"mn", groupedNumber(comparison.modelTests)},
                                {"ap", percentOf(comparison.allSlower, comparison.allTests)},
                                {"an", groupedNumber(comparison.allTests)}});
    };
    return ResultTexts{fill(wording.english), fill(wording.simplifiedChinese),
                       fill(wording.traditionalChinese), fill(wording.japanese)};
}

}  // namespace voltaro::server
