#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"
#include "System/Common/MathUtil.h"
#include "System/Common/StringUtil.h"

TEST(MathUtil, VectorHelpers)
{
    Vec2 out{};
    EXPECT_EQ(&Vec2Add(out, {1, 2}, {3, 5}), &out);
    EXPECT_EQ(out.x, 4);
    EXPECT_EQ(out.y, 7);
    Vec2Sub(out, {1, 2}, {3, 5});
    EXPECT_EQ(out.x, -2);
    EXPECT_EQ(out.y, -3);
    Vec2Scale(out, {1.5f, -2}, 2);
    EXPECT_EQ(out.x, 3);
    EXPECT_EQ(out.y, -4);
    Vec2Multiply(out, 2, {1.5f, -2});
    EXPECT_EQ(out.x, 3);

    Vec2Negate(out, {0, 0});
    EXPECT_TRUE(std::signbit(out.x));
    EXPECT_TRUE(std::signbit(out.y));
    uint32_t nan = 0x7FC01234u, negated;
    float fnan;
    std::memcpy(&fnan, &nan, 4);
    Vec2Negate(out, {fnan, 1});
    std::memcpy(&negated, &out.x, 4);
    EXPECT_EQ(negated, 0xFFC01234u);
    EXPECT_EQ(out.y, -1);
}

TEST(MathUtil, FloatRoutines)
{
    EXPECT_TRUE(IsNearlyZero(9e-7f));
    EXPECT_FALSE(IsNearlyZero(1e-6f));
    EXPECT_FALSE(IsNearlyZero(-2e-6f));

    const float pi = static_cast<float>(M_PI);
    struct { float y, x, expected; } atans[] = {
        {0, 1, 0}, {1, 0, pi / 2}, {0, -1, pi}, {-1, -1, -3 * pi / 4}, {1, 1, pi / 4}, {-1, 0, -pi / 2},
    };
    for (auto& c : atans)
        EXPECT_FLOAT_EQ(Atan2(c.y, c.x), c.expected) << c.y << "," << c.x;

    for (float x : {0.01f, 0.25f, 1.0f, 2.0f, 100.0f, 12345.0f})
        EXPECT_NEAR(FastInvSqrt(x), 1.0f / std::sqrt(x), 1e-5f / std::sqrt(x)) << x;
    // Exact results, worked out by hand in 64-bit-mantissa arithmetic from the first estimate
    // (0xBE6EB508 - bits) >> 1 and h as the bits lowered by one exponent step. Where h becomes
    // 0 or infinite the estimate is all there is, so the constant shows through.
    struct { uint32_t x, expected; } invSqrts[] = {
        {0x3F800000u, 0x3F800000u}, // 1 -> 1
        {0x40000000u, 0x3F3504F3u}, // 2 -> 0.70710677
        {0x40400000u, 0x3F13CD3Au}, // 3 -> 0.57735026
        {0x3C23D70Au, 0x41200000u}, // 0.01 -> 10
        {0x4640E400u, 0x3C1375C6u}, // 12345 -> 0.0090002473
        {0x00800000u, 0x5FD0B45Fu}, // the smallest normal: h is 0, the estimate 0x5EF75A84 times 1.5^3
        {0x7F800000u, 0x1F800000u}, // infinity: h is 2^127, so 2^-64
        {0x00000000u, 0x7F800000u}, // zero: h is -infinity, so +infinity
    };
    for (auto& c : invSqrts) {
        const float result = FastInvSqrt(std::bit_cast<float>(c.x));
        EXPECT_EQ(std::bit_cast<uint32_t>(result), c.expected) << std::hex << c.x;
    }

    struct { float a, b, expected; } mods[] = {
        {5.5f, 2, 1.5f}, {-5.5f, 2, -1.5f}, {5.5f, -2, 1.5f}, {720, 360, 0}, {-0.25f, 360, -0.25f},
    };
    for (auto& c : mods)
        EXPECT_FLOAT_EQ(FloatMod(c.a, c.b), c.expected) << c.a << " mod " << c.b;
}

