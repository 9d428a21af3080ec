#include "core/data_chunk.h"

#include <climits>
#include <cstring>

#include "core/log_stream.h"
#include "core/mmgr.h"

namespace Tov {

bool DataChunk::allocate(uint32_t size) {
    m_data = nullptr;
    m_size = 0;
    m_owns = true;
    if (size == 0) return true;
    // Mem_Alloc takes a signed size; larger chunks cannot be held.
    void* p = size <= static_cast<uint32_t>(INT_MAX) ? Mem_Alloc(static_cast<int>(size)) : nullptr;
    if (!p) {
        LogLine("ERROR") << "Tov::DataChunk::allocate" << ": out of memory for " << size << " bytes";
        return false;
    }
    m_data = static_cast<uint8_t*>(p);
    m_size = size;
    return true;
}

DataChunk::DataChunk(uint32_t size, uint8_t fill) {
    if (allocate(size) && m_size) std::memset(m_data, fill, m_size);
}

DataChunk::DataChunk(const void* bytes, uint32_t size) {
    if (!bytes) size = 0;
    if (allocate(size) && m_size) std::memcpy(m_data, bytes, m_size);
}

DataChunk::DataChunk(BorrowTag, void* bytes, uint32_t size)
    : m_data(static_cast<uint8_t*>(bytes)), m_size(bytes ? size : 0), m_owns(false) {}

DataChunk DataChunk::borrow(void* bytes, uint32_t size) { return DataChunk(BorrowTag{}, bytes, size); }

void DataChunk::copyFrom(const DataChunk& other) {
    if (!other.m_owns) {
        m_data = other.m_data;
        m_size = other.m_size;
        m_owns = false;
        return;
    }
    if (allocate(other.m_size) && m_size) std::memcpy(m_data, other.m_data, m_size);
}

DataChunk::DataChunk(const DataChunk& other) { copyFrom(other); }

DataChunk& DataChunk::operator=(const DataChunk& other) {
    if (this == &other) return *this;
    release();
    copyFrom(other);
    return *this;
}

DataChunk::~DataChunk() { release(); }

void DataChunk::release() {
    if (m_owns && m_data) Mem_Free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_owns = true;
}

}  // namespace Tov
