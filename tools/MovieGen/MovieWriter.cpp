#include "MovieWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ogg/ogg.h>
#include <theora/theoraenc.h>
#include <vorbis/vorbisenc.h>

namespace {

struct TimedPage {
    double time;
    int order;
    std::vector<uint8_t> bytes;
};

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// A page that ends no packet has no time of its own: it keeps its stream's last one, so each
// stream's pages stay in order.
void KeepPage(std::vector<TimedPage>& pages, const ogg_page& page, double time, double& streamTime)
{
    streamTime = std::max(streamTime, time);
    TimedPage p{streamTime, static_cast<int>(pages.size()), {}};
    AppendPage(p.bytes, page);
    pages.push_back(std::move(p));
}

bool Fail(std::string* error, const char* text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

void MovieRgbToYCbCr(MovieRgb c, uint8_t& y, uint8_t& cb, uint8_t& cr)
{
    const double r = c.r / 255.0, g = c.g / 255.0, b = c.b / 255.0;
    y = static_cast<uint8_t>(std::lround(16.0 + 65.481 * r + 128.553 * g + 24.966 * b));
    cb = static_cast<uint8_t>(std::lround(128.0 - 37.797 * r - 74.203 * g + 112.0 * b));
    cr = static_cast<uint8_t>(std::lround(128.0 + 112.0 * r - 93.786 * g - 18.214 * b));
}

bool WriteMovie(std::vector<uint8_t>& out, const MovieSpec& spec, const MoviePainter& paint, const MovieSound& sound,
                const MovieRepeat& repeat, std::string* error)
{
    if (spec.width <= 0 || spec.height <= 0 || spec.offsetX < 0 || spec.offsetY < 0 || spec.frameCount <= 0 ||
        spec.fpsNumerator <= 0 || spec.fpsDenominator <= 0)
        return Fail(error, "bad movie description");

    th_info ti;
    th_info_init(&ti);
    ti.frame_width = static_cast<uint32_t>((spec.offsetX + spec.width + 15) & ~15);
    ti.frame_height = static_cast<uint32_t>((spec.offsetY + spec.height + 15) & ~15);
    ti.pic_width = static_cast<uint32_t>(spec.width);
    ti.pic_height = static_cast<uint32_t>(spec.height);
    ti.pic_x = static_cast<uint32_t>(spec.offsetX);
    ti.pic_y = static_cast<uint32_t>(spec.offsetY);
    ti.fps_numerator = static_cast<uint32_t>(spec.fpsNumerator);
    ti.fps_denominator = static_cast<uint32_t>(spec.fpsDenominator);
    ti.aspect_numerator = 1;
    ti.aspect_denominator = 1;
    ti.colorspace = TH_CS_UNSPECIFIED;
    ti.pixel_fmt = TH_PF_420;
    ti.quality = spec.quality;
    ti.target_bitrate = 0;
    th_enc_ctx* enc = th_encode_alloc(&ti);
    th_info_clear(&ti);
    if (!enc)
        return Fail(error, "the Theora encoder refused the description");
    ogg_uint32_t keyframes = static_cast<ogg_uint32_t>(std::max(1, spec.keyframeInterval));
    th_encode_ctl(enc, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &keyframes, sizeof keyframes);
    int speed = 0;
    if (th_encode_ctl(enc, TH_ENCCTL_GET_SPLEVEL_MAX, &speed, sizeof speed) == 0)
        th_encode_ctl(enc, TH_ENCCTL_SET_SPLEVEL, &speed, sizeof speed);

    ogg_stream_state to;
    ogg_stream_init(&to, 0x5157);
    th_comment tc;
    th_comment_init(&tc);
    tc.vendor = const_cast<char*>("Quillmark movie writer");

    const bool withSound = spec.audioRate > 0 && sound;
    ogg_stream_state vo;
    vorbis_info vi;
    vorbis_comment vc;
    vorbis_dsp_state vd;
    vorbis_block vb;
    if (withSound) {
        ogg_stream_init(&vo, 0x5158);
        vorbis_info_init(&vi);
        if (vorbis_encode_init_vbr(&vi, spec.audioChannels, spec.audioRate, 0.1f) != 0) {
            vorbis_info_clear(&vi);
            ogg_stream_clear(&vo);
            ogg_stream_clear(&to);
            th_encode_free(enc);
            return Fail(error, "the Vorbis encoder refused the description");
        }
        vorbis_comment_init(&vc);
        vorbis_analysis_init(&vd, &vi);
        vorbis_block_init(&vd, &vb);
    }

    out.clear();
    ogg_page page;
    ogg_packet packet;
    // Beginning-of-stream pages first, each alone, then the rest of the headers.
    if (th_encode_flushheader(enc, &tc, &packet) <= 0)
        return Fail(error, "no Theora header");
    ogg_stream_packetin(&to, &packet);
    while (ogg_stream_flush(&to, &page))
        AppendPage(out, page);
    ogg_packet vorbisHeaders[3];
    if (withSound) {
        vorbis_analysis_headerout(&vd, &vc, &vorbisHeaders[0], &vorbisHeaders[1], &vorbisHeaders[2]);
        ogg_stream_packetin(&vo, &vorbisHeaders[0]);
        while (ogg_stream_flush(&vo, &page))
            AppendPage(out, page);
    }
    while (th_encode_flushheader(enc, &tc, &packet) > 0)
        ogg_stream_packetin(&to, &packet);
    while (ogg_stream_flush(&to, &page))
        AppendPage(out, page);
    if (withSound) {
        ogg_stream_packetin(&vo, &vorbisHeaders[1]);
        ogg_stream_packetin(&vo, &vorbisHeaders[2]);
        while (ogg_stream_flush(&vo, &page))
            AppendPage(out, page);
    }
    tc.vendor = nullptr;
    th_comment_clear(&tc);

    std::vector<TimedPage> pages;
    double videoTime = 0.0, audioTime = 0.0;
    const int frameWidth = (spec.offsetX + spec.width + 15) & ~15;
    const int frameHeight = (spec.offsetY + spec.height + 15) & ~15;
    std::vector<uint8_t> planeY(size_t(frameWidth) * frameHeight, 16);
    std::vector<uint8_t> planeCb(size_t(frameWidth / 2) * (frameHeight / 2), 128);
    std::vector<uint8_t> planeCr(planeCb.size(), 128);
    std::vector<int> sumCb(planeCb.size()), sumCr(planeCb.size()), count(planeCb.size());
    th_ycbcr_buffer buffer;
    buffer[0] = {frameWidth, frameHeight, frameWidth, planeY.data()};
    buffer[1] = {frameWidth / 2, frameHeight / 2, frameWidth / 2, planeCb.data()};
    buffer[2] = {frameWidth / 2, frameHeight / 2, frameWidth / 2, planeCr.data()};
    for (int frame = 0; frame < spec.frameCount;) {
        std::fill(sumCb.begin(), sumCb.end(), 0);
        std::fill(sumCr.begin(), sumCr.end(), 0);
        std::fill(count.begin(), count.end(), 0);
        for (int y = 0; y < spec.height; ++y) {
            for (int x = 0; x < spec.width; ++x) {
                uint8_t ly, cb, cr;
                MovieRgbToYCbCr(paint(frame, x, y), ly, cb, cr);
                const int fx = x + spec.offsetX, fy = y + spec.offsetY;
                planeY[size_t(fy) * frameWidth + fx] = ly;
                const size_t c = size_t(fy / 2) * (frameWidth / 2) + fx / 2;
                sumCb[c] += cb;
                sumCr[c] += cr;
                ++count[c];
            }
        }
        for (size_t c = 0; c < planeCb.size(); ++c) {
            if (count[c]) {
                planeCb[c] = uint8_t((sumCb[c] + count[c] / 2) / count[c]);
                planeCr[c] = uint8_t((sumCr[c] + count[c] / 2) / count[c]);
            }
        }
        int repeats = 0;
        if (spec.markRepeats && repeat)
            while (frame + 1 + repeats < spec.frameCount && repeat(frame + 1 + repeats))
                ++repeats;
        if (repeats > 0)
            th_encode_ctl(enc, TH_ENCCTL_SET_DUP_COUNT, &repeats, sizeof repeats);
        if (th_encode_ycbcr_in(enc, buffer) != 0)
            return Fail(error, "the Theora encoder refused a frame");
        frame += 1 + repeats;
        const int last = frame >= spec.frameCount ? 1 : 0;
        while (th_encode_packetout(enc, last, &packet) > 0)
            ogg_stream_packetin(&to, &packet);
        while (ogg_stream_pageout(&to, &page))
            KeepPage(pages, page, th_granule_time(enc, ogg_page_granulepos(&page)), videoTime);
    }
    while (ogg_stream_flush(&to, &page))
        KeepPage(pages, page, th_granule_time(enc, ogg_page_granulepos(&page)), videoTime);

    if (withSound) {
        const double seconds = double(spec.frameCount) * spec.fpsDenominator / spec.fpsNumerator;
        const long total = std::lround(seconds * spec.audioRate);
        long done = 0;
        for (;;) {
            const int chunk = int(std::min<long>(1024, total - done));
            if (chunk > 0) {
                float** input = vorbis_analysis_buffer(&vd, chunk);
                for (int i = 0; i < chunk; ++i)
                    for (int c = 0; c < spec.audioChannels; ++c)
                        input[c][i] = std::clamp(sound(double(done + i) / spec.audioRate, c), -1.0f, 1.0f);
                vorbis_analysis_wrote(&vd, chunk);
                done += chunk;
            } else {
                vorbis_analysis_wrote(&vd, 0);
            }
            while (vorbis_analysis_blockout(&vd, &vb) == 1) {
                vorbis_analysis(&vb, nullptr);
                vorbis_bitrate_addblock(&vb);
                while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                    ogg_stream_packetin(&vo, &packet);
                    while (ogg_stream_pageout(&vo, &page))
                        KeepPage(pages, page, vorbis_granule_time(&vd, ogg_page_granulepos(&page)), audioTime);
                }
            }
            if (chunk <= 0)
                break;
        }
        while (ogg_stream_flush(&vo, &page))
            KeepPage(pages, page, vorbis_granule_time(&vd, ogg_page_granulepos(&page)), audioTime);
        vorbis_block_clear(&vb);
        vorbis_dsp_clear(&vd);
        vorbis_comment_clear(&vc);
        vorbis_info_clear(&vi);
        ogg_stream_clear(&vo);
    }
    th_encode_free(enc);
    ogg_stream_clear(&to);

    // Pages in time order, so that a reader finds sound and pictures side by side.
    std::stable_sort(pages.begin(), pages.end(), [](const TimedPage& a, const TimedPage& b) {
        return a.time < b.time || (a.time == b.time && a.order < b.order);
    });
    for (const TimedPage& p : pages)
        out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return true;
}

bool WriteMovieFile(const std::string& path, const MovieSpec& spec, const MoviePainter& paint, const MovieSound& sound,
                    const MovieRepeat& repeat, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!WriteMovie(bytes, spec, paint, sound, repeat, error))
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return Fail(error, "cannot create the file");
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return (std::fclose(file) == 0 && ok) || Fail(error, "cannot write the file");
}
