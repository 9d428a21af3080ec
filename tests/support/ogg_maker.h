#pragma once
// Test sounds made on the spot with libvorbisenc: tones, silence and a short stereo piece.
#include <string>
#include <vector>

namespace testaudio {

// Encodes interleaved samples (-1..1) of `channels` channels as an Ogg Vorbis file.
std::string encodeOgg(const std::vector<float>& interleaved, int channels, int rate, float quality = 0.5f);

// A sine tone of exactly `frames` frames, the same on every channel.
std::string makeTone(double frequency, int frames, int rate = 44100, int channels = 1, float amplitude = 0.8f);

std::string makeSilence(int frames, int rate = 44100, int channels = 1);

// Two seconds: a rising tone on the left, a falling one on the right.
std::string makeStereoPiece(int rate = 44100);

}  // namespace testaudio
