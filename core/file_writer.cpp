#include "core/file_writer.h"

#include <atomic>
#include <cerrno>

#include "platform/clock.h"

namespace core {

namespace {

uint32_t lastError() { return errno ? static_cast<uint32_t>(errno) : FileWriter::kErrorInvalidHandle; }

}  // namespace

FileWriter::FileWriter(const char* path, bool append) { open(path, append); }

FileWriter::~FileWriter() { close(); }

bool FileWriter::open(const char* path, bool append) {
    if (m_file.isOpen()) return true;
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
        static std::atomic<unsigned> counter{0};
        std::string temp = std::string(path) + ".tmp" + std::to_string(platform::highResCounter()) + "_" +
                           std::to_string(counter++);
        if (!m_file.open(temp, platform::File::Mode::Write)) {
            m_error = lastError();
            return false;
        }
        m_target = path;
        m_failed = false;
        m_temp = std::move(temp);
    }
    readSize();
    return true;
}

int32_t FileWriter::write(const void* buffer, uint32_t count) {
    if (!m_file.isOpen()) {
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
    const int64_t written = m_file.write(buffer, count);
    m_error = written == static_cast<int64_t>(count) ? 0 : lastError();
    if (m_error) m_failed = true;
    readSize();
    return written > 0 ? static_cast<int32_t>(written) : 0;
}

void FileWriter::close() {
    if (!m_file.isOpen()) return;
    errno = 0;
    // The new contents reach the disk before they replace the old file, so a crash in between
    // leaves the old file rather than an empty one.
    const bool synced = m_temp.empty() || m_file.sync();
    bool ok = m_file.close() && synced;
    if (!m_temp.empty()) {
        // A truncating writer that lost bytes leaves the old file as it was.
        if (ok && m_failed) {
            ok = false;
            errno = EIO;
        }
        if (ok) ok = platform::renameFile(m_temp, m_target);
        if (!ok) platform::deleteFile(m_temp);
        m_temp.clear();
        m_target.clear();
    }
    m_error = ok ? 0 : lastError();
}

void FileWriter::readSize() {
    auto size = m_file.size();
    m_size = size ? static_cast<uint32_t>(*size) : 0;
}

}  // namespace core
