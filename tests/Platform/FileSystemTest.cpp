#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <string>
#include <unistd.h>

TEST(FileSystem, CreateDirectoryAndAttributes)
{
    TempDir dir;
    dir.WriteFile("file", "x");
    std::filesystem::create_directories(dir.File("existing"));

    struct Case {
        const char* what;
        std::string path;
        BOOL created;
        DWORD error;
    } cases[] = {
        {"new folder", dir.File("new"), TRUE, ERROR_SUCCESS},
        {"backslash separators", dir.Path() + "\\existing\\sub", TRUE, ERROR_SUCCESS},
        {"existing folder", dir.File("existing"), FALSE, ERROR_ALREADY_EXISTS},
        {"existing file", dir.File("file"), FALSE, ERROR_ALREADY_EXISTS},
        {"missing parent", dir.File("a/b"), FALSE, ERROR_PATH_NOT_FOUND},
        {"empty path", "", FALSE, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(CreateDirectoryA(c.path.c_str(), nullptr), c.created) << c.what;
        if (!c.created) {
            EXPECT_EQ(GetLastError(), c.error) << c.what;
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("existing/sub")));

    EXPECT_EQ(GetFileAttributesA(dir.File("new").c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(dir.File("file").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(dir.File("nothing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((dir.Path() + "\\existing").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              FILE_ATTRIBUTE_DIRECTORY);
}

TEST(UserName, FromThePasswordDatabase)
{
    struct passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    const std::string expected = entry->pw_name;

    char name[UNLEN + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    EXPECT_EQ(std::string(name), expected);
    EXPECT_EQ(size, expected.size() + 1);

    // Too small: the size needed comes back, the buffer is not overrun.
    char small[2] = {'#', '#'};
    size = 1;
    EXPECT_FALSE(GetUserNameA(small, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, expected.size() + 1);
    EXPECT_EQ(small[1], '#');
}
