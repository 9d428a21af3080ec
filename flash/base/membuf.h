#pragma once
// A growable byte buffer whose capacity moves in steps of 4096 bytes. A read-only buffer wraps the
// caller's memory: it is never grown and never freed.

namespace flash {

class bx_string;

class membuf {
public:
    static constexpr int block_size = 4096;
    // Largest size a buffer may reach; growth past it is refused and logged.
    static constexpr int max_size = 0x7FFF0000;

    membuf() = default;
    // Wraps size bytes of the caller's memory, read-only.
    membuf(void* data, int size);
    membuf(const membuf& other);
    membuf& operator=(const membuf& other);
    ~membuf();

    int size() const { return m_size; }
    int capacity() const { return m_capacity; }
    void* data() { return m_data; }
    const void* data() const { return m_data; }
    bool is_read_only() const { return m_read_only; }

    // Sets the size; the capacity becomes the size raised to a multiple of 4096 (4096 for 0).
    // False (buffer unchanged) for a negative or too large size, growth of a read-only buffer or
    // exhausted memory.
    bool resize(int new_size);
    bool append(const void* bytes, int count);
    bool append(const bx_string& text);  // its bytes without the terminator
    bool append(const membuf& other);

private:
    int m_size = 0;
    int m_capacity = 0;
    void* m_data = nullptr;
    bool m_read_only = false;
};

}  // namespace flash
