#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>

#include "ArchiveFixture.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/Compress.h"

namespace {

std::string Zip(const std::string& bytes)
{
    uLongf length = compressBound(bytes.size());
    std::string out(length, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(bytes.data()),
             bytes.size());
    out.resize(length);
    return out;
}

void PutU32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>(v >> (8 * i)));
}

// A pak written field by field, so that every field can be made to lie.
struct RawPak {
    struct Entry {
        uint32_t size, stored, offset;
        std::string name;
    };
    std::string magic = "ZEVA";
    uint8_t flags = 0;
    std::vector<Entry> entries;
    std::string data; // the data area as stored
    uint32_t dataSize = 0;
    std::optional<uint32_t> count, indexSize, indexStored, dataStored;
    std::optional<std::string> index; // the stored index bytes
    size_t indexCut = std::string::npos; // the index is cut here before it is compressed
    size_t cutTo = std::string::npos;

    std::string Build() const
    {
        std::string plainIndex;
        for (const Entry& e : entries) {
            PutU32(plainIndex, e.size);
            PutU32(plainIndex, e.stored);
            PutU32(plainIndex, e.offset);
            plainIndex.push_back(static_cast<char>(e.name.size()));
            plainIndex += e.name;
        }
        plainIndex = plainIndex.substr(0, indexCut);
        std::string storedIndex = index ? *index : Zip(plainIndex);
        std::string pak = magic;
        pak.append(2, '\0');
        pak.push_back(static_cast<char>(flags));
        pak.push_back('\0');
        PutU32(pak, count.value_or(static_cast<uint32_t>(entries.size())));
        PutU32(pak, dataSize);
        PutU32(pak, dataStored.value_or(static_cast<uint32_t>(data.size())));
        PutU32(pak, indexSize.value_or(static_cast<uint32_t>(plainIndex.size())));
        PutU32(pak, indexStored.value_or(static_cast<uint32_t>(storedIndex.size())));
        pak += storedIndex + data;
        return pak.substr(0, cutTo);
    }
};

RawPak MakePak(uint8_t flags, std::vector<RawPak::Entry> entries, std::string data, uint32_t dataSize = 0)
{
    RawPak pak;
    pak.flags = flags;
    pak.entries = std::move(entries);
    pak.data = std::move(data);
    pak.dataSize = dataSize;
    return pak;
}

// Entries "a" ("alpha bytes") and "b" ("beta") in each layout.
RawPak PlainPak() { return MakePak(0, {{11, 11, 0, "a"}, {4, 4, 11, "b"}}, "alpha bytesbeta"); }

RawPak EntryPak()
{
    std::string a = Zip("alpha bytes"), b = Zip("beta");
    return MakePak(2, {{11, uint32_t(a.size()), 0, "a"}, {4, uint32_t(b.size()), uint32_t(a.size()), "b"}}, a + b);
}

RawPak AreaPak() { return MakePak(4, {{11, 0, 0, "a"}, {4, 0, 11, "b"}}, Zip("alpha bytesbeta"), 15); }

std::string Pattern(size_t n, uint32_t seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = static_cast<char>(i % 7 == 0 ? seed >> 24 : 'a' + i % 13);
    }
    return s;
}

} // namespace

TEST_F(ArchiveTest, PaksOfEveryLayoutRoundTripThroughThePacker)
{
    dir.WriteFile("assets.v1/sounds/se/one.txt", "first entry");
    dir.WriteFile("assets.v1/sounds/se/empty.dat", "");
    dir.WriteFile("assets.v1/sounds/bgm/big.ogg", Pattern(300000, 7));
    dir.WriteFile("assets.v1/sounds/bgm/Deep/er/two.bin", Pattern(5000, 9));
    dir.WriteFile("assets.v1/sounds/dup.a", "kept");
    dir.WriteFile("assets.v1/sounds/dup.b", "dropped");
    dir.WriteFile("assets.v1/sounds/.hidden", "never");

    std::vector<PakItem> items;
    std::vector<std::string> warnings;
    std::string error;
    ASSERT_TRUE(CollectFolder(dir.File("assets.v1/sounds"), "assets.v1/sounds/", items, warnings, error)) << error;
    EXPECT_EQ(warnings.size(), 1u);

    FileSystemArchive loose("assets.v1/sounds");
    ASSERT_TRUE(loose.Open());
    std::vector<ArchiveEntry> looseEntries;
    loose.ListEntries(looseEntries);
    ASSERT_EQ(looseEntries.size(), 5u);
    ASSERT_EQ(items.size(), looseEntries.size());

    struct { PakLayout layout; bool inMemory; } layouts[] = {
        {PakLayout::Plain, false}, {PakLayout::EntryCompressed, true}, {PakLayout::AreaCompressed, true}};
    for (auto& l : layouts) {
        ZEVArchive pak(WritePak("data/sound.pak", items, l.layout));
        ASSERT_TRUE(pak.Open()) << int(l.layout);
        std::vector<ArchiveEntry> pakEntries;
        pak.ListEntries(pakEntries);
        EXPECT_EQ(pakEntries.size(), looseEntries.size());
        for (const ArchiveEntry& e : looseEntries) {
            std::unique_ptr<StreamIO> fromPak(pak.OpenEntry(e.m_nNameId, true));
            std::unique_ptr<StreamIO> fromFolder(loose.OpenEntry(e.m_nNameId, true));
            ASSERT_NE(fromPak, nullptr) << e.m_Name;
            EXPECT_EQ(fromPak->IsInMemory(), l.inMemory);
            EXPECT_EQ(fromPak->GetNameId(), e.m_nNameId);
            EXPECT_EQ(fromPak->GetSize(), fromFolder->GetSize()) << e.m_Name;
            EXPECT_TRUE(ReadStreamToString(*fromPak) == ReadStreamToString(*fromFolder)) << e.m_Name << int(l.layout);
        }
        EXPECT_EQ(pak.OpenEntry(HashName("assets.v1/sounds/.hidden"), true), nullptr);
    }
}

