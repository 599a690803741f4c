// Log lines: [MM/DD(hh:mm:ss):LEVEL:file(line)] text, to standard output and the debugger.
// "ERROR_REPORT" lines also go to a file of their own; "FATAL" traps after writing.
#pragma once

#include <cstdint>
#include <ctime>
#include <sstream>
#include <string>

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
