// Helpers of the movie tests: movies written here, streams over their bytes, page surgery.
#pragma once

#include "MovieWriter.h"
#include "Support/MemoryStream.h"
#include "System/Common/StreamIO.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <ogg/ogg.h>
#include <string>
#include <thread>
#include <vector>

inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

// A movie whose frame i is filled with colours[i % colours.size()].
inline std::vector<uint8_t> SolidMovie(MovieSpec spec, const std::vector<MovieRgb>& colours,
                                       const MovieRepeat& repeat = {}, const MovieSound& sound = {})
{
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(WriteMovie(
        bytes, spec, [&](int frame, int, int) { return colours[size_t(frame) % colours.size()]; }, sound, repeat,
        &error))
        << error;
    return bytes;
}

// A busy signal (a sweep over a few inharmonic partials) so the sound takes many bytes.
inline float TestTone(double seconds, int channel)
{
    double v = 0.0;
    for (int k = 1; k <= 5; ++k)
        v += std::sin(6.283185307 * seconds * (310.0 * k + 97.0 * channel + 400.0 * seconds * k)) / (k + 1);
    return float(0.5 * v);
}

// The Ogg pages of a file, each as its bytes.
inline std::vector<std::vector<uint8_t>> SplitPages(const std::vector<uint8_t>& bytes)
{
    std::vector<std::vector<uint8_t>> pages;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, long(bytes.size()));
    std::memcpy(buffer, bytes.data(), bytes.size());
    ogg_sync_wrote(&sync, long(bytes.size()));
    ogg_page page;
    while (ogg_sync_pageout(&sync, &page) == 1) {
        std::vector<uint8_t> p(page.header, page.header + page.header_len);
        p.insert(p.end(), page.body, page.body + page.body_len);
        pages.push_back(std::move(p));
    }
    ogg_sync_clear(&sync);
    return pages;
}

inline uint32_t PageSerial(const std::vector<uint8_t>& page)
{
    return uint32_t(page[14]) | uint32_t(page[15]) << 8 | uint32_t(page[16]) << 16 | uint32_t(page[17]) << 24;
}

// Recomputes a page's checksum after its bytes were changed.
inline void ResealPage(std::vector<uint8_t>& page)
{
    ogg_page p;
    p.header = page.data();
    p.header_len = 27 + page[26];
    p.body = page.data() + p.header_len;
    p.body_len = long(page.size()) - p.header_len;
    ogg_page_checksum_set(&p);
}

inline std::vector<uint8_t> JoinPages(const std::vector<std::vector<uint8_t>>& pages)
{
    std::vector<uint8_t> bytes;
    for (const auto& p : pages)
        bytes.insert(bytes.end(), p.begin(), p.end());
    return bytes;
}

inline bool HaveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Waits until `done` holds, for what the decoder's threads do in their own time; true once it
// does. The long limit only stops a broken decoder from hanging the run.
template <class Condition>
bool WaitUntil(Condition done, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
