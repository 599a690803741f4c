// The platform layer's log lines. The layer sits below the game's log, so it hands each line to a
// sink that the layer above installs; until one is, lines go to standard error.
#pragma once

#include <sstream>

enum PlatformLogLevel : int {
    ePlatformLog_Info = 0,
    ePlatformLog_Warning = 1,
    ePlatformLog_Error = 2,
};

// Receives one finished line: its level, the source file and line that wrote it, and its text.
using PlatformLogSink = void (*)(PlatformLogLevel level, const char* sourcePath, int line, const std::string& text);

// Installs the sink (nullptr restores standard error); returns the one it replaces.
PlatformLogSink SetPlatformLogSink(PlatformLogSink sink);

class PlatformLogLine {
public:
    PlatformLogLine(PlatformLogLevel level, const char* sourcePath, int line)
        : m_eLevel(level), m_pSourcePath(sourcePath), m_nLine(line)
    {
    }
    ~PlatformLogLine();
    PlatformLogLine(const PlatformLogLine&) = delete;
    PlatformLogLine& operator=(const PlatformLogLine&) = delete;

    std::ostream& Stream() { return m_Stream; }

private:
    PlatformLogLevel m_eLevel;
    const char* m_pSourcePath;
    int m_nLine;
    std::ostringstream m_Stream;
};

#define PLATFORM_LOG(level) PlatformLogLine(level, __FILE__, __LINE__).Stream()
#define PLATFORM_LOG_INFO PLATFORM_LOG(ePlatformLog_Info)
#define PLATFORM_LOG_WARNING PLATFORM_LOG(ePlatformLog_Warning)
#define PLATFORM_LOG_ERROR PLATFORM_LOG(ePlatformLog_Error)
