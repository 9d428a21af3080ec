// Event sounds read through a recording sound handler: the format and rate handed on, StartSound
// tags and their execution, ADPCM decoding against the writer's encoder, and what happens without
// a handler or with a disabled one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "flash/movie/adpcm.h"
#include "flash/movie/sound_handler.h"
#include "movie_fixture.h"
#include "recording_sound_handler.h"
#include "tools/swfwriter/adpcm.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::movie_fixture;
using movietest::recording_sound_handler;

constexpr uint16_t sound_id = 7;

// A movie with one DefineSound and, when given, a StartSound in its one frame.
movietest::bytes sound_movie(const swf::Sound& s, const swf::SoundInfo* start = nullptr, uint16_t start_id = sound_id) {
    swf::MovieWriter m(8);
    m.define_sound(s, sound_id);
    if (start) m.start_sound(start_id, *start);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

swf::Sound pcm16(uint32_t samples, bool stereo = false) {
    swf::Sound s;
    s.format = swf::sound_little_endian_raw;
    s.sixteen_bit = true;
    s.stereo = stereo;
    s.sample_count = samples;
    s.data.assign(samples * (stereo ? 4 : 2), 0x11);
    return s;
}

const flash::start_sound_tag* first_start_tag(flash::movie_def_impl* def) {
    for (flash::execute_tag* tag : *def->get_playlist(0)) {
        if (auto* start = dynamic_cast<flash::start_sound_tag*>(tag)) return start;
    }
    return nullptr;
}

TEST(SoundDefinition, FormatAndRateReachTheHandlerAsTheTableSays) {
    struct row {
        uint8_t format;
        bool sixteen;
        uint8_t rate;
        int handler_format;
        int hz;
    };
    const row rows[] = {
        {swf::sound_little_endian_raw, true, swf::rate_5512, flash::sound_handler::FORMAT_NATIVE16, 5512},
        {swf::sound_little_endian_raw, false, swf::rate_11025, flash::sound_handler::FORMAT_UNCOMPRESSED, 11025},
        {swf::sound_native_raw, true, swf::rate_22050, flash::sound_handler::FORMAT_RAW, 22050},
        {swf::sound_mp3, true, swf::rate_44100, flash::sound_handler::FORMAT_MP3, 44100},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(int(r.format) * 10 + r.sixteen);
        movie_fixture f;
        recording_sound_handler handler;
        swf::Sound s = pcm16(10);
        s.format = r.format;
        s.sixteen_bit = r.sixteen;
        s.rate = r.rate;
        flash::movie_def_impl* def = f.load("sound.swf", sound_movie(s));
        ASSERT_NE(def, nullptr);
        ASSERT_EQ(handler.created.size(), 1u);
        EXPECT_EQ(handler.created[0].format, r.handler_format);
        EXPECT_EQ(handler.created[0].rate, r.hz);
        EXPECT_EQ(handler.created[0].sample_count, 10);
        EXPECT_EQ(handler.created[0].data, s.data);
        flash::sound_sample* sample = def->get_sound_sample(sound_id);
        ASSERT_NE(sample, nullptr);
        EXPECT_EQ(sample->get_sound_handler_id(), recording_sound_handler::first_id);
        EXPECT_TRUE(sample->is(flash::character_def::SOUND_SAMPLE));
        EXPECT_TRUE(sample->is(flash::character_def::CHARACTER_DEF));
        EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
    }
}

TEST(SoundDefinition, TheHandlerSoundIsDeletedWithTheMovie) {
    recording_sound_handler handler;
    {
        movie_fixture f;
        ASSERT_NE(f.load("sound.swf", sound_movie(pcm16(4))), nullptr);
        EXPECT_TRUE(handler.calls.empty());
    }
    EXPECT_EQ(handler.calls, std::vector<std::string>{"delete 100"});
}

TEST(SoundDefinition, WithoutAHandlerNothingIsMadeAndStartSoundIsDroppedSilently) {
    movie_fixture f;
    swf::SoundInfo info;
    info.loops = 3;
    flash::movie_def_impl* def = f.load("sound.swf", sound_movie(pcm16(4), &info));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->get_sound_sample(sound_id), nullptr);
    EXPECT_EQ(first_start_tag(def), nullptr);
    EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
}

