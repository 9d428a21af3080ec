// The libFuzzer entry over cache-file reading; the ordinary tests run the same entry over damaged
// copies of a good cache file.
#include "cache_fixture.h"
#include "tests/support/fuzz_target.h"

TOV_FUZZ_TARGET(movietest::read_cache_bytes(data, size))
