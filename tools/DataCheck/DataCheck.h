// The data checker: loads every data file of a built game folder the way the game does
// (the same archives, the same Lua state and Script library, the same folders in the same
// order) and reports what the game would silently skip or misread, one finding per fault, each
// naming its file and the reason.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct DataFinding {
    std::string file; // archive entry name, or the folder for a fault of the whole data set
    std::string reason;
    bool warning = false; // likely a mistake, but the game may mean it: not counted as an error
};

// What the data holds, counted as the game's tables count it (the first of two equal keys
// keeps it; entries the game would not make are not counted).
struct DataCounts {
    size_t textures = 0;    // texture table entries
    size_t texts = 0;       // text keys
    size_t sprites = 0;     // atlas sprites
    size_t clips = 0;       // animation clips
    size_t accessories = 0; // accessory records, the default one included
    size_t quests = 0;      // quest records
    size_t prototypes = 0;  // stage and game-object prototypes
};

// "<file>: <reason>", with "warning: " before the reason of a warning
std::string FormatFinding(const DataFinding& finding);

// Checks the game folder (the one holding "assets.v1" and "data"). The checker sets up and
// removes its own archive system and script host; nothing global stays behind.
// When asked, also counts what the tables hold.
std::vector<DataFinding> CheckGameData(const std::string& gameFolder, DataCounts* counts = nullptr);
