// The process-wide state of the random generator, for tests that need a known
// starting point. Production code uses only SeedRandom and RandomInRange.
#pragma once

#include <cstdint>

namespace qinghe::random_detail {

struct RandomState {
    std::uint32_t state = 0;   // the generator's 32-bit state
    std::uint32_t offset = 0;  // added to the tick count at the next seeding
};

RandomState GetRandomState();
void SetRandomState(RandomState s);

}  // namespace qinghe::random_detail
