// Member access of script objects: gets and sets through a three-level prototype chain.
#include <benchmark/benchmark.h>

#include "flash/movie/player.h"
#include "flash/runtime/as_object.h"

namespace {

using flash::as_object;
using flash::as_value;
using flash::smart_ptr;

struct chain {
    smart_ptr<flash::player> p{new flash::player};
    smart_ptr<as_object> base{new as_object(p)};
    smart_ptr<as_object> middle{new as_object(p)};
    smart_ptr<as_object> top{new as_object(p)};
    chain() {
        for (int i = 0; i < 8; ++i) {
            base->set_member(flash::bx_string::format("base%d", i), as_value(i));
            middle->set_member(flash::bx_string::format("middle%d", i), as_value(i));
            top->set_member(flash::bx_string::format("own%d", i), as_value(i));
        }
        middle->set_proto(base);
        top->set_proto(middle);
    }
};

// 10^6 reads of a member found two prototypes up, then 10^6 writes of own members.
void BM_MemberGetSetThroughPrototypes(benchmark::State& state) {
    chain c;
    const flash::bx_stringi inherited("base3");
    const flash::bx_stringi own("own5");
    for (auto _ : state) {
        double sum = 0;
        as_value v;
        for (int i = 0; i < 1000000; ++i) {
            c.top->get_member(inherited, &v);
            sum += v.to_number();
        }
        for (int i = 0; i < 1000000; ++i) c.top->set_member(own, as_value(i));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2000000);
}
BENCHMARK(BM_MemberGetSetThroughPrototypes)->Unit(benchmark::kMillisecond);

void BM_MemberGetMiss(benchmark::State& state) {
    chain c;
    const flash::bx_stringi missing("nowhere");
    as_value v;
    for (auto _ : state) benchmark::DoNotOptimize(c.top->get_member(missing, &v));
}
BENCHMARK(BM_MemberGetMiss);

}  // namespace
