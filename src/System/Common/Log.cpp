#include "System/Common/Log.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "Platform/Backend/PlatformLog.h"
#include "Platform/Win32/Windows.h"
#include "System/Common/StreamIO.h"
#include "System/Common/StringUtil.h"

namespace {

const char* const kLevelText[eLogLevel_max] = {"INFO", "WARNING", "ERROR", "ERROR_REPORT", "FATAL"};

thread_local LogCapture* t_pCapture = nullptr;

// The platform layer cannot include this log; its lines come here through the sink installed
// below, with their own file and line, so they read and are captured like every other line.
void WritePlatformLine(PlatformLogLevel level, const char* sourcePath, int line, const std::string& text)
{
    const LogLevel ours = level == ePlatformLog_Info      ? eLogLevel_Info
                          : level == ePlatformLog_Warning ? eLogLevel_Warning
                                                          : eLogLevel_Error;
    LogLine(ours).WriteHeader(line, sourcePath) << text;
}

// Installed while statics start, so that every program that logs (the game, its tools, the
// tests) has the platform's lines in its log before its first line is written.
[[maybe_unused]] const bool s_bPlatformSinkInstalled = (SetPlatformLogSink(&WritePlatformLine), true);

struct tm LocalNow()
{
    struct tm t = {};
    __time64_t now = _time64(nullptr);
    _localtime64_s(&t, &now);
    return t;
}

} // namespace

const char* LogLevelText(LogLevel level)
{
    return level >= 0 && level < eLogLevel_max ? kLevelText[level] : "";
}

std::string FormatLogHeader(const struct tm& t, LogLevel level, const std::string& fileName, int line)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "[%02d/%02d(%02d:%02d:%02d):", t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                  t.tm_sec);
    return std::string(buffer) + LogLevelText(level) + ":" + fileName + "(" + std::to_string(line) + ")] ";
}

std::string FormatReportFileName(const struct tm& t)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d-%02d%02d%02d.log", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

LogLine::LogLine(LogLevel level) : m_eLevel(level) {}

LogLine::~LogLine() { Flush(); }

std::ostream& LogLine::WriteHeader(int line, const char* sourcePath)
{
    std::string directory, name;
    SplitPath(sourcePath ? sourcePath : "", directory, name);
    m_Stream << FormatLogHeader(LocalNow(), m_eLevel, name, line);
    m_nHeaderLength = m_Stream.str().size();
    return m_Stream;
}

LogCapture::LogCapture() : m_pOuter(t_pCapture) { t_pCapture = this; }

LogCapture::~LogCapture() { t_pCapture = m_pOuter; }

std::vector<std::string> LogCapture::Take()
{
    std::vector<std::string> lines;
    lines.swap(m_Lines);
    return lines;
}

void LogLine::Flush()
{
    if (t_pCapture && (m_eLevel == eLogLevel_Error || m_eLevel == eLogLevel_ErrorReport)) {
        const std::string text = m_Stream.str();
        t_pCapture->Keep(text.substr(std::min(m_nHeaderLength, text.size())));
        return;
    }
    m_Stream << '\n';
    m_Stream.flush();
    const std::string text = m_Stream.str();

    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    OutputDebugStringA(text.c_str());

    if (m_eLevel == eLogLevel_ErrorReport) {
        FileStreamIO file;
        if (file.Open(FormatReportFileName(LocalNow()), kStreamMode_Write))
            file.Write(text.data(), static_cast<uint32_t>(text.size()));
    }

    if (m_eLevel == eLogLevel_Fatal) {
        // Stops in an attached debugger; without one the process ends abnormally, the line kept.
        if (IsDebuggerPresent())
            std::raise(SIGTRAP);
        else
            std::abort();
    }
}
