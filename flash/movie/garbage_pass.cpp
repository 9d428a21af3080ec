#include "flash/movie/internal/garbage_pass.h"

#include <vector>

#include "flash/base/hash.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/engine_instance.h"

namespace flash {

namespace {

constexpr int no_node = -1;

// The graph of what the garbage objects reach through members, property targets, accessors and
// prototypes, with every object the pass marked left out.
class reference_graph {
public:
    explicit reference_graph(engine_instance* heap) : m_heap(heap) {}

    int node_of(as_object* obj) {
        if (!obj) return no_node;
        int index = no_node;
        if (m_index.get(obj, &index)) return index;
        if (is_marked(obj)) return no_node;
        index = static_cast<int>(m_nodes.size());
        m_index.add(obj, index);
        m_nodes.push_back(obj);
        m_edges.emplace_back();
        return index;
    }

    // Follows references breadth first; nodes found on the way join the end.
    void build() {
        for (size_t n = 0; n < m_nodes.size(); ++n) {
            as_object* obj = m_nodes[n];
            add_edge(n, obj->get_proto());
            for (auto it = obj->get_members().begin(); it != obj->get_members().end(); ++it) {
                const as_value& member = it.get_value();
                if (member.is_object()) {
                    add_edge(n, member.to_object());
                } else if (member.is_property()) {
                    add_edge(n, member.get_property_target());
                    if (as_property* property = member.to_property()) {
                        add_edge(n, property->get_getter());
                        add_edge(n, property->get_setter());
                    }
                }
            }
        }
    }

    // Strongly connected components (iterative, so long chains cannot exhaust the stack).
    void find_components() {
        const int count = static_cast<int>(m_nodes.size());
        m_component.assign(count, no_node);
        std::vector<int> order(count, no_node);
        std::vector<int> low(count, 0);
        std::vector<bool> on_stack(count, false);
        std::vector<int> stack;
        struct frame {
            int node;
            size_t next_edge;
        };
        std::vector<frame> calls;
        int counter = 0;
        int components = 0;
        for (int start = 0; start < count; ++start) {
            if (order[start] != no_node) continue;
            calls.push_back({start, 0});
            order[start] = low[start] = counter++;
            stack.push_back(start);
            on_stack[start] = true;
            while (!calls.empty()) {
                frame& f = calls.back();
                const std::vector<int>& out = m_edges[f.node];
                if (f.next_edge < out.size()) {
                    const int to = out[f.next_edge++];
                    if (order[to] == no_node) {
                        order[to] = low[to] = counter++;
                        stack.push_back(to);
                        on_stack[to] = true;
                        calls.push_back({to, 0});
                    } else if (on_stack[to] && order[to] < low[f.node]) {
                        low[f.node] = order[to];
                    }
                    continue;
                }
                const int node = f.node;
                calls.pop_back();
                if (!calls.empty() && low[node] < low[calls.back().node]) low[calls.back().node] = low[node];
                if (low[node] != order[node]) continue;
                int member = no_node;
                do {
                    member = stack.back();
                    stack.pop_back();
                    on_stack[member] = false;
                    m_component[member] = components;
                } while (member != node);
                ++components;
            }
        }
    }

    // Drops every member and property binding that points from one object of a cycle to a heap
    // object of the same cycle; the heap still holds those, so nothing dies here.
    void cut_cycles() {
        for (size_t n = 0; n < m_nodes.size(); ++n) {
            as_object* obj = m_nodes[n];
            for (auto it = obj->get_members().begin(); it != obj->get_members().end(); ++it) {
                as_value& member = it.get_value();
                if (member.is_object()) {
                    if (closes_cycle(n, member.to_object())) member.set_undefined();
                } else if (member.is_property()) {
                    if (closes_cycle(n, member.get_property_target())) member.set_property_target(nullptr);
                }
            }
        }
    }

private:
    bool is_marked(as_object* obj) const { return m_heap->is_in_heap(obj) && !m_heap->is_garbage(obj); }

    void add_edge(size_t from, as_object* to) {
        const int node = node_of(to);
        if (node != no_node) m_edges[from].push_back(node);
    }

    bool closes_cycle(size_t from, as_object* to) {
        if (!to || !m_heap->is_in_heap(to)) return false;
        int node = no_node;
        if (!m_index.get(to, &node)) return false;
        return m_component[node] == m_component[from];
    }

    engine_instance* m_heap;
    hash<as_object*, int> m_index;
    std::vector<as_object*> m_nodes;
    std::vector<std::vector<int>> m_edges;
    std::vector<int> m_component;
};

}  // namespace

void cut_garbage_cycles(engine_instance* heap, const array<as_object*>& garbage) {
    if (!heap || garbage.size() == 0) return;
    {
        reference_graph graph(heap);
        for (int i = 0; i < garbage.size(); ++i) graph.node_of(garbage[i]);
        graph.build();
        graph.find_components();
        graph.cut_cycles();
    }
    // Characters also hold what their display lists and script environments keep, which their own
    // cycle cutting reaches; few of them fall out of a frame.
    for (int i = 0; i < garbage.size(); ++i) {
        as_object* obj = garbage[i];
        if (obj->is_character() && obj->get_ref_count() > 1) {
            hash<as_object*, bool> visited;
            obj->clear_refs(&visited, obj);
        }
    }
}

}  // namespace flash
