#pragma once
// How the media code finds its sound and music files and opens them as sounds.
#include <string>

#include "platform/audio/audio.h"
#include "vfs/file.h"

namespace MediaSystem {

// Finds a file by bare name first, then by stored path; an empty handle when missing.
using FileFinder = VFS::FilePtr (*)(const std::string& name);

// The finder the media code uses: the virtual file system unless replaced (null restores it).
void setFileFinder(FileFinder finder);
VFS::FilePtr findSoundFile(const std::string& name);

// Reads the file's bytes into a memory file and opens it as Ogg Vorbis on `device`; null when the
// file is empty, unreadable or not Ogg Vorbis.
audiere::OutputStream* openSound(audiere::AudioDevice* device, VFS::File* file, bool streaming);

// Milliseconds of the clock that paces the music fade (the system clock unless replaced).
using MsClock = uint64_t (*)();
void setClock(MsClock clock);
uint64_t clockMs();

}  // namespace MediaSystem
