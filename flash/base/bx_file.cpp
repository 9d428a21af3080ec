#include "flash/base/bx_file.h"

#include <cstdarg>
#include <cstring>
#include <string>

#include "flash/base/log.h"
#include "flash/base/membuf.h"
#include "platform/paths.h"

namespace flash {

namespace {

// --- stdio callbacks ------------------------------------------------------------------------

int std_read(void* dst, int bytes, void* appdata) {
    if (bytes <= 0 || !dst) return 0;
    return static_cast<int>(std::fread(dst, 1, static_cast<size_t>(bytes), static_cast<FILE*>(appdata)));
}

int std_write(const void* src, int bytes, void* appdata) {
    if (bytes <= 0 || !src) return 0;
    return static_cast<int>(std::fwrite(src, 1, static_cast<size_t>(bytes), static_cast<FILE*>(appdata)));
}

int std_seek(int position, void* appdata) {
    FILE* fp = static_cast<FILE*>(appdata);
    std::clearerr(fp);
    return std::fseek(fp, position, SEEK_SET) == 0 ? bx_file::NO_ERROR : bx_file::SEEK_FAILED;
}

int std_seek_to_end(void* appdata) {
    return std::fseek(static_cast<FILE*>(appdata), 0, SEEK_END) == 0 ? bx_file::NO_ERROR
                                                                    : bx_file::SEEK_FAILED;
}

int std_tell(const void* appdata) {
    return static_cast<int>(std::ftell(static_cast<FILE*>(const_cast<void*>(appdata))));
}

bool std_get_eof(void* appdata) { return std::feof(static_cast<FILE*>(appdata)) != 0; }

int std_close(void* appdata) {
    return std::fclose(static_cast<FILE*>(appdata)) == 0 ? bx_file::NO_ERROR : bx_file::CLOSE_FAILED;
}

// --- memory-buffer callbacks ----------------------------------------------------------------

struct memory_record {
    memory_record() = default;
    memory_record(void* data, int size) : buffer(data, size), read_only(true) {}

