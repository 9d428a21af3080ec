#pragma once
// Native objects that scripts may hold by pointer announce their life here. A handle pushed to a
// script remembers the object's serial; once the object is gone its serial is no longer live and
// the handle reads as nil instead of pointing at freed memory. Serials are never reused, so a new
// object at the same address cannot be mistaken for the old one.
#include <cstdint>

namespace script {

class BoundObject {
public:
    BoundObject();
    BoundObject(const BoundObject&);
    BoundObject& operator=(const BoundObject&) { return *this; }
    virtual ~BoundObject();

    uint64_t boundSerial() const { return m_serial; }

    // True while the object that received `serial` exists (0 is never live).
    static bool isLive(uint64_t serial);

private:
    uint64_t m_serial;
};

}  // namespace script
