#pragma once
// An engine instance without the movie library, for the runtime's own tests: a global object
// with the standard members (no MovieClip, MovieClipLoader or TextField), the shared builtin
// tables, a script heap that marks and sweeps nothing by itself, and a root movie the test
// names. There is no root, so nothing advances.
#include <cstdint>

#include "flash/base/hash.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/engine_instance.h"

namespace testsupport {

class stub_engine : public flash::engine_instance {
public:
    stub_engine();
    ~stub_engine() override;
    stub_engine(const stub_engine&) = delete;
    stub_engine& operator=(const stub_engine&) = delete;

    flash::as_object* get_global() const override { return m_global.get_ptr(); }
    void mark_alive(flash::as_object* obj) override;
    bool is_garbage(flash::as_object* obj) const override;
    bool is_in_heap(flash::as_object* obj) const override;
    bool mark_reached(flash::as_object* obj) override;
    flash::root* get_root() override { return nullptr; }
    flash::as_object* get_root_movie() const override { return m_root_movie.get_ptr(); }
    uint64_t get_start_time() const override { return 0; }

    void set_root_movie(flash::as_object* movie) { m_root_movie = movie; }
    // Starts a marking pass: every object of the heap reads as garbage until marked again.
    void set_as_garbage() { ++m_pass; }
    int get_heap_size() const { return m_heap.size(); }
    // Lets every object of the heap go, cutting their members and prototypes first, so that
    // cycles between them are freed too.
    void clear_heap();

    static int get_instance_count();

private:
    flash::smart_ptr<flash::as_object> m_global;
    flash::smart_ptr<flash::as_object> m_root_movie;
    // Per object, the pass that last marked it.
    flash::hash<flash::smart_ptr<flash::as_object>, uint32_t> m_heap;
    uint32_t m_pass = 1;
};

}  // namespace testsupport
