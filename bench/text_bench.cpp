#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "charset_icu_reference.h"
#include "synthetic_pages.h"
#include "text/charset.h"
#include "text/regex.h"

namespace {

using qinghe::Bytes;
using qinghe::RegexObject;
using qinghe::Text;

const Text kBlockPattern = R"re(<table.*?id="(.*?)"[\s\S]*?</table>)re";
const Text kSpanPattern = "<span class=.g.>.*?</span>";

const std::string& ClassicPageUtf8() {
    static const std::string page = qinghe::synthetic::ClassicPage();
    return page;
}

const Text& ClassicPageGbk() {
    static const Text page = qinghe::Utf8ToAnsi(Bytes(ClassicPageUtf8()));
    return page;
}

std::string ReadPage(const char* name) {
    std::ifstream in(std::string(QINGHE_TEST_DATA_DIR) + "/pages/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BM_Utf8ToAnsi_SyntheticPage(benchmark::State& state) {
    const Bytes page(ClassicPageUtf8());
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::Utf8ToAnsi(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Utf8ToAnsi_SyntheticPage);

void BM_Utf8ToAnsi_RealPage(benchmark::State& state) {
    const Bytes page(ReadPage("modern-2021-hello.html"));
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::Utf8ToAnsi(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Utf8ToAnsi_RealPage);

// The same conversion done plainly with ICU's converters, for comparison.
void BM_Utf8ToAnsi_PlainIcu(benchmark::State& state) {
    qinghe::testing::IcuReference icu;
    const std::string& page = ClassicPageUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(icu.Utf8ToAnsi(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Utf8ToAnsi_PlainIcu);

void BM_AnsiToUtf8_SyntheticPage(benchmark::State& state) {
    const Text& page = ClassicPageGbk();
    for (auto _ : state)
        benchmark::DoNotOptimize(qinghe::AnsiToUtf8(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_AnsiToUtf8_SyntheticPage);

// What the result parsing does with the block matcher: one search over the
// page, then every match and its id read back.
void BM_RegexObject_BlockPattern(benchmark::State& state) {
    const Text& page = ClassicPageGbk();
    std::size_t read = 0;
    for (auto _ : state) {
        RegexObject blocks;
        blocks.Search(kBlockPattern, page);
        for (int n = 1; n <= blocks.MatchCount(); ++n) {
            read += blocks.MatchText(n).size() + blocks.SubMatchText(n, 1).size();
        }
        if (blocks.MatchCount() != 100 || blocks.HitLimit())
            state.SkipWithError("wrong matches");
    }
    benchmark::DoNotOptimize(read);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_RegexObject_BlockPattern)->Unit(benchmark::kMillisecond);

// The span matcher over every block of the page, as the parser runs it.
void BM_RegexObject_SpanPatternPerBlock(benchmark::State& state) {
    RegexObject blocks;
    blocks.Search(kBlockPattern, ClassicPageGbk());
    std::size_t bytes = 0;
    for (int n = 1; n <= blocks.MatchCount(); ++n)
        bytes += blocks.MatchText(n).size();
    for (auto _ : state) {
        RegexObject spans;
        for (int n = 1; n <= blocks.MatchCount(); ++n) {
            spans.Search(kSpanPattern, blocks.MatchText(n));
            benchmark::DoNotOptimize(spans.MatchText(1));
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_RegexObject_SpanPatternPerBlock)->Unit(benchmark::kMillisecond);

// 8 MB on one line of table tags that never close.
void BM_RegexObject_Hostile8MB(benchmark::State& state) {
    const Text page(qinghe::synthetic::HostilePage(8 << 20));
    bool hitLimit = false;
    for (auto _ : state) {
        RegexObject blocks;
        blocks.Search(kBlockPattern, page);
        if (blocks.MatchCount() != 0)
            state.SkipWithError("a match where none can be");
        hitLimit = blocks.HitLimit();
    }
    state.counters["hit_limit"] = hitLimit ? 1 : 0;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_RegexObject_Hostile8MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
