#pragma once

#include <optional>
#include <string>

#include "server/standings.h"
#include "server/upload_checks.h"

namespace voltaro::server {

// The public leaderboard: one HTML page without scripts (a form picks the model), readable on a
// phone. Every text from outside (brand and model names) is escaped.
std::string leaderboardPage(const Standings& standings, const LeaderboardQuery& query,
                            bool languageChosen);

// The same board as JSON: {"model", "tests_to_rank", "labelled_tests", "ranked",
// "ranked_total", "unranked", "unranked_total"}.
std::string leaderboardJson(const Standings& standings, const std::optional<std::string>& model);

// The brand list reply: [{"brand_id", "brand_name_en", "brand_name_cn"}, ...].
std::string brandListJson(const Standings& standings);

}  // namespace voltaro::server
