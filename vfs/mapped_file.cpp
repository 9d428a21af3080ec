#include "vfs/mapped_file.h"

namespace VFS {

MappedFile::~MappedFile() { close(); }

bool MappedFile::open(const std::string& path) {
    close();
    m_error = !m_file.open(path);
    return !m_error;
}

void MappedFile::close() {
    {
        std::lock_guard<std::mutex> lock(m_viewLock);
        m_views.clear();
    }
    m_file.close();
}

const uint8_t* MappedFile::mapView(uint32_t offset, uint32_t length) {
    if (!m_file.isOpen()) return nullptr;
    const uint64_t total = m_file.size();
    if (length == 0) {
        if (offset >= total) return nullptr;
        length = static_cast<uint32_t>(total - offset);
    } else if (static_cast<uint64_t>(offset) + length > total) {
        return nullptr;
    }
    const uint8_t* view = m_file.data() + offset;
    std::lock_guard<std::mutex> lock(m_viewLock);
    View& record = m_views[view];
    record.length = length;
    ++record.holders;
    return view;
}

void MappedFile::unmapView(const uint8_t* view) {
    std::lock_guard<std::mutex> lock(m_viewLock);
    auto it = m_views.find(view);
    if (it == m_views.end()) return;
    if (--it->second.holders == 0) m_views.erase(it);
}

uint32_t MappedFile::viewLength(const uint8_t* view) const {
    std::lock_guard<std::mutex> lock(m_viewLock);
    auto it = m_views.find(view);
    return it == m_views.end() ? 0 : it->second.length;
}

const uint8_t* CachedView::map(MappedFile& mapped, uint32_t base, uint32_t size, uint32_t offset,
                               uint32_t length) {
    if (m_view) {
        if (offset == m_offset && length == m_length) return m_view;
        release(mapped);
    }
    if (length == 0) {
        if (offset >= size) return nullptr;
        length = size - offset;
        m_length = 0;
    } else {
        if (static_cast<uint64_t>(offset) + length > size) return nullptr;
        m_length = length;
    }
    const uint64_t start = static_cast<uint64_t>(base) + offset;
    if (start > UINT32_MAX) return nullptr;
    m_view = mapped.mapView(static_cast<uint32_t>(start), length);
    m_offset = offset;
    return m_view;
}

void CachedView::release(MappedFile& mapped) {
    if (m_view) mapped.unmapView(m_view);
    m_view = nullptr;
}

}  // namespace VFS
