#include <algorithm>
#include <chrono>
#include <climits>
#include <utility>

#include "text/random_state.h"
#include "text/text.h"

namespace qinghe {

namespace {

// Single-threaded by design (everything runs on the GUI thread), so plain
// process-wide values are enough.
random_detail::RandomState g_random;

int Draw() {
    g_random.state = g_random.state * 214013u + 2531011u;
    return static_cast<int>((g_random.state >> 16) & 0x7FFFu);
}

}  // namespace

namespace random_detail {
RandomState GetRandomState() {
    return g_random;
}
void SetRandomState(RandomState s) {
    g_random = s;
}
}  // namespace random_detail

std::uint32_t TickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

void SeedRandom() {
    SeedRandomWithTick(TickCount());
}

void SeedRandomWithTick(std::uint32_t tick) {
    // The offset keeps two seedings within the same millisecond apart.
    g_random.state = tick + g_random.offset;
    g_random.offset += (g_random.state & 0xFFu) + 100u;
}

int RandomInRange(int lo, int hi) {
    if (lo < 0)
        lo = 0;
    if (hi < 0)
        hi = 0;
    if (lo > hi)
        std::swap(lo, hi);
    if (lo == hi)
        return lo;
    // hi - lo cannot overflow once both are non-negative; the cap keeps span + 1
    // within int.
    const int span = std::min(hi - lo, INT_MAX - 1);
    return lo + Draw() % (span + 1);
}

}  // namespace qinghe