TEST(SoundDefinition, StartSoundOfAnUndefinedIdIsLoggedWithAHandler) {
    movie_fixture f;
    recording_sound_handler handler;
    swf::SoundInfo info;
    flash::movie_def_impl* def = f.load("sound.swf", sound_movie(pcm16(4), &info, 99));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(first_start_tag(def), nullptr);
    EXPECT_TRUE(f.log.has_error("start_sound_loader: sound_id 99 is not defined\n")) << f.log.errors();
}

TEST(StartSound, KeepsStopAndLoopsButNotInAndOutPoints) {
    struct row {
        swf::SoundInfo info;
        bool stop;
        int loops;
        size_t envelope;
        std::string executed;
    };
    swf::SoundInfo plain;
    swf::SoundInfo looped;
    looped.loops = 4;
    looped.in_point = 10;
    looped.out_point = 20;
    swf::SoundInfo stopped;
    stopped.stop = true;
    stopped.envelope = std::vector<swf::EnvelopePoint>{{1, 2, 3}, {4, 5, 6}};
    const row rows[] = {
        {plain, false, 0, 0, "play 100 loops 0"},
        {looped, false, 4, 0, "play 100 loops 4"},
        {stopped, true, 0, 2, "stop 100"},
    };
    for (const row& r : rows) {
        movie_fixture f;
        recording_sound_handler handler;
        flash::movie_def_impl* def = f.load("sound.swf", sound_movie(pcm16(4), &r.info));
        ASSERT_NE(def, nullptr);
        const flash::start_sound_tag* tag = first_start_tag(def);
        ASSERT_NE(tag, nullptr);
        EXPECT_EQ(tag->m_handler_id, recording_sound_handler::first_id);
        EXPECT_EQ(tag->m_stop_playback, r.stop);
        EXPECT_EQ(tag->m_loop_count, r.loops);
        EXPECT_EQ(static_cast<size_t>(tag->m_envelopes.size()), r.envelope);
        const_cast<flash::start_sound_tag*>(tag)->execute(nullptr);
        ASSERT_EQ(handler.calls.size(), 1u);
        EXPECT_EQ(handler.calls[0], r.executed);
    }
}

TEST(StartSound, ADisabledHandlerStillHearsStartSoundTags) {
    movie_fixture f;
    recording_sound_handler handler;
    swf::SoundInfo info;
    flash::movie_def_impl* def = f.load("sound.swf", sound_movie(pcm16(4), &info));
    ASSERT_NE(def, nullptr);
    handler.enabled = false;
    EXPECT_EQ(flash::get_sound_handler(), nullptr);
    EXPECT_EQ(flash::get_installed_sound_handler(), &handler);
    const_cast<flash::start_sound_tag*>(first_start_tag(def))->execute(nullptr);
    EXPECT_EQ(handler.calls, std::vector<std::string>{"play 100 loops 0"});
}

TEST(StartSound, ExecutesNothingOnceTheHandlerIsGone) {
    movie_fixture f;
    swf::SoundInfo info;
    flash::start_sound_tag* tag = nullptr;
    {
        recording_sound_handler handler;
        flash::movie_def_impl* def = f.load("sound.swf", sound_movie(pcm16(4), &info));
        ASSERT_NE(def, nullptr);
        tag = const_cast<flash::start_sound_tag*>(first_start_tag(def));
        ASSERT_NE(tag, nullptr);
    }
    tag->execute(nullptr);  // no handler: no call to a dead one
    SUCCEED();
}

// A sine sweep with a loud start and a quiet tail, long enough to cross a block boundary.
std::vector<int16_t> test_signal(size_t frames, bool stereo) {
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        const double amplitude = i < frames / 2 ? 20000.0 : 3000.0;
        out.push_back(static_cast<int16_t>(amplitude * std::sin(t * 0.03 + 0.0001 * t * t / 100.0)));
        if (stereo) out.push_back(static_cast<int16_t>(-0.5 * amplitude * std::cos(t * 0.011)));
    }
    return out;
}