TEST(StringUtil, PathSplitting)
{
    struct { const char* path; const char* dir; const char* name; } paths[] = {
        {"a\\b/c.txt", "a/b/", "c.txt"}, {"c.txt", "", "c.txt"}, {"dir/", "dir/", ""}, {"", "", ""},
    };
    for (auto& c : paths) {
        std::string dir = "x", name = "x";
        SplitPath(c.path, dir, name);
        EXPECT_EQ(dir, c.dir) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
    }

    struct { const char* file; const char* ext; const char* base; } exts[] = {
        {"font.fnt", "fnt", "font"}, {"noext", "", "noext"}, {"a.b.c", "c", "a.b"}, {".hidden", "hidden", ""},
    };
    for (auto& c : exts) {
        std::string ext = "x", base = "x";
        SplitExtension(c.file, ext, base);
        EXPECT_EQ(ext, c.ext) << c.file;
        EXPECT_EQ(base, c.base) << c.file;
    }

    EXPECT_EQ(NormalizePath("C:\\x\\", true), "C:/x/");
    EXPECT_EQ(NormalizePath("a\\b", true), "a/b/");
    EXPECT_EQ(NormalizePath("a\\b", false), "a/b");
    EXPECT_EQ(AppendSlash("a/"), "a//");
    EXPECT_EQ(FindLastOf("a/b/c", '/'), 3);
    EXPECT_EQ(FindLastOf("", '/'), -1);
    EXPECT_EQ(FindLastOf("abc", '/'), -1);
}

TEST(StringUtil, FullPathIsLexical)
{
    TempDir dir;
    std::string root = std::filesystem::canonical(dir.Path()).string();
    ScopedCwd cwd(root + "/");
    std::filesystem::create_directories(root + "/bin");
    ScopedCwd inBin(root + "/bin");

    struct { const char* path; std::string full; const char* part; } cases[] = {
        {"../", root + "/", ""},
        {"..\\data\\se.pak", root + "/data/se.pak", "se.pak"},
        {"./x/../y.txt", root + "/bin/y.txt", "y.txt"},
        {"does/not/exist/", root + "/bin/does/not/exist/", ""},
        {"/a/../../b", "/b", "b"},
    };
    for (auto& c : cases) {
        std::string part;
        EXPECT_EQ(GetFullPath(c.path, part), c.full) << c.path;
        EXPECT_EQ(part, c.part) << c.path;
    }
    EXPECT_EQ(GetCurrentDirectoryPath(), root + "/bin/");

    char small[4];
    EXPECT_GT(GetFullPathNameA("abc", sizeof small, small, nullptr), sizeof small);
}

// A game folder may lie deeper than the 260 bytes of a fixed path buffer, and deeper than one
// page (absolute paths that long cannot be opened, so each level is entered by a relative step).
TEST(StringUtil, CurrentDirectoryOfAnyLength)
{
    TempDir dir;
    const std::string root = std::filesystem::canonical(dir.Path()).string();
    ScopedCwd back(root);
    const std::string level(97, 'd');
    std::string path = root;
    int depth = 0;
    while (path.size() < 6000) {
        ASSERT_EQ(::mkdir(level.c_str(), 0755), 0);
        ASSERT_EQ(::chdir(level.c_str()), 0);
        const std::string parent = path;
        path += "/" + level;
        ++depth;
        EXPECT_EQ(GetCurrentDirectoryPath(), path + "/") << path.size() << " bytes";
        std::string part;
        EXPECT_EQ(GetFullPath("../data/se.pak", part), parent + "/data/se.pak") << path.size() << " bytes";
        EXPECT_EQ(part, "se.pak");
    }
    for (; depth > 0; --depth) {
        ASSERT_EQ(::chdir(".."), 0);
        ASSERT_EQ(::rmdir(level.c_str()), 0);
    }
}

