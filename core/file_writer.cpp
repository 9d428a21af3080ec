#include "core/file_writer.h"

#include <cerrno>

namespace core {

namespace {

uint32_t lastError() { return errno ? static_cast<uint32_t>(errno) : FileWriter::kErrorInvalidHandle; }

}  // namespace

FileWriter::FileWriter(const char* path, bool append) { open(path, append); }

FileWriter::~FileWriter() { close(); }

bool FileWriter::open(const char* path, bool append) {
    if (isOpen()) return true;
    if (!path || !*path) {
        m_error = kErrorInvalidHandle;
        return false;
    }
    errno = 0;
    if (append) {
        if (!m_file.open(path, platform::File::Mode::Append)) {
            m_error = lastError();
            return false;
        }
    } else {
        if (!m_replacing.open(path)) {
            m_error = lastError();
            return false;
        }
        m_failed = false;
    }
    readSize();
    return true;
}

int32_t FileWriter::write(const void* buffer, uint32_t count) {
    if (!isOpen()) {
        m_error = kErrorInvalidHandle;
        return 0;
    }
    if (count == 0) {
        m_error = 0;
        return 0;
    }
    if (!buffer || count > INT32_MAX) {
        m_error = 22;  // invalid argument
        return 0;
    }
    errno = 0;
    const int64_t written = file().write(buffer, count);
    m_error = written == static_cast<int64_t>(count) ? 0 : lastError();
    if (m_error) m_failed = true;
    readSize();
    return written > 0 ? static_cast<int32_t>(written) : 0;
}

void FileWriter::close() {
    if (!isOpen()) return;
    errno = 0;
    bool ok;
    if (m_replacing.isOpen()) {
        // A truncating writer that lost bytes leaves the old file as it was.
        if (m_failed) {
            m_replacing.abort();
            ok = false;
            errno = EIO;
        } else {
            ok = m_replacing.commit();
        }
    } else {
        ok = m_file.close();
    }
    m_error = ok ? 0 : lastError();
}

void FileWriter::readSize() {
    auto size = file().size();
    m_size = size ? static_cast<uint32_t>(*size) : 0;
}

}  // namespace core
