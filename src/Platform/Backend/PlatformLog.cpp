#include "Platform/Backend/PlatformLog.h"

#include <atomic>
#include <cstdio>

namespace {

const char* const kLevelText[] = {"INFO", "WARNING", "ERROR"};

// Threads of the platform (audio, movie decoding) log too, so the sink is read atomically.
std::atomic<PlatformLogSink> s_Sink{nullptr};

} // namespace

PlatformLogSink SetPlatformLogSink(PlatformLogSink sink) { return s_Sink.exchange(sink); }

PlatformLogLine::~PlatformLogLine()
{
    const std::string text = m_Stream.str();
    if (PlatformLogSink sink = s_Sink.load()) {
        sink(m_eLevel, m_pSourcePath, m_nLine, text);
        return;
    }
    const int level = m_eLevel >= ePlatformLog_Info && m_eLevel <= ePlatformLog_Error ? m_eLevel : ePlatformLog_Error;
    std::fprintf(stderr, "[%s:%s(%d)] %s\n", kLevelText[level], m_pSourcePath ? m_pSourcePath : "", m_nLine,
                 text.c_str());
}
