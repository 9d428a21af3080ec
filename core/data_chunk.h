#pragma once
// A byte buffer that either owns its bytes (allocated with Mem_Alloc, freed by the chunk) or
// borrows them from someone who outlives it. The value of binary attributes.
#include <cstdint>

namespace Tov {

class DataChunk {
public:
    // Owning: `size` bytes filled with `fill`; size 0 gives no bytes and a null pointer.
    explicit DataChunk(uint32_t size = 0, uint8_t fill = 0);
    // Owning copy of the bytes.
    DataChunk(const void* bytes, uint32_t size);
    // A borrowing chunk over bytes owned elsewhere; copies of it share them too.
    static DataChunk borrow(void* bytes, uint32_t size);

    // An owning source is copied deeply; a borrowing source is shared.
    DataChunk(const DataChunk& other);
    DataChunk& operator=(const DataChunk& other);
    virtual ~DataChunk();

    uint8_t* data() { return m_data; }
    const uint8_t* data() const { return m_data; }
    uint32_t size() const { return m_size; }
    bool ownsData() const { return m_owns; }

private:
    struct BorrowTag {};
    DataChunk(BorrowTag, void* bytes, uint32_t size);
    void copyFrom(const DataChunk& other);
    void release();
    // Allocates m_size bytes; on failure the chunk becomes empty (an ERROR is logged).
    bool allocate(uint32_t size);

    uint8_t* m_data = nullptr;
    uint32_t m_size = 0;
    bool m_owns = true;
};

}  // namespace Tov
