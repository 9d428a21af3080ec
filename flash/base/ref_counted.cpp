#include "flash/base/ref_counted.h"

namespace flash {

weak_pointee_mixin::~weak_pointee_mixin() {
    if (m_weak_proxy) {
        m_weak_proxy->notify_object_died();
        m_weak_proxy->drop_ref();
        m_weak_proxy = nullptr;
    }
}

weak_proxy* weak_pointee_mixin::get_weak_proxy() const {
    if (!m_weak_proxy) {
        m_weak_proxy = new weak_proxy;
        m_weak_proxy->add_ref();
    }
    return m_weak_proxy;
}

}  // namespace flash