TEST_F(ArchiveTest, MalformedPaksAreDroppedOrReadSafely)
{
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
        bool mounts;
        std::string a; // what entry "a" reads when mounted
    };
    auto with = [](RawPak pak, std::function<void(RawPak&)> change) {
        return [pak, change]() mutable {
            change(pak);
            return pak.Build();
        };
    };
    const Case cases[] = {
        {"empty file", [] { return std::string(); }, false, ""},
        {"short header", with(PlainPak(), [](RawPak& p) { p.cutTo = 10; }), false, ""},
        {"index record cut", with(PlainPak(), [](RawPak& p) { p.cutTo = 24; }), false, ""},
        {"wrong magic", with(PlainPak(), [](RawPak& p) { p.magic = "ZEVB"; }), false, ""},
        {"index past the end", with(PlainPak(), [](RawPak& p) { p.indexStored = 0x7FFFFFFF; }), false, ""},
        {"truncated index", with(PlainPak(), [](RawPak& p) { p.cutTo = 28 + 5; }), false, ""},
        {"index not zlib", with(PlainPak(), [](RawPak& p) { p.index = std::string(30, 'x'); }), false, ""},
        {"index expands past the zlib limit", with(PlainPak(), [](RawPak& p) { p.indexSize = 0xFFFFFFFF; }), false, ""},
        {"absurd entry count", with(PlainPak(), [](RawPak& p) { p.count = 0xFFFFFFFF; }), false, ""},
        {"count past the index", with(PlainPak(), [](RawPak& p) { p.count = 3; p.indexSize = 3 * 14; }), false, ""},
        {"index ends in a name", with(PlainPak(), [](RawPak& p) { p.indexCut = 14 + 13; }), false, ""},
        {"plain window past the end", with(PlainPak(), [](RawPak& p) { p.entries[1].size = 5; }), false, ""},
        {"plain offset wraps", with(PlainPak(), [](RawPak& p) { p.entries[1].offset = 0xFFFFFFFE; }), false, ""},
        {"file cut in the data", with(PlainPak(), [](RawPak& p) { p.cutTo = p.Build().size() - 1; }), false, ""},
        {"stored window past the end", with(EntryPak(), [](RawPak& p) { p.entries[1].stored += 1; }), false, ""},
        {"entry expands past the zlib limit", with(EntryPak(), [](RawPak& p) { p.entries[0].size = 0x7FFFFFFF; }), false, ""},
        {"corrupt entry stream", with(EntryPak(), [](RawPak& p) { p.data[3] ^= 0x55; p.data[4] ^= 0x55; }), true, ""},
        {"area past the end", with(AreaPak(), [](RawPak& p) { p.dataStored = 1000; }), false, ""},
        {"area expands past the zlib limit", with(AreaPak(), [](RawPak& p) { p.dataSize = 0x7FFFFFFF; }), false, ""},
        {"window past the expanded area", with(AreaPak(), [](RawPak& p) { p.entries[1].size = 5; }), false, ""},
        {"area not zlib", with(AreaPak(), [](RawPak& p) { p.data = std::string(20, 'x'); }), false, ""},
        // Sizes that are only a hint still give the right bytes.
        {"area larger than declared", with(AreaPak(), [](RawPak& p) { p.dataSize = 3; }), true, "alpha bytes"},
        {"index smaller than declared", with(PlainPak(), [](RawPak& p) { p.indexSize = 200; }), true, "alpha bytes"},
        {"no entries", [] { return RawPak{}.Build(); }, true, "<none>"},
        {"plain", [] { return PlainPak().Build(); }, true, "alpha bytes"},
        {"entry", [] { return EntryPak().Build(); }, true, "alpha bytes"},
        {"area", [] { return AreaPak().Build(); }, true, "alpha bytes"},
    };
    for (const Case& c : cases) {
        System().UnmountAll();
        dir.WriteFile("data/x.pak", c.bytes());
        IArchive* pak = System().Mount(new ZEVArchive(dir.File("data/x.pak")));
        EXPECT_EQ(pak != nullptr, c.mounts) << c.what;
        if (pak) {
            EXPECT_EQ(Read("a"), c.a) << c.what;
        } else {
            std::vector<std::string> names;
            EXPECT_FALSE(System().FindNames(names, "*")) << c.what;
        }
    }
}

