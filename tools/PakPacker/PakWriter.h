// Writes pak archives: the packer tool builds the game's paks with it, and the tests and
// benchmarks build their fixtures with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class PakLayout {
    Plain,            // entries stored as they are
    EntryCompressed,  // each entry its own zlib stream (flag bit 1)
    AreaCompressed,   // the whole data area one zlib stream (flag bit 2)
};

struct PakItem {
    std::string name;  // entry name: path relative to the archive root, without extension
    std::string bytes;
};

// The layout named "plain", "entry" or "area"; false for anything else.
bool ParsePakLayout(const std::string& text, PakLayout& layout);

// The whole pak file. Names longer than 255 bytes cannot be stored: false and `error` says
// which.
bool BuildPak(const std::vector<PakItem>& items, PakLayout layout, std::string& pak, std::string& error);

// Collects every file below `folder`, in the order the game's folder scan lists them (each
// directory's names sorted case-insensitively, dot files skipped, links followed but never
// back into a folder being walked). The entry name is `prefix` + '/' + the relative path
// without extension (no prefix: the relative path alone). Of two files that give the same
// name the first stays and the other is reported in `warnings`.
bool CollectFolder(const std::string& folder, const std::string& prefix, std::vector<PakItem>& items,
                   std::vector<std::string>& warnings, std::string& error);

bool WriteWholeFile(const std::string& path, const std::string& bytes);
