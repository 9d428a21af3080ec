#pragma once
// The engine's byte stream: reads and writes go through a table of callbacks over an opaque data
// pointer, so one reader serves a stdio file, the caller's memory, a growable memory buffer or any
// source the application supplies. Typed values are moved in little-endian byte order.
#include <cstdint>
#include <cstdio>

#include "flash/base/bx_string.h"

namespace flash {

class membuf;

enum memory_buffer_enum { memory_buffer };

class bx_file {
public:
    typedef int (*read_func)(void* dst, int bytes, void* appdata);
    typedef int (*write_func)(const void* src, int bytes, void* appdata);
    typedef int (*seek_func)(int position, void* appdata);
    typedef int (*seek_to_end_func)(void* appdata);
    typedef int (*tell_func)(const void* appdata);
    typedef bool (*get_eof_func)(void* appdata);
    typedef int (*close_func)(void* appdata);

    // Error codes.
    enum {
        NO_ERROR = 0,
        OPEN_FAILED = 1,
        SEEK_FAILED = 4,
        CLOSE_FAILED = 5,
    };

    // Over the application's callbacks; close may be null.
    bx_file(void* appdata, read_func read, write_func write, seek_func seek,
            seek_to_end_func seek_to_end, tell_func tell, get_eof_func get_eof, close_func close);
    // Over an open stdio stream; with autoclose, closing the file closes the stream.
    bx_file(FILE* fp, bool autoclose);
    // Opens a game path (backslashes, any letter case) with fopen's mode; error 1 on failure.
    bx_file(const char* path, const char* mode);
    // An empty memory buffer owned by the stream, growing as it is written.
    explicit bx_file(memory_buffer_enum);
    // Over size bytes of the caller's memory: position 0, never grown, never freed.
    bx_file(memory_buffer_enum, int size, void* data);
    ~bx_file();

    bx_file(const bx_file&) = delete;
    bx_file& operator=(const bx_file&) = delete;

    // The movie file's name, handed on as the owner name of what is made from it.
    const bx_string& get_name() const { return m_name; }
    void set_name(const char* name) { m_name = name ? name : ""; }

    // 0 when the stream is usable.
    int get_error() const { return m_error; }

    int read_bytes(void* dst, int count);
    int write_bytes(const void* src, int count);
    uint8_t read_byte();
    int write_byte(uint8_t value);
    uint16_t read_le16();
    uint32_t read_le32();
    uint64_t read_le64();
    void write_le16(uint16_t value);
    void write_le32(uint32_t value);
    void write_le64(uint64_t value);
    float read_float32();
    double read_double64();
    void write_float32(float value);
    void write_double64(double value);

    int get_position();
    // Returns the seek callback's code (0, or 4 when the position was out of range).
    int set_position(int position);
    int go_to_end();
    bool get_eof();

    // Writes the text and its terminating NUL.
    void write_string(const char* text);
    // Reads bytes into dst up to the terminator (stored as NUL) and returns the text's length.
    // When max_length bytes pass without it, the last byte of dst becomes NUL and -1 is returned;
    // at the end of the data the text read so far is kept and its length returned.
    int read_string(char* dst, int max_length, char terminator);

    // Copies the rest of src into this stream; returns the bytes copied.
    int copy_from(bx_file* src);
    // Appends the rest of this stream to a buffer; returns the bytes copied.
    int copy_to(membuf* out);
    // Copies up to count bytes from src in chunks of 4096; stops at a short write.
    int copy_bytes(bx_file* src, int count);

    // printf-style write through a 1000-byte buffer (longer output is cut); the NUL is not written.
    int printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Calls the close callback (when there is one), then clears the data, callbacks and error.
    int close();

private:
    // Reads and writes through stdio; failure to open is kept as the file's error.
    void attach_stdio(FILE* fp, bool autoclose);
    // Reads and writes through a memory record (owned from here on).
    void attach_memory(void* record);
    void clear_callbacks();

    bx_string m_name;
    void* m_data = nullptr;
    read_func m_read = nullptr;
    write_func m_write = nullptr;
    seek_func m_seek = nullptr;
    seek_to_end_func m_seek_to_end = nullptr;
    tell_func m_tell = nullptr;
    get_eof_func m_get_eof = nullptr;
    close_func m_close = nullptr;
    int m_error = NO_ERROR;
};

}  // namespace flash
