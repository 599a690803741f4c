#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include <sys/resource.h>

#include "Support/TempDir.h"
#include "System/Common/StreamIO.h"

namespace {

std::string Bytes(uint32_t n)
{
    std::string s(n, '\0');
    for (uint32_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + i % 26);
    return s;
}

} // namespace

TEST(StreamIO, EveryModeString)
{
    struct { StreamMode mode; const char* text; } modes[] = {
        {0x1, "r"},       {0x2, "w"},        {0x3, "r+"},       {0x10003, "w+"},   {0x10006, "a"},
        {0x10007, "a+"},  {0x20001, "rb"},   {0x20002, "wb"},   {0x20003, "rb+"},  {0x30003, "wb+"},
        {0x30006, "ab"},  {0x30007, "ab+"},
    };
    for (auto& m : modes)
        EXPECT_STREQ(StreamModeString(m.mode), m.text) << std::hex << m.mode;
    for (StreamMode bad : {0x0u, 0x4u, 0x20000u, 0x10001u, 0xFFFFFFFFu})
        EXPECT_EQ(StreamModeString(bad), nullptr) << std::hex << bad;

    TempDir dir;
    FileStreamIO f;
    EXPECT_FALSE(f.Open(dir.File("x"), 0x4));
    EXPECT_FALSE(f.IsOpen());
}

TEST(StreamIO, FileModesGateReadsAndWrites)
{
    TempDir dir;
    dir.WriteFile("in.bin", Bytes(100));
    struct { StreamMode mode; bool canRead, canWrite; uint32_t sizeAfterOpen; } cases[] = {
        {0x20001, true, false, 100}, {0x20002, false, true, 0}, {0x20003, true, true, 100},
        {0x30003, true, true, 0},    {0x30006, false, true, 100}, {0x30007, true, true, 100},
    };
    for (auto& c : cases) {
        dir.WriteFile("f.bin", Bytes(100));
        FileStreamIO f;
        ASSERT_TRUE(f.Open(dir.File("f.bin"), c.mode)) << std::hex << c.mode;
        EXPECT_EQ(f.GetSize(), c.sizeAfterOpen) << std::hex << c.mode;
        char buf[10];
        EXPECT_EQ(f.Read(buf, 10), c.canRead && c.sizeAfterOpen ? 10u : 0u) << std::hex << c.mode;
        EXPECT_EQ(f.Write("xyz", 3), c.canWrite ? 3u : 0u) << std::hex << c.mode;
        EXPECT_EQ(f.Extend(4), c.canWrite) << std::hex << c.mode;
    }
}

TEST(StreamIO, FileReadsSeeksAndSizes)
{
    TempDir dir;
    dir.WriteFile("f.bin", Bytes(100));
    FileStreamIO f;
    ASSERT_TRUE(f.Open(dir.File("f.bin"), kStreamMode_ReadBinary));
    EXPECT_EQ(f.GetName(), dir.File("f.bin"));
    EXPECT_EQ(f.GetNameId(), HashName(dir.File("f.bin")));

    // Reopening: the same path is fine, another path fails and the first file stays open.
    EXPECT_TRUE(f.Open(dir.File("f.bin"), kStreamMode_ReadBinary));
    EXPECT_FALSE(f.Open(dir.File("other.bin"), kStreamMode_ReadBinary));
    EXPECT_TRUE(f.IsOpen());

    char buf[200];
    EXPECT_EQ(f.Read(buf, 60), 60u);
    EXPECT_EQ(f.Read(buf, 60), 40u); // past the end: only what is there
    EXPECT_EQ(f.Tell(), 100u);
    EXPECT_TRUE(f.IsEof());
    f.Seek(500);
    EXPECT_EQ(f.Tell(), 100u);
    f.Seek(10);
    f.Skip(1000);
    EXPECT_EQ(f.Tell(), 100u);
    f.Seek(10);
    f.Skip(5);
    EXPECT_EQ(f.Read(buf, 1), 1u);
    EXPECT_EQ(buf[0], Bytes(100)[15]);
    EXPECT_FALSE(f.IsInMemory());

    f.Close();
    EXPECT_EQ(f.GetSize(), 0u);
    EXPECT_EQ(f.Read(buf, 1), 0u);
    EXPECT_FALSE(FileStreamIO().Open(dir.File("missing.bin"), kStreamMode_ReadBinary));
}

