#include "PakWriter.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool Deflate(const std::string& in, std::string& out)
{
    uLongf length = compressBound(static_cast<uLong>(in.size()));
    out.resize(length);
    int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(in.data()),
                       static_cast<uLong>(in.size()), Z_BEST_COMPRESSION);
    if (rc != Z_OK)
        return false;
    out.resize(length);
    return true;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}

bool ListBefore(const std::string& a, const std::string& b)
{
    std::string x = Lower(a), y = Lower(b);
    return x != y ? x < y : a < b;
}

struct Walker {
    std::string prefix;
    std::vector<PakItem>& items;
    std::vector<std::string>& warnings;
    std::set<std::string> names;
    std::vector<fs::path> chain; // resolved folders being walked

    bool Walk(const fs::path& folder, const std::string& relative, std::string& error)
    {
        std::error_code ec;
        fs::path real = fs::canonical(folder, ec);
        if (ec) {
            error = "cannot resolve " + folder.string();
            return false;
        }
        if (std::find(chain.begin(), chain.end(), real) != chain.end())
            return true; // a link back into a folder being walked
        chain.push_back(real);

        std::vector<std::string> entries;
        for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
            entries.push_back(e.path().filename().string());
        if (ec) {
            error = "cannot list " + folder.string();
            return false;
        }
        std::sort(entries.begin(), entries.end(), ListBefore);

        for (const std::string& name : entries) {
            if (name.empty() || name[0] == '.')
                continue;
            fs::path path = folder / name;
            std::string rel = relative.empty() ? name : relative + "/" + name;
            if (fs::is_regular_file(path, ec)) {
                size_t dot = rel.rfind('.');
                size_t slash = rel.rfind('/');
                std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                       ? rel.substr(0, dot)
                                       : rel;
                std::string entry = prefix.empty() ? base : prefix + "/" + base;
                if (!names.insert(entry).second) {
                    warnings.push_back(path.string() + ": same entry name as an earlier file (" + entry +
                                       "), skipped");
                    continue;
                }
                std::ifstream in(path, std::ios::binary);
                std::ostringstream bytes;
                bytes << in.rdbuf();
                if (!in) {
                    error = "cannot read " + path.string();
                    return false;
                }
                items.push_back(PakItem{entry, bytes.str()});
            } else if (fs::is_directory(path, ec)) {
                if (!Walk(path, rel, error))
                    return false;
            }
        }
        chain.pop_back();
        return true;
    }
};

} // namespace

bool ParsePakLayout(const std::string& text, PakLayout& layout)
{
    if (text == "plain")
        layout = PakLayout::Plain;
    else if (text == "entry")
        layout = PakLayout::EntryCompressed;
    else if (text == "area")
        layout = PakLayout::AreaCompressed;
    else
        return false;
    return true;
}

bool BuildPak(const std::vector<PakItem>& items, PakLayout layout, std::string& pak, std::string& error)
{
    std::string index, data;
    for (const PakItem& item : items) {
        if (item.name.size() > 255) {
            error = "entry name longer than 255 bytes: " + item.name;
            return false;
        }
        std::string stored = item.bytes;
        if (layout == PakLayout::EntryCompressed && !Deflate(item.bytes, stored)) {
            error = "cannot compress " + item.name;
            return false;
        }
        PutU32(index, static_cast<uint32_t>(item.bytes.size()));
        PutU32(index, static_cast<uint32_t>(stored.size()));
        PutU32(index, static_cast<uint32_t>(data.size()));
        index.push_back(static_cast<char>(item.name.size()));
        index += item.name;
        data += stored;
    }

    std::string packedIndex, packedData = data;
    if (!Deflate(index, packedIndex) || (layout == PakLayout::AreaCompressed && !Deflate(data, packedData))) {
        error = "cannot compress the index or the data area";
        return false;
    }
    uint8_t flags = layout == PakLayout::EntryCompressed  ? 0x2
                    : layout == PakLayout::AreaCompressed ? 0x4
                                                          : 0x0;
    pak.assign("ZEVA", 4);
    pak.append(2, '\0');
    pak.push_back(static_cast<char>(flags));
    pak.push_back('\0');
    PutU32(pak, static_cast<uint32_t>(items.size()));
    PutU32(pak, static_cast<uint32_t>(data.size()));
    PutU32(pak, static_cast<uint32_t>(packedData.size()));
    PutU32(pak, static_cast<uint32_t>(index.size()));
    PutU32(pak, static_cast<uint32_t>(packedIndex.size()));
    pak += packedIndex;
    pak += packedData;
    return true;
}

bool CollectFolder(const std::string& folder, const std::string& prefix, std::vector<PakItem>& items,
                   std::vector<std::string>& warnings, std::string& error)
{
    std::string cleanPrefix = prefix;
    while (!cleanPrefix.empty() && cleanPrefix.back() == '/')
        cleanPrefix.pop_back();
    Walker walker{cleanPrefix, items, warnings, {}, {}};
    return walker.Walk(folder, "", error);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
