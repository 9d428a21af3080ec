#pragma once
// Writer movies that start the fuzz corpus: every tag kind the reader knows, plain and compressed.
#include <vector>

#include "movie_fixture.h"

namespace movietest {

std::vector<bytes> fuzz_seeds();

}  // namespace movietest
