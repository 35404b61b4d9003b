#pragma once

#include <filesystem>

namespace voltaro {

// Where the program keeps its files.
//
// Data ("history", "brandInfo"): the front-end's --data-dir, else $VOLTARO_DATA_DIR, else
// $XDG_DATA_HOME/voltaro, else ~/.local/share/voltaro.
// Configuration (preferences.plist): an override set in code, else $VOLTARO_CONFIG_DIR, else
// $XDG_CONFIG_HOME/voltaro, else ~/.config/voltaro.
//
// Each call looks at the overrides and the environment again. An empty path means that no home
// directory could be found; writes there fail and reads find nothing.
class Paths {
public:
    static std::filesystem::path dataDirectory();
    static std::filesystem::path configDirectory();
    // Whether the data directory was named for this run (--data-dir, $VOLTARO_DATA_DIR) rather
    // than being the user's default one.
    static bool dataDirectoryNamed();

    // Process-wide overrides (front-end options, tests); an empty path removes the override.
    static void setDataDirectory(std::filesystem::path directory);
    static void setConfigDirectory(std::filesystem::path directory);

    // Creates `directory` and its parents when missing; true when it exists afterwards.
    static bool ensureDirectory(const std::filesystem::path& directory);
};

}  // namespace voltaro
