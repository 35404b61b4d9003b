#include "server/leaderboard_page.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "server/result_text.h"
#include "server/text_checks.h"

namespace voltaro::server {
namespace {

constexpr size_t kRowsOnPage = 50;
constexpr size_t kRowsInJson = 500;
constexpr size_t kModelsToPick = 200;  // the most tested; any other still works with ?model=

struct PageTexts {
    const char* htmlLanguage;
    const char* languageName;
    const char* title;
    const char* intro;
    const char* model;
    const char* allModels;
    const char* show;
    const char* unranked;  // {n}: tests needed to be ranked
    const char* empty;
    const char* asJson;
    const char* more;  // {n}: rows not shown
    const char* unknownBrand;
    const char* brandNumber;  // {id}
    const char* median;       // {watt}
    const char* testCount;    // {n}
    const char* testsCount;   // {n}
    const char* totals;       // {tests}, {labels}
    const char* kinds[3];     // wall charger, power bank, car charger
    const char* wireless;
    bool chineseBrandNames;
};

constexpr PageTexts kEnglish{
    "en",
    "English",
    "Charger leaderboard",
    "Chargers ranked by the median power measured with them in Voltaro.",
    "Model",
    "All models",
    "Show",
    "Fewer than {n} tests, not ranked yet",
    "No tests labelled with a charger yet.",
    "This list as JSON",
    "…and {n} more",
    "Unknown brand",
    "Brand #{id}",
    "median {watt}",
    "{n} test",
    "{n} tests",
    "Based on {tests} tests and {labels} charger labels; updated every few seconds.",
    {"Wall charger", "Power bank", "Car charger"},
    "Wireless",
    false,
};
constexpr PageTexts kSimplifiedChinese{
    "zh-Hans",
    "简体中文",
    "充电器排行榜",
    "按在 Voltaro 中实测功率的中位数为充电器排名。",
    "机型",
    "全部机型",
    "查看",
    "测试不足 {n} 次，暂不排名",
    "还没有标注了充电器的测试。",
    "以 JSON 格式获取此列表",
    "……还有 {n} 个",
    "未知品牌",
    "品牌 #{id}",
    "中位数 {watt}",
    "{n} 次测试",
    "{n} 次测试",
    "基于 {tests} 次测试和 {labels} 条充电器标注，每隔几秒更新一次。",
    {"充电头", "充电宝", "车载充电器"},
    "无线",
    true,
};
constexpr PageTexts kTraditionalChinese{
    "zh-Hant",
    "繁體中文",
    "充電器排行榜",
    "依在 Voltaro 中實測功率的中位數為充電器排名。",
    "機型",
    "全部機型",
    "查看",
    "測試不足 {n} 次，暫不排名",
    "還沒有標註了充電器的測試。",
    "以 JSON 格式取得此列表",
    "……還有 {n} 個",
    "未知品牌",
    "品牌 #{id}",
    "中位數 {watt}",
    "{n} 次測試",
    "{n} 次測試",
    "根據 {tests} 次測試和 {labels} 筆充電器標註，每隔幾秒更新一次。",
    {"插座充電器", "行動電源", "車用充電器"},
    "無線",
    true,
};
constexpr PageTexts kJapanese{
    "ja",
    "日本語",
    "充電器ランキング",
    "Voltaro で実際に測定された電力の中央値で充電器をランキングしています。",
    "機種",
    "全機種",
    "表示",
    "テストが {n} 件未満のため、まだランク外",
    "充電器が登録されたテストはまだありません。",
    "このリストを JSON で取得",
    "……ほか {n} 件",
    "不明なブランド",
    "ブランド #{id}",
    "中央値 {watt}",
    "{n} 件のテスト",
    "{n} 件のテスト",
    "{tests} 件のテストと {labels} 件の充電器の登録にもとづき、数秒ごとに更新されます。",
    {"AC充電器", "モバイルバッテリー", "カーチャージャー"},
    "ワイヤレス",
    false,
};

const PageTexts& textsFor(Language language) {
    switch (language) {
        case Language::SimplifiedChinese:
            return kSimplifiedChinese;
        case Language::TraditionalChinese:
            return kTraditionalChinese;
        case Language::Japanese:
            return kJapanese;
        case Language::English:
            break;
    }
    return kEnglish;
}

std::string watts(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f W", value);
    return text;
}

std::string brandName(const Standings& standings, const PageTexts& texts, int64_t id) {
    if (id == 0) return texts.unknownBrand;
    const Brand* brand = standings.brand(id);
    if (brand == nullptr) return filled(texts.brandNumber, {{"id", std::to_string(id)}});
    if (texts.chineseBrandNames && !brand->nameCn.empty()) return brand->nameCn;
    return brand->nameEn;
}

// "Brand · Wall charger · 20 W · USB-C", leaving out what the label does not say; each part after
// the brand is kept on one line.
std::string chargerHtml(const Standings& standings, const PageTexts& texts,
                        const ChargerKey& charger) {
    std::string html = htmlEscaped(brandName(standings, texts, charger.brandId));
    const auto add = [&](const std::string& part) {
        html += " · <span class=\"part\">" + htmlEscaped(part) + "</span>";
    };
    if (charger.type >= 1 && charger.type <= 3) add(texts.kinds[charger.type - 1]);
    if (charger.watts != 0) add(std::to_string(charger.watts) + " W");
    if (charger.capacity != 0) add(groupedNumber(charger.capacity) + " mAh");
    if (charger.port == 1) add("USB-A");
    if (charger.port == 2) add("USB-C");
    if (charger.port == 3) add(texts.wireless);
    return html;
}

std::string testCount(const PageTexts& texts, int64_t tests) {
    return filled(tests == 1 ? texts.testCount : texts.testsCount, {{"n", groupedNumber(tests)}});
}

constexpr const char* kStyle = R"css(
:root{color-scheme:light dark;--card:#fff;--muted:#5b5b66;--track:#e3e3ea;--bar:#2f7d3a}
@media (prefers-color-scheme:dark){:root{--card:#1f1f24;--muted:#a4a4b0;--track:#34343c;--bar:#5cc26a}}
body{font-family:system-ui,-apple-system,"Segoe UI",Roboto,"Noto Sans","Noto Sans CJK SC",sans-serif;
max-width:44rem;margin:0 auto;padding:1rem;line-height:1.45}
h1{font-size:1.55rem;margin:.3rem 0}
h2{font-size:1.2rem;margin:1.8rem 0 .4rem}
h3{font-size:1rem;margin:1.2rem 0 .3rem;color:var(--muted)}
p{margin:.4rem 0}
form{display:flex;flex-wrap:wrap;gap:.5rem;align-items:center;margin:1rem 0}
select,button{font:inherit;padding:.4rem .6rem;max-width:100%}
ol,ul{list-style:none;margin:0;padding:0}
li{background:var(--card);border-radius:.6rem;padding:.6rem .8rem;margin:.45rem 0;
box-shadow:0 1px 3px rgba(0,0,0,.12)}
.rank{font-weight:700;margin-right:.45rem}
.name{font-weight:600;overflow-wrap:anywhere}
.part{white-space:nowrap}
.figures{color:var(--muted);font-size:.92rem}
.bar{height:.55rem;background:var(--track);border-radius:.3rem;margin-top:.35rem;overflow:hidden}
.bar span{display:block;height:100%;background:var(--bar)}
footer{margin-top:2rem;font-size:.88rem;color:var(--muted)}
footer a{margin-right:.8rem}
)css";

void appendBoard(std::string& html, const Standings& standings, const PageTexts& texts,
                 const std::string& heading, const Board& board) {
    html += "<section><h2>" + htmlEscaped(heading) + "</h2>\n";
    if (board.ranked.empty() && board.unranked.empty()) {
        html += "<p class=\"empty\">" + std::string(texts.empty) + "</p></section>\n";
        return;
    }
    const double fastest = board.ranked.empty() ? 0 : board.ranked.front().medianWatt;
    const auto more = [&](size_t total) {
        if (total > kRowsOnPage) {
            html += "<p>" +
                    filled(texts.more,
                           {{"n", groupedNumber(static_cast<int64_t>(total - kRowsOnPage))}}) +
                    "</p>\n";
        }
    };
    if (!board.ranked.empty()) {
        html += "<ol class=\"ranked\">\n";
        for (size_t i = 0; i < board.ranked.size() && i < kRowsOnPage; ++i) {
            const Standing& standing = board.ranked[i];
            char width[16];
            std::snprintf(width, sizeof width, "%.1f",
                          fastest > 0 ? standing.medianWatt / fastest * 100 : 0.0);
            html += "<li><span class=\"rank\">" + std::to_string(i + 1) +
                    "</span><span class=\"name\">" +
                    chargerHtml(standings, texts, standing.charger) +
                    "</span><div class=\"figures\">" +
                    filled(texts.median, {{"watt", watts(standing.medianWatt)}}) + " · " +
                    testCount(texts, standing.tests) +
                    "</div><div class=\"bar\"><span style=\"width:" + width +
                    "%\"></span></div></li>\n";
        }
        html += "</ol>\n";
        more(board.ranked.size());
    }
    if (!board.unranked.empty()) {
        html += "<h3>" + filled(texts.unranked, {{"n", std::to_string(kTestsToRank)}}) +
                "</h3>\n<ul class=\"unranked\">\n";
        for (size_t i = 0; i < board.unranked.size() && i < kRowsOnPage; ++i) {
            const Standing& standing = board.unranked[i];
            html += "<li><span class=\"name\">" + chargerHtml(standings, texts, standing.charger) +
                    "</span><div class=\"figures\">" +
                    filled(texts.median, {{"watt", watts(standing.medianWatt)}}) + " · " +
                    testCount(texts, standing.tests) + "</div></li>\n";
        }
        html += "</ul>\n";
        more(board.unranked.size());
    }
    html += "</section>\n";
}

nlohmann::json standingsJson(const Standings& standings, const std::vector<Standing>& list,
                             bool ranked) {
    nlohmann::json rows = nlohmann::json::array();
    for (size_t i = 0; i < list.size() && i < kRowsInJson; ++i) {
        const Standing& standing = list[i];
        const Brand* brand = standings.brand(standing.charger.brandId);
        nlohmann::json row{
            {"brand_id", standing.charger.brandId},
            {"brand_name_en", brand != nullptr ? brand->nameEn : ""},
            {"brand_name_cn", brand != nullptr ? brand->nameCn : ""},
            {"charger_type", standing.charger.type},
            {"charger_watts", standing.charger.watts},
            {"charger_port", standing.charger.port},
            {"charger_capacity", standing.charger.capacity},
            {"median_watt", std::round(standing.medianWatt * 100) / 100},
            {"tests", standing.tests},
        };
        if (ranked) row["rank"] = i + 1;
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

std::string leaderboardPage(const Standings& standings, const LeaderboardQuery& query,
                            bool languageChosen) {
    const PageTexts& texts = textsFor(query.language);
    std::string html;
    html.reserve(16 * 1024);
    html += "<!DOCTYPE html>\n<html lang=\"" + std::string(texts.htmlLanguage) +
            "\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
            std::string(texts.title) + " · Voltaro</title>\n<style>" + kStyle +
            "</style>\n</head>\n<body>\n<h1>" + texts.title + "</h1>\n<p>" + texts.intro + "</p>\n";

    // Picking a model works without scripts: the form reloads the page.
    html += "<form method=\"get\" action=\"/\">\n<label for=\"model\">" + std::string(texts.model) +
            "</label>\n<select id=\"model\" name=\"model\">\n<option value=\"\">" +
            texts.allModels + "</option>\n";
    bool chosenListed = false;
    for (size_t i = 0; i < standings.models().size() && i < kModelsToPick; ++i) {
        const auto& [model, tests] = standings.models()[i];
        const bool chosen = query.model && *query.model == model;
        chosenListed = chosenListed || chosen;
        html += "<option value=\"" + htmlEscaped(model) + "\"" + (chosen ? " selected" : "") + ">" +
                htmlEscaped(model) + " (" + groupedNumber(tests) + ")</option>\n";
    }
    if (query.model && !chosenListed) {
        html += "<option value=\"" + htmlEscaped(*query.model) + "\" selected>" +
                htmlEscaped(*query.model) + "</option>\n";
    }
    html += "</select>\n";
    if (languageChosen) {
        html += "<input type=\"hidden\" name=\"lang\" value=\"" +
                std::string(languageCode(query.language)) + "\">\n";
    }
    html += "<button type=\"submit\">" + std::string(texts.show) + "</button>\n</form>\n";

    if (query.model)
        appendBoard(html, standings, texts, *query.model, standings.board(query.model));
    appendBoard(html, standings, texts, texts.allModels, standings.board(std::nullopt));

    const std::string jsonAddress =
        "/api/leaderboard" + (query.model ? "?model=" + queryEncoded(*query.model) : std::string());
    html += "<p><a href=\"" + htmlEscaped(jsonAddress) + "\">" + texts.asJson +
            "</a></p>\n<footer>\n<p>" +
            filled(texts.totals, {{"tests", groupedNumber(standings.storedTests())},
                                  {"labels", groupedNumber(standings.storedLabels())}}) +
            "</p>\n<p>";
    for (const Language language : kLanguages) {
        const std::string address =
            "/?" + (query.model ? "model=" + queryEncoded(*query.model) + "&" : std::string()) +
            "lang=" + languageCode(language);
        html += "<a href=\"" + htmlEscaped(address) + "\" hreflang=\"" +
                textsFor(language).htmlLanguage + "\">" + textsFor(language).languageName + "</a>";
    }
    html += "</p>\n</footer>\n</body>\n</html>\n";
    return html;
}

std::string leaderboardJson(const Standings& standings, const std::optional<std::string>& model) {
    const Board& board = standings.board(model);
    const nlohmann::json reply{
        {"model", model ? nlohmann::json(*model) : nlohmann::json(nullptr)},
        {"tests_to_rank", kTestsToRank},
        {"labelled_tests", board.labelledTests},
        {"ranked", standingsJson(standings, board.ranked, true)},
        {"ranked_total", board.ranked.size()},
        {"unranked", standingsJson(standings, board.unranked, false)},
        {"unranked_total", board.unranked.size()},
    };
    return reply.dump();
}

std::string brandListJson(const Standings& standings) {
    nlohmann::json list = nlohmann::json::array();
    for (const Brand& brand : standings.brands()) {
        list.push_back({{"brand_id", brand.id},
                        {"brand_name_en", brand.nameEn},
                        {"brand_name_cn", brand.nameCn}});
    }
    return list.dump();
}

}  // namespace voltaro::server
