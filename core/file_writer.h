#pragma once
// A thin owner of one file opened for writing, truncating or appending.
//
// Truncating writes go to a temporary file beside the target, renamed over it on close: the old
// file may be mapped by a reader, and truncating a mapped file would kill that reader. Appending
// writes go to the file itself.
#include <cstdint>

#include "platform/files.h"

namespace core {

class FileWriter {
public:
    // The error code stored when no file is open ("invalid handle").
    static constexpr uint32_t kErrorInvalidHandle = 6;

    FileWriter(const char* path, bool append);
    virtual ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // True at once when a file is already open. Stores the size, or the error on failure.
    bool open(const char* path, bool append);
    // Writes the bytes and returns the count actually written (0 when nothing is open or the
    // write fails; then the error is stored).
    int32_t write(const void* buffer, uint32_t count);
    // Closes the file; a truncating writer's file replaces the target here.
    void close();

    bool isOpen() const { return m_replacing.isOpen() || m_file.isOpen(); }
    uint32_t size() const { return m_size; }
    uint32_t error() const { return m_error; }

private:
    void readSize();
    platform::File& file() { return m_replacing.isOpen() ? m_replacing.file() : m_file; }

    platform::File m_file;               // an appending writer's file
    platform::ReplacingFile m_replacing;  // a truncating writer's file
    uint32_t m_size = 0;
    uint32_t m_error = 0;
    bool m_failed = false;  // a write of this truncating writer came up short
};

}  // namespace core
