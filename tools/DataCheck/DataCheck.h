// The data checker: loads every data file of a built game folder the way the game does
// (the same archives, the same Lua state and Script library, the same folders in the same
// order) and reports what the game would silently skip or misread, one finding per fault, each
// naming its file and the reason.
#pragma once

#include <string>
#include <vector>

struct DataFinding {
    std::string file; // archive entry name, or the folder for a fault of the whole data set
    std::string reason;
};

// "<file>: <reason>"
std::string FormatFinding(const DataFinding& finding);

// Checks the game folder (the one holding "assets.v1" and "data"). The checker sets up and
// removes its own archive system and script host; nothing global stays behind.
std::vector<DataFinding> CheckGameData(const std::string& gameFolder);