// A working folder that has been removed cannot be read: an error with the system's reason, and
// no made-up path in its place.
TEST(StringUtil, UnreadableCurrentDirectoryIsAnError)
{
    TempDir dir;
    ScopedCwd back(dir.Path());
    ASSERT_EQ(::mkdir("gone", 0755), 0);
    ASSERT_EQ(::chdir("gone"), 0);
    ASSERT_EQ(::rmdir("../gone"), 0);
    testing::internal::CaptureStdout();
    const std::string current = GetCurrentDirectoryPath();
    std::string part = "kept";
    const std::string full = GetFullPath("../x", part);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(current, "");
    EXPECT_EQ(full, "");
    EXPECT_EQ(part, "kept");
    for (const char* what : {"current directory", "../x"}) {
        const size_t at = log.find(what);
        ASSERT_NE(at, std::string::npos) << what << "\n" << log;
        const std::string line = log.substr(log.rfind('[', at), log.find('\n', at) - log.rfind('[', at));
        EXPECT_NE(line.find(":ERROR:"), std::string::npos) << line;
        EXPECT_NE(line.find(std::strerror(ENOENT)), std::string::npos) << line;
    }
}

TEST(StringUtil, WildcardMatch)
{
    const std::string prefix = "assets.v1/scripts/prerequisites/*";
    struct { std::string pattern, name; bool match; } cases[] = {
        {prefix, "assets.v1/scripts/prerequisites/", true},
        {prefix, "assets.v1/scripts/prerequisites/init", true},
        {prefix, "assets.v1/scripts/prerequisites/a/b", true},
        {prefix, "assets.v1/scripts/prerequisite", false},
        {prefix, "assets.v1/scripts/stage/x", false},
        {prefix, "xassets.v1/scripts/prerequisites/init", false},
        {"*", "", true},
        {"*", "anything", true},
        {"a?c", "abc", false},
        {"a?c", "a?c", true},
        {"*ab", "aab", true},
        {"*ab", "ac", false},
        {"a*c", "abbbc", true},
        {"a*c", "abbb", false},
        {"abc", "ABC", false},
        {"", "", true},
        {"", "a", false},
    };
    for (auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST(StringUtil, SplitString)
{
    struct { const char* text; const char* delims; std::vector<std::string> parts; } cases[] = {
        {",,a,,b,", ",", {"a", "b"}},
        {"", ",", {}},
        {",,,", ",", {}},
        {"one two\tthree", " \t", {"one", "two", "three"}},
        {"whole", "", {"whole"}},
    };
    for (auto& c : cases) {
        std::vector<std::string> out{"kept"};
        SplitString(c.text, c.delims, out);
        std::vector<std::string> expected{"kept"};
        expected.insert(expected.end(), c.parts.begin(), c.parts.end());
        EXPECT_EQ(out, expected) << c.text;
    }
}

TEST(StringUtil, WideToNarrowKeepsTheTerminator)
{
    struct { std::wstring wide; std::string narrow; } cases[] = {
        {L"A", std::string("A\0", 2)},
        {L"", std::string("\0", 1)},
        {L"\u3042", std::string("\x82\xA0\0", 3)},       // hiragana a in Shift-JIS
        {L"x\u6F22y", std::string("x\x8A\xBFy\0", 5)},   // a kanji between ASCII
        {L"\U0001F600", std::string("?\0", 2)},          // not in the code page
    };
    for (auto& c : cases) {
        std::string narrow = "junk";
        WideToNarrow(c.wide, narrow);
        EXPECT_EQ(narrow, c.narrow);
    }
}

TEST(CodePage, LeadBytes)
{
    struct { int b; bool lead; } cases[] = {
        {0x41, false}, {0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
        {0xDF, false}, {0xE0, true},  {0xFC, true}, {0xFD, false},
    };
    for (auto& c : cases)
        EXPECT_EQ(IsDBCSLeadByte(static_cast<BYTE>(c.b)) != 0, c.lead) << std::hex << c.b;
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0x81));
}
