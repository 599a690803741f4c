// Log lines: [MM/DD(hh:mm:ss):LEVEL:file(line)] text, to standard output and the debugger.
// "ERROR_REPORT" lines also go to a file of their own; "FATAL" traps after writing.
#pragma once

#include <cstdint>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

enum LogLevel : int32_t {
    eLogLevel_Info = 0,
    eLogLevel_Warning = 1,
    eLogLevel_Error = 2,
    eLogLevel_ErrorReport = 3,
    eLogLevel_Fatal = 4,
    eLogLevel_max
};

const char* LogLevelText(LogLevel level);

// The header for a line at the given local time, in the form shown above, with a trailing blank.
std::string FormatLogHeader(const struct tm& time, LogLevel level, const std::string& fileName, int line);
// The report file name for a local time: YYYYMMDD-HHMMSS.log.
std::string FormatReportFileName(const struct tm& time);

class LogLine {
public:
    explicit LogLine(LogLevel level);
    ~LogLine();
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    // Starts the line; returns the stream that collects the message.
    std::ostream& WriteHeader(int line, const char* sourcePath);
    std::ostream& Stream() { return m_Stream; }

private:
    void Flush();

    LogLevel m_eLevel;
    std::ostringstream m_Stream;
    size_t m_nHeaderLength = 0;
};

// While one is alive, the ERROR and ERROR_REPORT lines logged on its thread are kept in it,
// without their headers, instead of being written: a tool that runs the game's loaders reports
// their errors as its own findings. The innermost one keeps them; FATAL is never kept.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The messages kept so far, which it then forgets.
    std::vector<std::string> Take();
    void Keep(const std::string& message) { m_Lines.push_back(message); }

private:
    LogCapture* m_pOuter;
    std::vector<std::string> m_Lines;
};

#define QM_LOG(level) LogLine(level).WriteHeader(__LINE__, __FILE__)
#define LOG_INFO QM_LOG(eLogLevel_Info)
#define LOG_WARNING QM_LOG(eLogLevel_Warning)
#define LOG_ERROR QM_LOG(eLogLevel_Error)
#define LOG_ERROR_REPORT QM_LOG(eLogLevel_ErrorReport)
#define LOG_FATAL QM_LOG(eLogLevel_Fatal)

#define QM_ASSERT(expr)                                                                                                \
    do {                                                                                                               \
        if (!(expr))                                                                                                   \
            LOG_FATAL << "Assertion failed: " #expr ". ";                                                              \
    } while (0)
