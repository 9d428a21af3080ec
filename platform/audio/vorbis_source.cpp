#include "platform/audio/vorbis_source.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/log_sink.h"

namespace audiere {

namespace {

constexpr int kMaxHoles = 64;           // gaps in a damaged stream skipped before giving up
constexpr long kMaxSampleRate = 768000;

size_t readCallback(void* ptr, size_t size, size_t nmemb, void* datasource) {
    if (size == 0 || nmemb == 0) return 0;
    auto* file = static_cast<File*>(datasource);
    size_t want = size * nmemb;
    if (want / size != nmemb || want > 1u << 30) want = size_t(1) << 30;
    int got = file->read(ptr, static_cast<int>(want));
    return got > 0 ? static_cast<size_t>(got) / size : 0;
}

int seekCallback(void* datasource, ogg_int64_t offset, int whence) {
    auto* file = static_cast<File*>(datasource);
    SeekMode mode = whence == SEEK_SET ? BEGIN : whence == SEEK_CUR ? CURRENT : END;
    return file->seek(offset, mode) ? 0 : -1;
}

long tellCallback(void* datasource) { return static_cast<long>(static_cast<File*>(datasource)->tell()); }

int16_t toSample(float v) {
    float s = std::nearbyint(v * 32767.0f);
    return static_cast<int16_t>(std::clamp(s, -32768.0f, 32767.0f));
}

class VorbisSource final : public SampleSource {
public:
    explicit VorbisSource(File* file) : m_file(file) {}
    ~VorbisSource() override {
        if (m_open) ov_clear(&m_vf);
    }

    bool open() {
        ov_callbacks callbacks{readCallback, seekCallback, nullptr, tellCallback};
        // The file is the data source: a non-null source makes the stream seekable.
        int rc = ov_open_callbacks(m_file.get(), &m_vf, nullptr, 0, callbacks);
        if (rc != 0) {
            ov_clear(&m_vf);
            return fail("not an Ogg Vorbis stream (" + std::to_string(rc) + ")");
        }
        m_open = true;
        vorbis_info* info = ov_info(&m_vf, -1);
        if (!info || info->channels < 1 || info->rate < 1 || info->rate > kMaxSampleRate)
            return fail("unsupported channel count or sample rate");
        m_rate = static_cast<int>(info->rate);
        m_channels = info->channels >= 2 ? 2 : 1;
        m_length = ov_seekable(&m_vf) ? ov_pcm_total(&m_vf, -1) : -1;
        if (m_length < 0) return fail("stream length unknown");
        return true;
    }

    void getFormat(int& channelCount, int& sampleRate) override {
        channelCount = m_channels;
        sampleRate = m_rate;
    }

    int read(int frameCount, int16_t* buffer) override {
        int done = 0;
        int holes = 0;
        while (done < frameCount && !m_end) {
            float** pcm = nullptr;
            int link = 0;
            long n = ov_read_float(&m_vf, &pcm, frameCount - done, &link);
            if (n == 0) {
                m_end = true;
            } else if (n == OV_HOLE) {
                if (++holes > kMaxHoles) m_end = true;
            } else if (n < 0) {
                platform::log("ERROR", "audiere::VorbisSource::read: damaged stream (" + std::to_string(n) + ")");
                m_end = true;
            } else {
                vorbis_info* info = ov_info(&m_vf, link);
                int inChannels = info && info->channels > 0 ? info->channels : 1;
                n = std::min<long>(n, frameCount - done);
                int16_t* out = buffer + static_cast<size_t>(done) * m_channels;
                for (long i = 0; i < n; ++i) {
                    float l = pcm[0][i];
                    float r = inChannels >= 2 ? pcm[1][i] : l;
                    if (m_channels == 2) {
                        out[2 * i] = toSample(l);
                        out[2 * i + 1] = toSample(r);
                    } else {
                        out[i] = toSample(l);
                    }
                }
                done += static_cast<int>(n);
                m_pos += n;
            }
        }
        return done;
    }

    void reset() override { setPosition(0); }
    bool isSeekable() override { return true; }
    int64_t getLength() override { return m_length; }

    void setPosition(int64_t position) override {
        position = std::clamp<int64_t>(position, 0, m_length);
        if (ov_pcm_seek(&m_vf, position) != 0) {
            platform::log("ERROR", "audiere::VorbisSource::setPosition: seek failed");
            m_end = true;
            return;
        }
        m_pos = position;
        m_end = false;
    }

    int64_t getPosition() override { return m_pos; }

private:
    bool fail(const std::string& why) {
        platform::log("ERROR", "audiere::AdrOpenSampleSourceFromFile: " + why);
        return false;
    }

    RefPtr<File> m_file;
    OggVorbis_File m_vf{};
    bool m_open = false;
    bool m_end = false;
    int m_channels = 1;
    int m_rate = 0;
    int64_t m_length = 0;
    int64_t m_pos = 0;
};

}  // namespace

SampleSource* openVorbisSource(File* file) {
    if (!file) return nullptr;
    auto* source = new VorbisSource(file);
    if (!source->open()) {
        delete source;
        return nullptr;
    }
    return source;
}

}  // namespace audiere
