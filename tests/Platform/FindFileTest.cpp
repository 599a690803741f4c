#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"

namespace {

struct Item {
    std::string name;
    DWORD attributes;
};

std::vector<Item> List(const std::string& pattern)
{
    std::vector<Item> items;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return items;
    do
        items.push_back(Item{data.cFileName, data.dwFileAttributes});
    while (FindNextFileA(find, &data));
    EXPECT_TRUE(FindClose(find));
    return items;
}

std::vector<std::string> Names(const std::vector<Item>& items)
{
    std::vector<std::string> names;
    for (const Item& i : items)
        names.push_back(i.name);
    return names;
}

} // namespace

TEST(FindFile, ListsInOneStableCaseInsensitiveOrderAndMatchesPatternsAsWritten)
{
    TempDir dir;
    for (const char* f : {"b.png", "B.lua", "a.png", "_x.txt", "c.PNG", "ab.png", ".hidden"})
        dir.WriteFile(f, "x");
    struct { std::string pattern; std::vector<std::string> expected; } cases[] = {
        {"*", {".", "..", ".hidden", "_x.txt", "a.png", "ab.png", "B.lua", "b.png", "c.PNG"}},
        {"*.png", {"a.png", "ab.png", "b.png"}},
        {"?.png", {"a.png", "b.png"}},
        {"a*", {"a.png", "ab.png"}},
        {"b.png", {"b.png"}},
        {"missing*", {}},
    };
    for (auto& c : cases)
        EXPECT_EQ(Names(List(dir.Path() + "/" + c.pattern)), c.expected) << c.pattern;
    // Either separator, and the working directory when no folder is given.
    EXPECT_EQ(Names(List(dir.Path() + "\\a*")), (std::vector<std::string>{"a.png", "ab.png"}));
    ScopedCwd cwd(dir.Path());
    EXPECT_EQ(Names(List("a*")), (std::vector<std::string>{"a.png", "ab.png"}));
    EXPECT_EQ(List(dir.Path() + "/nowhere/*").size(), 0u);
}

TEST(FindFile, AttributesFollowTheKindOfEachItem)
{
    TempDir dir;
    dir.WriteFile("plain.txt", "x");
    dir.WriteFile("locked.txt", "x");
    chmod(dir.File("locked.txt").c_str(), 0444);
    dir.WriteFile(".dot/inner.txt", "x");
    dir.WriteFile("sub/inner.txt", "x");
    mkfifo(dir.File("pipe").c_str(), 0644);
    symlink(dir.File("plain.txt").c_str(), dir.File("link.txt").c_str());
    symlink(dir.File("gone").c_str(), dir.File("dangling").c_str());
    symlink(dir.Path().c_str(), dir.File("sub/loop").c_str());

    struct { const char* name; DWORD attributes; } cases[] = {
        {"plain.txt", FILE_ATTRIBUTE_ARCHIVE},
        {"locked.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {".dot", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN},
        {"sub", FILE_ATTRIBUTE_DIRECTORY},
        {"pipe", FILE_ATTRIBUTE_DEVICE},
        {"link.txt", FILE_ATTRIBUTE_ARCHIVE},
    };
    std::vector<Item> items = List(dir.Path() + "/*");
    for (auto& c : cases) {
        auto it = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.name == c.name; });
        ASSERT_NE(it, items.end()) << c.name;
        EXPECT_EQ(it->attributes, c.attributes) << c.name;
    }
    for (const Item& i : items)
        EXPECT_NE(i.name, "dangling");
    // A link back to an ancestor would make a recursive walk endless: it is not listed.
    EXPECT_EQ(Names(List(dir.File("sub/*"))), (std::vector<std::string>{".", "..", "inner.txt"}));
}
