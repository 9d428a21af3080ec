#include "tests/support/stub_engine.h"

#include "flash/base/array.h"
#include "flash/runtime/name_tables.h"
#include "flash/runtime/standard_globals.h"

namespace testsupport {

namespace {

int g_instances = 0;

}  // namespace

stub_engine::stub_engine() {
    if (g_instances++ == 0) flash::set_standard_builtins();
    m_global = new flash::as_object(this);
    mark_alive(m_global.get_ptr());
    flash::set_standard_globals(this, m_global.get_ptr(), flash::movie_constructors());
}

stub_engine::~stub_engine() {
    m_root_movie = nullptr;
    m_global = nullptr;
    clear_heap();
    if (--g_instances == 0) {
        clear_builtins();
        flash::clear_standard_member_map();
    }
}

int stub_engine::get_instance_count() { return g_instances; }

void stub_engine::mark_alive(flash::as_object* obj) {
    if (!obj) return;
    m_heap.set(flash::smart_ptr<flash::as_object>(obj), m_pass);
}

bool stub_engine::mark_reached(flash::as_object* obj) {
    if (!obj) return false;
    const flash::smart_ptr<flash::as_object> key(obj);
    uint32_t pass = 0;
    if (m_heap.get(key, &pass) && pass == m_pass) return false;
    m_heap.set(key, m_pass);
    return true;
}

bool stub_engine::is_garbage(flash::as_object* obj) const {
    uint32_t pass = 0;
    m_heap.get(flash::smart_ptr<flash::as_object>(obj), &pass);
    return pass != m_pass;
}

bool stub_engine::is_in_heap(flash::as_object* obj) const {
    return m_heap.find_index(flash::smart_ptr<flash::as_object>(obj)) >= 0;
}

void stub_engine::clear_heap() {
    flash::array<flash::smart_ptr<flash::as_object>> objects;
    for (auto it = m_heap.begin(); it != m_heap.end(); ++it) objects.push_back(it.get_key());
    m_heap.clear();
    flash::release_cut(&objects);
}

}  // namespace testsupport
