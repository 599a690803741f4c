#include "Support/FrameTimeRecorder.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace {

int64_t NowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

__attribute__((format(printf, 1, 2))) std::string Printf(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// "  1.234 ms (  7.4 %)"
std::string Cell(double ms)
{
    return Printf("%8.3f (%5.1f%%)", ms, 100.0 * ms / FrameTimeRecorder::kFrameBudgetMs);
}

void PadTo(std::string& line, size_t width)
{
    if (line.size() < width)
        line.append(width - line.size(), ' ');
}

} // namespace

uint32_t FrameEventsBetween(const FrameStats& before, const FrameStats& after)
{
    uint32_t events = 0;
    if (after.stageSwitches != before.stageSwitches)
        events |= eFrameEvent_StageSwitch;
    if (after.texturesLoaded != before.texturesLoaded)
        events |= eFrameEvent_TexturesLoaded;
    if (after.moviesOpened != before.moviesOpened)
        events |= eFrameEvent_MovieOpened;
    if (after.saveFilesWritten != before.saveFilesWritten)
        events |= eFrameEvent_SaveWritten;
    return events;
}

std::string DescribeFrameEvents(uint32_t events)
{
    static const struct {
        uint32_t bit;
        const char* name;
    } kNames[] = {
        {eFrameEvent_StageSwitch, "stage switch"},
        {eFrameEvent_TexturesLoaded, "textures loaded"},
        {eFrameEvent_MovieOpened, "movie opened"},
        {eFrameEvent_SaveWritten, "save written"},
    };
    std::string text;
    for (const auto& entry : kNames) {
        if (!(events & entry.bit))
            continue;
        if (!text.empty())
            text += ", ";
        text += entry.name;
    }
    return text.empty() ? std::string("none") : text;
}

TimeSummary Summarize(std::vector<double> values)
{
    TimeSummary summary;
    summary.count = values.size();
    if (values.empty())
        return summary;
    std::sort(values.begin(), values.end());
    double sum = 0.0;
    for (double value : values)
        sum += value;
    const size_t n = values.size();
    summary.mean = sum / static_cast<double>(n);
    summary.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    // Nearest rank: ceil(0.99 n), counted from 1; in integers, so 100 values give rank 99.
    const size_t rank = (99 * n + 99) / 100;
    summary.p99 = values[std::max<size_t>(rank, 1) - 1];
    return summary;
}

void FrameTimeRecorder::BeginFrame()
{
    m_Before = g_FrameStats;
    m_nStartNanoseconds = NowNanoseconds();
}

void FrameTimeRecorder::EndFrame(const std::string& stage)
{
    const int64_t elapsed = NowNanoseconds() - m_nStartNanoseconds;
    Add(stage, static_cast<double>(elapsed) / 1e6, static_cast<double>(g_FrameStats.updateNanoseconds) / 1e6,
        FrameEventsBetween(m_Before, g_FrameStats));
}

void FrameTimeRecorder::Add(const std::string& stage, double frameMs, double updateMs, uint32_t events)
{
    FrameTimeSample sample;
    sample.tick = static_cast<int>(m_Samples.size());
    sample.stage = StageIndex(stage);
    sample.frameMs = frameMs;
    sample.updateMs = updateMs;
    sample.events = events;
    m_Samples.push_back(sample);
}

void FrameTimeRecorder::Clear()
{
    m_Samples.clear();
    m_StageNames.clear();
}

size_t FrameTimeRecorder::StageIndex(const std::string& stage)
{
    for (size_t i = 0; i < m_StageNames.size(); ++i)
        if (m_StageNames[i] == stage)
            return i;
    m_StageNames.push_back(stage);
    return m_StageNames.size() - 1;
}

std::vector<StageFrameTimes> FrameTimeRecorder::Stages() const
{
    std::vector<StageFrameTimes> stages(m_StageNames.size());
    std::vector<std::vector<double>> frames(m_StageNames.size()), updates(m_StageNames.size());
    for (size_t i = 0; i < m_StageNames.size(); ++i)
        stages[i].stage = m_StageNames[i];
    for (const FrameTimeSample& sample : m_Samples) {
        if (sample.events) {
            stages[sample.stage].apart.push_back(sample);
        } else {
            frames[sample.stage].push_back(sample.frameMs);
            updates[sample.stage].push_back(sample.updateMs);
        }
    }
    for (size_t i = 0; i < stages.size(); ++i) {
        stages[i].frame = Summarize(std::move(frames[i]));
        stages[i].update = Summarize(std::move(updates[i]));
    }
    return stages;
}

std::string FrameTimeRecorder::Report(double factor) const
{
    const std::vector<StageFrameTimes> stages = Stages();
    size_t nameWidth = 8;
    for (const StageFrameTimes& stage : stages)
        nameWidth = std::max(nameWidth, stage.stage.size());
    nameWidth += 2;
    const auto name = [](const StageFrameTimes& stage) { return stage.stage.empty() ? std::string("(none)") : stage.stage; };

    std::string report = "Frame times in ms (share of a 16.67 ms frame), steady frames only\n";
    std::string header = "stage";
    PadTo(header, nameWidth);
    header += "frames  part      mean               median             p99                p99/median\n";
    report += header;
    for (const StageFrameTimes& stage : stages) {
        std::string line = name(stage);
        PadTo(line, nameWidth);
        line += Printf("%6zu  frame   ", stage.frame.count);
        line += Cell(stage.frame.mean) + "   " + Cell(stage.frame.median) + "   " + Cell(stage.frame.p99);
        line += Printf("   %5.2f", stage.Ratio());
        line += stage.MeetsGoal(factor) ? Printf(" within %.1f\n", factor) : Printf(" MISSES %.1f\n", factor);
        std::string update(nameWidth + 6, ' ');
        update += "  update  ";
        update += Cell(stage.update.mean) + "   " + Cell(stage.update.median) + "   " + Cell(stage.update.p99) + "\n";
        report += line;
        report += update;
    }
    std::string apart;
    for (const StageFrameTimes& stage : stages) {
        for (const FrameTimeSample& sample : stage.apart) {
            std::string line = "  " + name(stage);
            PadTo(line, nameWidth + 2);
            line += Printf("frame %5d  whole %8.3f ms  update %8.3f ms  ", sample.tick, sample.frameMs, sample.updateMs);
            line += DescribeFrameEvents(sample.events);
            line += "\n";
            apart += line;
        }
    }
    if (!apart.empty()) {
        report += "Frames reported apart\n";
        report += apart;
    }
    return report;
}