TEST(StreamIO, FileSizeCountsBufferedWrites)
{
    TempDir dir;
    FileStreamIO f;
    ASSERT_TRUE(f.Open(dir.File("w.bin"), kStreamMode_WriteUpdateBinary));
    EXPECT_EQ(f.Write("hello", 5), 5u);
    EXPECT_EQ(f.GetSize(), 5u);
    EXPECT_TRUE(f.Extend(10));
    EXPECT_EQ(f.Tell(), 15u);
    EXPECT_EQ(f.GetSize(), 15u);
    f.Seek(0);
    EXPECT_EQ(f.Tell(), 0u);
    f.Close();
    EXPECT_EQ(dir.ReadFile("w.bin").size(), 15u);
}

TEST(StreamIO, SubFileWindows)
{
    TempDir dir;
    const std::string data = Bytes(200);
    dir.WriteFile("pak.bin", data);
    FileStreamIO parent;
    ASSERT_TRUE(parent.Open(dir.File("pak.bin"), kStreamMode_ReadBinary));

    struct { uint32_t start, size, seek, read, expectRead; } cases[] = {
        {100, 50, 10, 80, 40},   // the window cuts the read
        {180, 50, 0, 80, 20},    // the window reaches past the file: only the real bytes count
        {250, 10, 0, 10, 0},     // wholly past the file
        {0, 200, 199, 5, 1},
        {50, 0, 0, 5, 0},
    };
    for (auto& c : cases) {
        std::unique_ptr<SubFileStreamIO> s(SubFileStreamIO::Open(parent, c.start, c.size));
        EXPECT_EQ(s->GetSize(), c.size);
        s->Seek(c.seek);
        EXPECT_EQ(s->Tell(), std::min(c.seek, c.size));
        char buf[100] = {};
        uint32_t n = s->Read(buf, c.read);
        EXPECT_EQ(n, c.expectRead) << c.start << "+" << c.size;
        EXPECT_EQ(s->Tell(), std::min(c.seek, c.size) + n) << c.start << "+" << c.size;
        if (n) {
            EXPECT_EQ(std::string(buf, n), data.substr(c.start + c.seek, n));
        }
        EXPECT_EQ(s->Write("x", 1), 0u);
        EXPECT_FALSE(s->Extend(1));
    }

    std::unique_ptr<SubFileStreamIO> s(SubFileStreamIO::Open(parent, 100, 50));
    s->Seek(1000);
    EXPECT_EQ(s->Tell(), 50u);
    EXPECT_TRUE(s->IsEof());
    s->Seek(0);
    s->Skip(30);
    EXPECT_EQ(s->Tell(), 30u);
    s->Skip(30);
    EXPECT_EQ(s->Tell(), 50u);

    // Skipping backwards stays inside the window: the bytes before it belong to other entries.
    struct { uint32_t seek; int32_t skip; uint32_t tell; } backwards[] = {
        {40, -15, 25},
        {10, -10, 0},
        {10, -20, 0},   // would land at file offset 90
        {10, -200, 0},  // would wrap below the file's start
    };
    for (auto& b : backwards) {
        s->Seek(b.seek);
        s->Skip(b.skip);
        EXPECT_EQ(s->Tell(), b.tell) << b.seek << " " << b.skip;
        char c = 0;
        ASSERT_EQ(s->Read(&c, 1), 1u) << b.seek << " " << b.skip;
        EXPECT_EQ(c, data[100 + b.tell]) << b.seek << " " << b.skip;
    }
}

TEST(StreamIO, SubFileOfAVanishedFileReadsNothing)
{
    MemoryStreamIO parent;
    parent.SetName("/nonexistent/qm/file.pak");
    std::unique_ptr<SubFileStreamIO> s(SubFileStreamIO::Open(parent, 0, 10));
    char buf[10];
    EXPECT_EQ(s->Read(buf, 10), 0u);
    EXPECT_EQ(s->GetSize(), 0u);
}