    membuf buffer;
    int position = 0;
    bool read_only = false;  // the stream may not grow the buffer
};

int mem_read(void* dst, int bytes, void* appdata) {
    memory_record* r = static_cast<memory_record*>(appdata);
    if (bytes <= 0 || !dst) return 0;
    int count = r->buffer.size() - r->position;
    if (count > bytes) count = bytes;
    if (count <= 0) return 0;
    std::memcpy(dst, static_cast<const char*>(r->buffer.data()) + r->position, static_cast<size_t>(count));
    r->position += count;
    return count;
}

int mem_write(const void* src, int bytes, void* appdata) {
    memory_record* r = static_cast<memory_record*>(appdata);
    if (bytes <= 0 || !src) return 0;
    const long long end = static_cast<long long>(r->position) + bytes;
    if (end > r->buffer.size()) {
        if (r->read_only) return 0;
        if (end > membuf::max_size || !r->buffer.resize(static_cast<int>(end))) return 0;
        if (r->position > r->buffer.size()) r->position = r->buffer.size();
    }
    std::memcpy(static_cast<char*>(r->buffer.data()) + r->position, src, static_cast<size_t>(bytes));
    r->position += bytes;
    return bytes;
}

int mem_seek(int position, void* appdata) {
    memory_record* r = static_cast<memory_record*>(appdata);
    if (position < 0) {
        r->position = 0;
        return bx_file::SEEK_FAILED;
    }
    if (position <= r->buffer.size()) {
        r->position = position;
        return bx_file::NO_ERROR;
    }
    r->position = r->buffer.size();
    return bx_file::SEEK_FAILED;
}

int mem_seek_to_end(void* appdata) {
    memory_record* r = static_cast<memory_record*>(appdata);
    r->position = r->buffer.size();
    return bx_file::NO_ERROR;
}

int mem_tell(const void* appdata) { return static_cast<const memory_record*>(appdata)->position; }

bool mem_get_eof(void* appdata) {
    const memory_record* r = static_cast<const memory_record*>(appdata);
    return r->position >= r->buffer.size();
}

int mem_close(void* appdata) {
    // The membuf frees its data unless it belongs to the caller.
    delete static_cast<memory_record*>(appdata);
    return bx_file::NO_ERROR;
}

}  // namespace

bx_file::bx_file(void* appdata, read_func read, write_func write, seek_func seek,
                 seek_to_end_func seek_to_end, tell_func tell, get_eof_func get_eof, close_func close)
    : m_data(appdata),
      m_read(read),
      m_write(write),
      m_seek(seek),
      m_seek_to_end(seek_to_end),
      m_tell(tell),
      m_get_eof(get_eof),
      m_close(close) {}

void bx_file::attach_stdio(FILE* fp, bool autoclose) {
    if (!fp) {
        m_error = OPEN_FAILED;
        return;
    }
    m_data = fp;
    m_read = std_read;
    m_write = std_write;
    m_seek = std_seek;
    m_seek_to_end = std_seek_to_end;
    m_tell = std_tell;
    m_get_eof = std_get_eof;
    m_close = autoclose ? std_close : nullptr;
}

bx_file::bx_file(FILE* fp, bool autoclose) { attach_stdio(fp, autoclose); }

bx_file::bx_file(const char* path, const char* mode) {
    FILE* fp = nullptr;
    if (path && mode) {
        const bool writing = std::strpbrk(mode, "wa+") != nullptr;
        const auto host =
            platform::resolvePath(path, writing ? platform::PathUse::Create : platform::PathUse::Read);
        if (host) fp = std::fopen(host->c_str(), mode);
    }
    attach_stdio(fp, true);
}

void bx_file::attach_memory(void* record) {
    m_data = record;
    m_read = mem_read;
    m_write = mem_write;
    m_seek = mem_seek;
    m_seek_to_end = mem_seek_to_end;
    m_tell = mem_tell;
    m_get_eof = mem_get_eof;
    m_close = mem_close;
}

bx_file::bx_file(memory_buffer_enum) { attach_memory(new memory_record); }

bx_file::bx_file(memory_buffer_enum, int size, void* data) { attach_memory(new memory_record(data, size)); }

bx_file::~bx_file() { close(); }

void bx_file::clear_callbacks() {
    m_data = nullptr;
    m_read = nullptr;
    m_write = nullptr;
    m_seek = nullptr;
    m_seek_to_end = nullptr;
    m_tell = nullptr;
    m_get_eof = nullptr;
    m_close = nullptr;
    m_error = NO_ERROR;
}

int bx_file::close() {
    int result = NO_ERROR;
    if (m_close) result = m_close(m_data);
    clear_callbacks();
    return result;
}

int bx_file::read_bytes(void* dst, int count) {
    if (!m_read || count <= 0) return 0;
    return m_read(dst, count, m_data);
}

int bx_file::write_bytes(const void* src, int count) {
    if (!m_write || count <= 0) return 0;
    return m_write(src, count, m_data);
}

uint8_t bx_file::read_byte() {
    uint8_t value = 0;
    read_bytes(&value, 1);
    return value;
}

int bx_file::write_byte(uint8_t value) { return write_bytes(&value, 1); }

uint16_t bx_file::read_le16() {
    uint8_t b[2] = {0, 0};
    read_bytes(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t bx_file::read_le32() {
    uint8_t b[4] = {0, 0, 0, 0};
    read_bytes(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint64_t bx_file::read_le64() {
    const uint64_t low = read_le32();
    const uint64_t high = read_le32();
    return low | (high << 32);
}

void bx_file::write_le16(uint16_t value) {
    const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    write_bytes(b, 2);
}

void bx_file::write_le32(uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    write_bytes(b, 4);
}

void bx_file::write_le64(uint64_t value) {
    write_le32(static_cast<uint32_t>(value));
    write_le32(static_cast<uint32_t>(value >> 32));
}

float bx_file::read_float32() {
    const uint32_t bits = read_le32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double bx_file::read_double64() {
    const uint64_t bits = read_le64();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void bx_file::write_float32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    write_le32(bits);
}

void bx_file::write_double64(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    write_le64(bits);
}

int bx_file::get_position() { return m_tell ? m_tell(m_data) : 0; }

int bx_file::set_position(int position) { return m_seek ? m_seek(position, m_data) : SEEK_FAILED; }

int bx_file::go_to_end() { return m_seek_to_end ? m_seek_to_end(m_data) : SEEK_FAILED; }

bool bx_file::get_eof() { return m_get_eof ? m_get_eof(m_data) : true; }

void bx_file::write_string(const char* text) {
    if (!text) return;
    write_bytes(text, static_cast<int>(std::strlen(text)) + 1);
}

int bx_file::read_string(char* dst, int max_length, char terminator) {
    if (!dst || max_length <= 0) return -1;
    for (int i = 0; i < max_length; ++i) {
        char c = 0;
        if (read_bytes(&c, 1) != 1) {
            dst[i] = 0;
            return i;
        }
        if (c == terminator) {
            dst[i] = 0;
            return i;
        }
        dst[i] = c;
    }
    dst[max_length - 1] = 0;
    return -1;
}

int bx_file::copy_from(bx_file* src) {
    if (!src || src == this) return 0;
    char buffer[4096];
    int total = 0;
    while (!src->get_eof()) {
        const int got = src->read_bytes(buffer, sizeof buffer);
        if (got <= 0 || src->get_error() != NO_ERROR) break;
        const int put = write_bytes(buffer, got);
        if (put > 0) total += put;
        if (put != got) break;
    }
    return total;
}

int bx_file::copy_to(membuf* out) {
    if (!out) return 0;
    int total = 0;
    while (!get_eof()) {
        const int old_size = out->size();
        if (!out->resize(old_size + 4096)) break;
        const int got = read_bytes(static_cast<char*>(out->data()) + old_size, 4096);
        out->resize(old_size + (got > 0 ? got : 0));
        if (got <= 0 || m_error != NO_ERROR) break;
        total += got;
    }
    return total;
}

int bx_file::copy_bytes(bx_file* src, int count) {
    if (!src || count <= 0) return 0;
    char buffer[4096];
    int copied = 0;
    while (copied < count) {
        int chunk = count - copied;
        if (chunk > static_cast<int>(sizeof buffer)) chunk = sizeof buffer;
        const int got = src->read_bytes(buffer, chunk);
        const int put = got > 0 ? write_bytes(buffer, got) : 0;
        if (put > 0) copied += put;
        if (put < chunk) return copied;
    }
    return count;
}

int bx_file::printf(const char* format, ...) {
    if (!format) return 0;
    char buffer[1000];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) return 0;
    if (length >= static_cast<int>(sizeof buffer)) length = sizeof buffer - 1;
    return write_bytes(buffer, length);
}

}  // namespace flash
