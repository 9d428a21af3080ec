#pragma once
// The audio library's entry points as the media code calls them: a device opened by name, memory
// files, Ogg Vorbis sample sources and sounds that are either decoded whole or streamed. Objects are
// reference counted; the entry points return them with no reference taken, for a RefPtr to hold.
//
// Everything is built on one software mixer per device. A device plays through SDL's default
// output; its mixer can also be driven by hand (openManualDevice) for tests and measurements.
// Calls come from the main thread; mixing runs on the audio thread under the device's one lock.
#include <atomic>
#include <cstdint>
#include <utility>

namespace audiere {

class RefCounted {
public:
    void ref() { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void unref() {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

private:
    std::atomic<int> m_refs{0};
};

// A counted reference: referenced when stored, released when replaced or cleared.
template <class T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(T* object) : m_object(object) {
        if (m_object) m_object->ref();
    }
    RefPtr(const RefPtr& other) : RefPtr(other.m_object) {}
    RefPtr(RefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ~RefPtr() {
        if (m_object) m_object->unref();
    }
    RefPtr& operator=(T* object) {
        if (object) object->ref();
        if (m_object) m_object->unref();
        m_object = object;
        return *this;
    }
    RefPtr& operator=(const RefPtr& other) { return *this = other.m_object; }
    RefPtr& operator=(RefPtr&& other) noexcept {
        if (this != &other) {
            if (m_object) m_object->unref();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};

enum FileFormat {
    FF_OGG = 2,  // Ogg Vorbis
};

enum SeekMode { BEGIN, CURRENT, END };

// A readable, seekable byte file.
class File : public RefCounted {
public:
    virtual int read(void* buffer, int size) = 0;
    virtual bool seek(int64_t position, SeekMode mode) = 0;
    virtual int64_t tell() = 0;
};

// Decoded sample frames: signed 16-bit, interleaved, one or two channels.
class SampleSource : public RefCounted {
public:
    virtual void getFormat(int& channelCount, int& sampleRate) = 0;
    // Reads up to frameCount frames into buffer; returns the number read, 0 at the end.
    virtual int read(int frameCount, int16_t* buffer) = 0;
    virtual void reset() = 0;
    virtual bool isSeekable() = 0;
    virtual int64_t getLength() = 0;  // frames
    virtual void setPosition(int64_t position) = 0;
    virtual int64_t getPosition() = 0;
};

// A sound on a device. Lengths and positions count frames of the sound's own sample rate.
class OutputStream : public RefCounted {
public:
    virtual void play() = 0;
    // Stops and keeps the position: play continues from it. A sound that played to its end stops
    // there; play leaves it silent until reset.
    virtual void stop() = 0;
    virtual bool isPlaying() = 0;
    // Back to the start; a playing sound goes on playing from there.
    virtual void reset() = 0;
    virtual void setRepeat(bool repeat) = 0;
    virtual bool getRepeat() = 0;
    virtual void setVolume(float volume) = 0;  // 0.0 silent .. 1.0 full
    virtual float getVolume() = 0;
    virtual bool isSeekable() = 0;
    virtual int64_t getLength() = 0;
    virtual void setPosition(int64_t position) = 0;
    virtual int64_t getPosition() = 0;
};

class Mixer;

class AudioDevice : public RefCounted {
public:
    virtual const char* getName() = 0;
    // Output format of the mixer: signed 16-bit stereo at this rate.
    virtual int getSampleRate() = 0;
    virtual Mixer& mixer() = 0;
};

// Opens an output device: "" (or "autodetect") and "directsound" name the default output. Null
// when the name is unknown or no output can be opened (the caller goes on silently).
[[nodiscard]] AudioDevice* AdrOpenDevice(const char* name, const char* parameters);

// A file over a private copy of the bytes: the caller may drop its buffer at once.
[[nodiscard]] File* AdrCreateMemoryFile(const void* buffer, int size);

// Null when the format is not supported or the data is not a readable stream of it.
[[nodiscard]] SampleSource* AdrOpenSampleSourceFromFile(File* file, FileFormat format);

// streaming: decoded on demand while it plays; otherwise decoded whole here.
[[nodiscard]] OutputStream* AdrOpenSound(AudioDevice* device, SampleSource* source, bool streaming);

// A device without output whose mixer is advanced by Mixer::mix.
[[nodiscard]] AudioDevice* openManualDevice(int sampleRate);

// Replaces how AdrOpenDevice opens devices (null restores the default output); the opener may
// return null to act as a machine without a sound device.
using DeviceOpener = AudioDevice* (*)(const char* name, const char* parameters);
void setDeviceOpener(DeviceOpener opener);

}  // namespace audiere