// The three kinds of stream over the same 100 bytes answer moves, reads and closing alike.
TEST(StreamIO, EveryKindStopsAtBothEndsAndIsEmptyOnceClosed)
{
    TempDir dir;
    const std::string data = Bytes(100);
    dir.WriteFile("plain.bin", data);
    dir.WriteFile("pak.bin", Bytes(50) + data + Bytes(50)); // the window is [50, 150)
    std::string block = data;
    FileStreamIO pak;
    ASSERT_TRUE(pak.Open(dir.File("pak.bin"), kStreamMode_ReadBinary));

    struct Kind {
        const char* what;
        std::function<std::unique_ptr<StreamIO>()> open;
    } kinds[] = {
        {"file",
         [&]() -> std::unique_ptr<StreamIO> {
             auto f = std::make_unique<FileStreamIO>();
             EXPECT_TRUE(f->Open(dir.File("plain.bin"), kStreamMode_ReadBinary));
             return f;
         }},
        {"sub-file", [&]() -> std::unique_ptr<StreamIO> { return std::unique_ptr<StreamIO>(SubFileStreamIO::Open(pak, 50, 100)); }},
        {"memory",
         [&]() -> std::unique_ptr<StreamIO> {
             auto m = std::make_unique<MemoryStreamIO>();
             m->Init(block.data(), 100, false, true);
             return m;
         }},
    };
    struct Move {
        uint32_t seek;
        int32_t skip;
        uint32_t tell;
    } moves[] = {
        {30, -30, 0},        {30, -31, 0}, {30, -100000, 0}, {30, INT32_MIN, 0}, {30, 20, 50},
        {90, 9, 99},         {90, 50, 100}, {90, INT32_MAX, 100}, {1000, -1, 99}, {0, 0, 0},
    };
    for (const Kind& k : kinds) {
        std::unique_ptr<StreamIO> s = k.open();
        EXPECT_EQ(s->GetSize(), 100u) << k.what;
        for (const Move& m : moves) {
            s->Seek(m.seek);
            s->Skip(m.skip);
            EXPECT_EQ(s->Tell(), m.tell) << k.what << ": " << m.seek << " " << m.skip;
            char c = 0;
            EXPECT_EQ(s->Read(&c, 1), m.tell < 100 ? 1u : 0u) << k.what << ": " << m.seek << " " << m.skip;
            if (m.tell < 100) {
                EXPECT_EQ(c, data[m.tell]) << k.what << ": " << m.seek << " " << m.skip;
            }
        }
        s->Seek(40);
        s->Close();
        EXPECT_EQ(s->GetSize(), 0u) << k.what;
        EXPECT_EQ(s->Tell(), 0u) << k.what;
        EXPECT_TRUE(s->IsEof()) << k.what;
        char buf[8];
        EXPECT_EQ(s->Read(buf, sizeof buf), 0u) << k.what;
        s->Skip(-5);
        s->Skip(5);
        EXPECT_EQ(s->Tell(), 0u) << k.what;
        EXPECT_EQ(ReadStreamToString(*s), "") << k.what;
    }
}

// Extending a file by a large count writes zeros piece by piece: no buffer of the count's size,
// and a write that fails part way stops there, reported as a failure with the position true.
TEST(StreamIO, FileExtendNeedsNoBufferOfItsSize)
{
    TempDir dir;
    FileStreamIO f;
    ASSERT_TRUE(f.Open(dir.File("big.bin"), kStreamMode_WriteUpdateBinary));
    ASSERT_EQ(f.Write("x", 1), 1u);
    EXPECT_FALSE(f.Extend(UINT32_MAX)); // past what 32-bit positions can tell
    EXPECT_EQ(f.Tell(), 1u);

    // The file may grow by 1 MiB only; the extension asks for 1 GiB.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1 << 20;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    struct rusage before {};
    getrusage(RUSAGE_SELF, &before);
    const bool extended = f.Extend(1u << 30);
    struct rusage after {};
    getrusage(RUSAGE_SELF, &after);
    const uint32_t reached = f.Tell();
    f.Close(); // flushes what was buffered while the limit still holds
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(extended);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "KiB of peak memory grew";
    EXPECT_LE(dir.ReadFile("big.bin").size(), 1u << 20);
    EXPECT_LE(reached, (1u << 20) + 64 * 1024); // the C library may hold one piece it cannot write
}

