#pragma once
// Ogg Vorbis decoding from a byte file with libvorbisfile, at most two output channels.
#include "platform/audio/audio.h"

namespace audiere {

// Null (with an ERROR logged) when the file is not a readable Ogg Vorbis stream.
[[nodiscard]] SampleSource* openVorbisSource(File* file);

}  // namespace audiere
