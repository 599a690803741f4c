#include "SoundWriter.h"

#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <cstring>

namespace {

void Append(std::vector<uint8_t>& out, const void* data, size_t n)
{
    if (n == 0)
        return;
    size_t at = out.size();
    out.resize(at + n);
    std::memcpy(out.data() + at, data, n);
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { Append(out, tag, 4); }

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page)
{
    Append(out, page.header, size_t(page.header_len));
    Append(out, page.body, size_t(page.body_len));
}

} // namespace

std::vector<uint8_t> MakeWave(const std::vector<int16_t>& samples, int channels, int rate, int bits)
{
    uint32_t bytesPerSample = bits == 8 ? 1 : 2;
    uint32_t dataSize = uint32_t(samples.size()) * bytesPerSample;
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 4 + 8 + 16 + 8 + dataSize);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, uint16_t(channels));
    Put32(out, uint32_t(rate));
    Put32(out, uint32_t(rate) * channels * bytesPerSample);
    Put16(out, uint16_t(channels * bytesPerSample));
    Put16(out, uint16_t(bits));
    PutTag(out, "data");
    Put32(out, dataSize);
    for (int16_t s : samples) {
        if (bits == 8)
            out.push_back(uint8_t((s >> 8) + 128));
        else
            Put16(out, uint16_t(s));
    }
    return out;
}

std::vector<uint8_t> MakeVorbis(const std::vector<int16_t>& samples, int channels, int rate, float quality,
                                const std::vector<std::string>& comments)
{
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const std::string& c : comments)
        vorbis_comment_add(&vc, c.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x51a4d);
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&vd, &vc, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &headerComment);
    ogg_stream_packetin(&os, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0)
        AppendPage(out, page);

    const size_t frames = samples.size() / size_t(channels);
    const size_t chunk = 4096;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min(chunk, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    AppendPage(out, page);
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
        if (n == 0 && !eos) {
            // Everything is written; flush what is left.
            while (ogg_stream_flush(&os, &page) != 0)
                AppendPage(out, page);
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
