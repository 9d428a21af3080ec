#include "tests/support/ogg_maker.h"

#include <vorbis/vorbisenc.h>

#include <cmath>

namespace testaudio {

namespace {

void appendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

}  // namespace

std::string encodeOgg(const std::vector<float>& interleaved, int channels, int rate, float quality) {
    std::string out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1234);

    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) appendPage(out, page);

    const long frames = static_cast<long>(interleaved.size()) / channels;
    long pos = 0;
    bool eos = false;
    while (!eos) {
        long n = std::min<long>(1024, frames - pos);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c) buffer[c][i] = interleaved[(pos + i) * channels + c];
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            pos += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    appendPage(out, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (n <= 0 && !eos) {
            while (ogg_stream_flush(&os, &page) != 0) {
                appendPage(out, page);
                if (ogg_page_eos(&page)) eos = true;
            }
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

std::string makeTone(double frequency, int frames, int rate, int channels, float amplitude) {
    std::vector<float> pcm(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        float v = amplitude * static_cast<float>(std::sin(2.0 * M_PI * frequency * i / rate));
        for (int c = 0; c < channels; ++c) pcm[static_cast<size_t>(i) * channels + c] = v;
    }
    return encodeOgg(pcm, channels, rate);
}

std::string makeSilence(int frames, int rate, int channels) {
    return encodeOgg(std::vector<float>(static_cast<size_t>(frames) * channels, 0.0f), channels, rate);
}

std::string makeStereoPiece(int rate) {
    const int frames = rate * 2;
    std::vector<float> pcm(static_cast<size_t>(frames) * 2);
    double phaseL = 0, phaseR = 0;
    for (int i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / frames;
        phaseL += 2.0 * M_PI * (300.0 + 300.0 * t) / rate;
        phaseR += 2.0 * M_PI * (900.0 - 400.0 * t) / rate;
        pcm[2 * static_cast<size_t>(i)] = 0.5f * static_cast<float>(std::sin(phaseL));
        pcm[2 * static_cast<size_t>(i) + 1] = 0.3f * static_cast<float>(std::sin(phaseR));
    }
    return encodeOgg(pcm, 2, rate);
}

}  // namespace testaudio