TEST(AdpcmSound, DecodesWhatTheEncoderPredictsForEveryCodeSizeMonoAndStereo) {
    constexpr size_t frames = flash::adpcm_block_samples * 2 + 321;
    for (bool stereo : {false, true}) {
        for (int bits = 2; bits <= 5; ++bits) {
            SCOPED_TRACE((stereo ? "stereo " : "mono ") + std::to_string(bits));
            const std::vector<int16_t> signal = test_signal(frames, stereo);
            const swf::AdpcmEncoding enc = swf::encode_adpcm(signal, stereo, bits);
            swf::Sound s;
            s.format = swf::sound_adpcm;
            s.stereo = stereo;
            s.sample_count = frames;
            s.data = enc.data;
            movie_fixture f;
            recording_sound_handler handler;
            ASSERT_NE(f.load("adpcm.swf", sound_movie(s)), nullptr);
            ASSERT_EQ(handler.created.size(), 1u);
            const movietest::created_sound& made = handler.created[0];
            EXPECT_EQ(made.format, flash::sound_handler::FORMAT_NATIVE16);
            EXPECT_EQ(made.stereo, stereo);
            EXPECT_EQ(made.sample_count, static_cast<int>(frames));
            ASSERT_EQ(made.data.size(), frames * (stereo ? 4 : 2));
            const std::vector<int16_t> decoded = made.samples();
            EXPECT_EQ(decoded, enc.decoded);
            if (bits >= 4) {
                // A fine code size follows the signal closely on average.
                double total = 0;
                for (size_t i = 0; i < signal.size(); ++i) total += std::fabs(double(signal[i]) - decoded[i]);
                EXPECT_LT(total / static_cast<double>(signal.size()), bits == 5 ? 200.0 : 400.0);
            }
        }
    }
}

TEST(AdpcmSound, SampleCountsBeyondTheTagAreRefused) {
    const std::vector<int16_t> signal = test_signal(100, false);
    const swf::AdpcmEncoding enc = swf::encode_adpcm(signal, false, 4);
    // 100 samples of 4 bits take 420 bits: 53 bytes, so 101 samples still fit in the padding.
    for (uint32_t declared : {102u, 5000u, 0x40000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(declared);
        swf::Sound s;
        s.format = swf::sound_adpcm;
        s.sample_count = declared;
        s.data = enc.data;
        movie_fixture f;
        recording_sound_handler handler;
        flash::movie_def_impl* def = f.load("adpcm.swf", sound_movie(s));
        ASSERT_NE(def, nullptr);
        EXPECT_TRUE(handler.created.empty());
        EXPECT_EQ(def->get_sound_sample(sound_id), nullptr);
        EXPECT_TRUE(f.log.has_error("define_sound_loader")) << f.log.errors();
    }
}

TEST(AdpcmSound, TheLeastBitsCountEveryBlockHeader) {
    // 1 sample: one header of 22 bits; 4097: two headers and 4095 codes; stereo doubles it.
    EXPECT_EQ(flash::adpcm_min_stream_bits(0, 1, 4), 0);
    EXPECT_EQ(flash::adpcm_min_stream_bits(1, 1, 2), 22);
    EXPECT_EQ(flash::adpcm_min_stream_bits(4097, 1, 3), 2 * 22 + 4095 * 3);
    EXPECT_EQ(flash::adpcm_min_stream_bits(4097, 2, 3), 2 * (2 * 22 + 4095 * 3));
    EXPECT_GT(flash::adpcm_min_stream_bits(0xFFFFFFFFu, 2, 5), int64_t{0xFFFFFFFFu} * 2 * 5);
}

TEST(SoundDefinition, PlainSampleCountsBeyondTheTagAreRefused) {
    struct row {
        bool sixteen;
        bool stereo;
        uint32_t declared;
        size_t bytes;
        bool accepted;
    };
    const row rows[] = {
        {true, false, 10, 20, true}, {true, false, 11, 20, false}, {false, false, 20, 20, true},
        {true, true, 5, 20, true},   {true, true, 6, 20, false},   {true, false, 0xFFFFFFFFu, 20, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.declared);
        swf::Sound s = pcm16(0);
        s.sixteen_bit = r.sixteen;
        s.stereo = r.stereo;
        s.sample_count = r.declared;
        s.data.assign(r.bytes, 1);
        movie_fixture f;
        recording_sound_handler handler;
        flash::movie_def_impl* def = f.load("sound.swf", sound_movie(s));
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(handler.created.size(), r.accepted ? 1u : 0u);
        EXPECT_EQ(def->get_sound_sample(sound_id) != nullptr, r.accepted);
        EXPECT_EQ(f.log.has_error("define_sound_loader"), !r.accepted);
    }
}

TEST(SoundDefinition, ASoundSampleCanBeExported) {
    movie_fixture f;
    recording_sound_handler handler;
    swf::MovieWriter m(8);
    m.define_sound(pcm16(4), sound_id);
    m.export_assets({{sound_id, "Click"}});
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("sound.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->get_exported_resource("Click"), def->get_sound_sample(sound_id));
    EXPECT_FALSE(f.log.has_message("export error"));
}

}  // namespace
