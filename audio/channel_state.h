#pragma once
// The play state of the music channel and of the sound-effect system.
namespace MediaSystem {

enum class ChannelState { NeverStarted = 0, Playing = 1, Stopped = 2 };

}  // namespace MediaSystem