TEST(StreamIO, MemoryReadsAndSeeks)
{
    std::string data = Bytes(100);
    MemoryStreamIO m;
    m.Init(data.data(), 100, false, true);
    EXPECT_TRUE(m.IsInMemory());
    EXPECT_EQ(m.GetMode(), kStreamMode_ReadBinary);
    char buf[200];
    EXPECT_EQ(m.Read(buf, 60), 60u);
    EXPECT_EQ(m.Read(buf, 60), 40u);
    EXPECT_EQ(m.Read(buf, 1), 0u);
    EXPECT_TRUE(m.IsEof());
    EXPECT_EQ(m.Write("x", 1), 0u);
    EXPECT_FALSE(m.Extend(1));
    EXPECT_TRUE(m.Extend(0));

    m.Seek(500);
    EXPECT_EQ(m.Tell(), 100u);
    m.Seek(10);
    m.Skip(-20); // before the start stops at the start
    EXPECT_EQ(m.Tell(), 0u);
    m.Skip(1000);
    EXPECT_EQ(m.Tell(), 100u);
    m.Skip(-30);
    EXPECT_EQ(m.Tell(), 70u);
}

TEST(StreamIO, MemoryWritesGrowTheBlock)
{
    void* block = std::malloc(100);
    std::memset(block, 'z', 100);
    MemoryStreamIO m;
    m.Init(block, 100, true, false);
    EXPECT_EQ(m.GetMode(), kStreamMode_ReadUpdateBinary);
    m.Seek(95);
    EXPECT_EQ(m.Write("0123456789", 10), 10u);
    EXPECT_EQ(m.GetSize(), 105u);
    EXPECT_EQ(m.GetCapacity(), 157u);
    EXPECT_EQ(m.Tell(), 105u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.GetData()) + 93, 12), "zz0123456789");

    // Within the capacity the block stays; Extend moves the end as a write does.
    const uint8_t* before = m.GetData();
    EXPECT_TRUE(m.Extend(50));
    EXPECT_EQ(m.GetSize(), 155u);
    EXPECT_EQ(m.GetData(), before);

    // A borrowed block is copied before it grows and is left alone.
    std::string borrowed = "abc";
    MemoryStreamIO b;
    b.Init(borrowed.data(), 3, false, false);
    b.Seek(3);
    EXPECT_EQ(b.Write("def", 3), 3u);
    EXPECT_EQ(borrowed, "abc");
    EXPECT_EQ(ReadStreamToString(b), "abcdef");
}

TEST(StreamIO, ReadToStringAndPrintf)
{
    MemoryStreamIO m;
    m.Init(nullptr, 0, false, false);
    EXPECT_EQ(ReadStreamToString(m), "");

    std::string longText(5000, 'q');
    EXPECT_EQ(StreamPrintf(m, "%s|%d|%%", longText.c_str(), 42), 5000u + 5u);
    m.Seek(3);
    std::string all = ReadStreamToString(m);
    EXPECT_EQ(all, longText + "|42|%");
    EXPECT_EQ(m.Tell(), 3u); // the position is kept

    TempDir dir;
    FileStreamIO f;
    ASSERT_TRUE(f.Open(dir.File("p.txt"), kStreamMode_Write));
    EXPECT_EQ(StreamPrintf(f, "x=%d", 7), 3u);
    EXPECT_EQ(StreamPrintf(f, "%s", ""), 0u);
    f.Close();
    EXPECT_EQ(dir.ReadFile("p.txt"), "x=7");
}
