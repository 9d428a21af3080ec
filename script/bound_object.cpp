#include "script/bound_object.h"

#include <mutex>
#include <unordered_set>

namespace script {

namespace {
// Level objects may be built by loader threads, so the set has its own lock.
struct LiveSet {
    std::mutex lock;
    std::unordered_set<uint64_t> serials;
    uint64_t next = 1;
};

LiveSet& liveSet() {
    static LiveSet* set = new LiveSet;  // outlives every static object that may still be bound
    return *set;
}

uint64_t enter() {
    LiveSet& set = liveSet();
    std::lock_guard<std::mutex> guard(set.lock);
    uint64_t serial = set.next++;
    set.serials.insert(serial);
    return serial;
}
}  // namespace

BoundObject::BoundObject() : m_serial(enter()) {}

BoundObject::BoundObject(const BoundObject&) : m_serial(enter()) {}

BoundObject::~BoundObject() {
    LiveSet& set = liveSet();
    std::lock_guard<std::mutex> guard(set.lock);
    set.serials.erase(m_serial);
}

bool BoundObject::isLive(uint64_t serial) {
    if (serial == 0) return false;
    LiveSet& set = liveSet();
    std::lock_guard<std::mutex> guard(set.lock);
    return set.serials.count(serial) != 0;
}

}  // namespace script
