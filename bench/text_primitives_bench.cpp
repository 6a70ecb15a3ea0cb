// The scanning primitives over page-sized texts: a result page is about 1 MB of
// GBK with Chinese runs between ASCII markup.
#include <benchmark/benchmark.h>

#include <string>

#include "text/text.h"

namespace {

using qinghe::Text;

// Markup and Chinese (你好 = C4E3 BAC3, with a second byte "A" pair 81 41) mixed
// like a page, about `size` bytes, with `tail` at the very end.
Text MakePage(std::size_t size, const std::string& tail) {
    const std::string block =
        "<div class=\"result c-container\" id=\"12\"><h3 class=\"t\"><a href=\"http://www.baidu."
        "com/link?url=abc\">\xC4\xE3\xBA\xC3\x81\x41\xC4\xE3\xBA\xC3 keyword \xC4\xE3\xBA\xC3</a>"
        "</h3><span>\xC4\xE3\xBA\xC3\xC4\xE3\xBA\xC3\xC4\xE3\xBA\xC3</span></div>\r\n";
    std::string page;
    page.reserve(size + block.size() + tail.size());
    while (page.size() < size)
        page += block;
    return Text(page + tail);
}

const Text& Page() {
    static const Text page = MakePage(1 << 20, "<b>site.example.cn</b>##");
    return page;
}

void BM_FindTextRareNeedle(benchmark::State& state) {
    const Text needle("site.example.cn");
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::FindText(Page(), needle, 1, false));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}
BENCHMARK(BM_FindTextRareNeedle);

void BM_FindTextFrequentFirstByte(benchmark::State& state) {
    const Text needle("<b>site");
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::FindText(Page(), needle, 1, false));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}
BENCHMARK(BM_FindTextFrequentFirstByte);

void BM_FindTextIgnoreCase(benchmark::State& state) {
    const Text needle("SITE.EXAMPLE.CN");
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::FindText(Page(), needle, 1, true));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}
BENCHMARK(BM_FindTextIgnoreCase);

// The same search written as a plain character-by-character scan, for comparison.
int StepwiseFind(const Text& text, const Text& sub) {
    const std::size_t n = text.size();
    std::size_t off = 0;
    while (n - off >= sub.size()) {
        if (text.view().compare(off, sub.size(), sub.view()) == 0)
            return static_cast<int>(off + 1);
        if (text.byte(off) >= 0x80) {
            if (off == n - 1)
                return -1;
            off += 2;
        } else {
            off += 1;
        }
    }
    return -1;
}

void BM_StepwiseFindBaseline(benchmark::State& state) {
    const Text needle("site.example.cn");
    for (auto _ : state)
        benchmark::DoNotOptimize(StepwiseFind(Page(), needle));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}
BENCHMARK(BM_StepwiseFindBaseline);

void BM_ReplaceTextEveryTag(benchmark::State& state) {
    const Text find("<h3"), replacement("<H3");
    for (auto _ : state) {
        benchmark::DoNotOptimize(qinghe::ReplaceText(Page(), find, replacement, true));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}
BENCHMARK(BM_ReplaceTextEveryTag);

void BM_SplitTextLines(benchmark::State& state) {
    const Text separator("\r\n");
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::SplitText(Page(), separator));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}
BENCHMARK(BM_SplitTextLines);

}  // namespace

BENCHMARK_MAIN();