TEST_F(ArchiveTest, PakEntriesOpenAsTheirLayoutSays)
{
    // Uncompressed: a window on the file that starts at 28 + stored index size + offset.
    RawPak plain = MakePak(0, {{3, 3, 2, "w"}, {2, 2, 0, "first"}, {4, 4, 0, "first"}, {1, 1, 5, ""}}, "0123456789");
    dir.WriteFile("plain.pak", plain.Build());
    ZEVArchive pak(dir.File("plain.pak"));
    ASSERT_TRUE(pak.Open());
    std::unique_ptr<StreamIO> w(pak.OpenEntry(HashName("w"), true));
    ASSERT_NE(dynamic_cast<SubFileStreamIO*>(w.get()), nullptr);
    EXPECT_EQ(w->GetSize(), 3u);
    EXPECT_EQ(ReadStreamToString(*w), "234");
    // Of two index entries with one name the first is kept; an empty name is the id 0.
    std::unique_ptr<StreamIO> first(pak.OpenEntry(HashName("first"), true));
    EXPECT_EQ(ReadStreamToString(*first), "01");
    EXPECT_TRUE(pak.Exists(0));
    std::unique_ptr<StreamIO> unnamed(pak.OpenEntry(0, true));
    EXPECT_EQ(ReadStreamToString(*unnamed), "5");

    // Each entry compressed: stored 10-odd bytes expand to a memory stream of 100.
    std::string hundred = Zip(std::string(100, 'q'));
    RawPak entry = MakePak(2, {{100, uint32_t(hundred.size()), 0, "q"}}, hundred);
    dir.WriteFile("entry.pak", entry.Build());
    ZEVArchive packed(dir.File("entry.pak"));
    ASSERT_TRUE(packed.Open());
    std::unique_ptr<StreamIO> q(packed.OpenEntry(HashName("q"), false));
    EXPECT_TRUE(q->IsInMemory());
    EXPECT_EQ(q->GetSize(), 100u);
    EXPECT_EQ(q->GetMode(), kStreamMode_ReadUpdateBinary);

    // Whole area compressed: views into one buffer that the archive owns.
    RawPak area = AreaPak();
    area.flags = 4 | 2 | 1; // bit 1 is not looked at when bit 2 is set
    dir.WriteFile("area.pak", area.Build());
    ZEVArchive whole(dir.File("area.pak"));
    ASSERT_TRUE(whole.Open());
    std::unique_ptr<StreamIO> b(whole.OpenEntry(HashName("b"), true));
    EXPECT_TRUE(b->IsInMemory());
    EXPECT_EQ(ReadStreamToString(*b), "beta");
    EXPECT_EQ(b->GetMode(), kStreamMode_ReadBinary);
}

TEST(Decompress, GrowsTheBufferOnlyAsFarAsAnyStreamCanExpand)
{
    const std::string text = Pattern(10000, 3);
    const std::string zipped = Zip(text);
    std::string corrupt = zipped;
    corrupt[zipped.size() / 2] ^= 0x5A;
    corrupt[zipped.size() / 2 + 1] ^= 0x5A;

    struct { const char* what; std::string source; uint32_t capacity; uint32_t result; const char* logged; } cases[] = {
        {"exact", zipped, 10000, 10000, nullptr},
        {"roomy", zipped, 20000, 10000, nullptr},
        {"too small", zipped, 100, 10000,
         "INFO:Compress(91)] The buffer 'dest' was not large enough to hold the compressd data."},
        {"one byte of room", zipped, 1, 10000, "Compress(91)]"},
        {"empty stream, no room", Zip(""), 0, 0, nullptr},
        {"corrupt", corrupt, 10000, 0,
         "INFO:Compress(101)] The compressed data (referenced by source) was corrupted."},
        {"cut short", zipped.substr(0, zipped.size() / 2), 10000, 0, "Compress(101)]"},
        {"empty source", "", 10, 0, nullptr},
    };
    for (auto& c : cases) {
        uint8_t* buffer = static_cast<uint8_t*>(std::malloc(c.capacity ? c.capacity : 1));
        ::testing::internal::CaptureStdout();
        uint32_t n = Decompress(c.capacity, buffer, c.source.data(), static_cast<uint32_t>(c.source.size()));
        std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(n, c.result) << c.what;
        if (n) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), n), text) << c.what;
        }
        if (c.logged) {
            EXPECT_NE(log.find(c.logged), std::string::npos) << c.what << ": " << log;
        }
        std::free(buffer);
    }
    EXPECT_EQ(MaxInflatedLength(0), 64u);
}
