#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "Platform/Win32/Windows.h"
#include "Support/TempDir.h"
#include "System/Common/Log.h"

TEST(Log, HeaderAndReportFileNames)
{
    struct tm t = {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 9;
    t.tm_min = 7;
    t.tm_sec = 3;
    EXPECT_EQ(FormatLogHeader(t, eLogLevel_Warning, "Foo.cpp", 42), "[01/05(09:07:03):WARNING:Foo.cpp(42)] ");
    EXPECT_EQ(FormatLogHeader(t, eLogLevel_ErrorReport, "a.cpp", 7), "[01/05(09:07:03):ERROR_REPORT:a.cpp(7)] ");
    EXPECT_EQ(FormatReportFileName(t), "20260105-090703.log");

    const char* names[] = {"INFO", "WARNING", "ERROR", "ERROR_REPORT", "FATAL"};
    for (int level = 0; level < eLogLevel_max; ++level)
        EXPECT_STREQ(LogLevelText(static_cast<LogLevel>(level)), names[level]);
}

static std::vector<std::string> LogFilesIn(const std::string& dir)
{
    std::vector<std::string> files;
    for (auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".log")
            files.push_back(e.path().filename().string());
    return files;
}

TEST(Log, LinesGoToStdoutAndReportsToAFile)
{
    TempDir dir;
    ScopedCwd cwd(dir.Path());

    testing::internal::CaptureStdout();
    LOG_INFO << "100% sure " << 5;
    LOG_ERROR_REPORT << "first %s %d";
    LOG_ERROR_REPORT << "second %n";
    std::string out = testing::internal::GetCapturedStdout();

    // Each entry is the header, the text, the line's own newline and the console's extra one.
    EXPECT_NE(out.find(":INFO:LogTest.cpp("), std::string::npos) << out;
    EXPECT_NE(out.find(")] 100% sure 5\n\n"), std::string::npos) << out;
    EXPECT_NE(out.find(")] first %s %d\n\n"), std::string::npos) << out;

    // An INFO line writes no file; the two reports share a second at most or land in two files.
    std::vector<std::string> files = LogFilesIn(dir.Path());
    ASSERT_GE(files.size(), 1u);
    ASSERT_LE(files.size(), 2u);
    std::sort(files.begin(), files.end());
    std::string last = dir.ReadFile(files.back());
    EXPECT_EQ(last.find("first"), std::string::npos) << "a report file holds one line";
    EXPECT_NE(last.find(":ERROR_REPORT:LogTest.cpp("), std::string::npos);
    EXPECT_EQ(last.substr(last.find(")] ") + 3), "second %n\n");
}

TEST(Log, ReportWithoutAFolderIsSkipped)
{
    // The working folder is gone, so the report file cannot be created (even by root).
    TempDir dir;
    std::filesystem::create_directory(dir.File("gone"));
    ScopedCwd cwd(dir.File("gone"));
    std::filesystem::remove(dir.File("gone"));
    testing::internal::CaptureStdout();
    LOG_ERROR_REPORT << "nowhere to go";
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("nowhere to go"), std::string::npos);
}

TEST(LogDeathTest, FatalWritesThenStops)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    int value = 0;
    EXPECT_DEATH(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO); // the line goes to stdout; death tests read stderr
            QM_ASSERT(value == 1);
        },
        "FATAL:LogTest.cpp\\([0-9]+\\)\\] Assertion failed: value == 1\\. ");
}

TEST(Log, WithoutADebuggerTheTerminalShowsEachLineOnce)
{
    // The debugger output has no reader here: it must not echo the line on standard error.
    if (IsDebuggerPresent())
        GTEST_SKIP() << "a debugger is attached";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LOG_WARNING << "said once";
    std::string err = testing::internal::GetCapturedStderr();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("said once"), std::string::npos) << out;
    EXPECT_EQ(err, "");
}
