// pakpacker <plain|entry|area> <folder> <entry prefix> <out.pak>
// Packs every file below <folder> as the entry <prefix>/<relative path without extension>,
// the names the game asks its archive system for. Pass "" as the prefix to use the bare
// relative paths.
#include <cstdio>

#include "PakWriter.h"

int main(int argc, char** argv)
{
    PakLayout layout;
    if (argc != 5 || !ParsePakLayout(argv[1], layout)) {
        std::fprintf(stderr, "usage: pakpacker <plain|entry|area> <folder> <entry prefix> <out.pak>\n");
        return 2;
    }
    std::vector<PakItem> items;
    std::vector<std::string> warnings;
    std::string error, pak;
    if (!CollectFolder(argv[2], argv[3], items, warnings, error) || !BuildPak(items, layout, pak, error)) {
        std::fprintf(stderr, "pakpacker: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& w : warnings)
        std::fprintf(stderr, "pakpacker: warning: %s\n", w.c_str());
    if (!WriteWholeFile(argv[4], pak)) {
        std::fprintf(stderr, "pakpacker: cannot write %s\n", argv[4]);
        return 1;
    }
    return 0;
}
