// The per-page path of the rank query: a fetched body through Utf8ToAnsi and
// ParseResultPage, on synthetic pages of both layouts, on a real 2021 page and on
// pages built to make the engine backtrack.
//
// --write-classic-page=FILE writes the synthetic classic page (UTF-8) and exits;
// bench/compare_python.py runs the same patterns over it with Python's re.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "query/result_page_parser.h"
#include "query_parse_pages.h"
#include "text/charset.h"
#include "text/regex.h"

namespace {

using namespace qinghe;

constexpr std::size_t kPageBytes = 1 << 20;
constexpr std::size_t kHostileBytes = 8 << 20;

// Two versions of each page, parsed in turn: a query never parses the same page
// twice, so nothing may be reused from the iteration before (the regex object
// keeps the conversion of its last subject). They differ in the letter case of
// one "Hello" in the middle of the results.
using PagePair = std::array<Bytes, 2>;

PagePair Versions(std::string page) {
    PagePair pair{Bytes(page), Bytes()};
    const std::size_t at = page.find("ello", page.size() / 2);
    if (at != std::string::npos && at > 0) {
        page[at - 1] ^= 0x20;
    }
    pair[1] = Bytes(page);
    return pair;
}

const PagePair& ClassicBodies() {
    static const PagePair bodies = Versions(pages::ClassicPage(kPageBytes, 100));
    return bodies;
}

const PagePair& ModernBodies() {
    static const PagePair bodies = Versions(pages::ModernPage(kPageBytes, 10));
    return bodies;
}

const PagePair& HelloBodies() {
    static const PagePair bodies = [] {
        std::ifstream in(std::string(QINGHE_TEST_DATA_DIR) + "/pages/modern-2021-hello.html",
                         std::ios::binary);
        return Versions(std::string(std::istreambuf_iterator<char>(in), {}));
    }();
    return bodies;
}

// Fails the benchmark when the page does not give what it should, so a figure
// never stands for a parse that found nothing.
void Check(benchmark::State& state, const ParsedPage& parsed, int blocks, int positions) {
    if (parsed.blockCount != blocks || parsed.positions.Count() != positions) {
        state.SkipWithError("unexpected parse result");
    }
}

void ConvertAndParse(benchmark::State& state, const PagePair& bodies, const Text& site,
                     int blocks, int positions) {
    RegexObject blockMatcher;
    RegexObject spanMatcher;
    for (const Bytes& body : bodies) {
        Check(state, ParseResultPage(Utf8ToAnsi(body), site, blockMatcher, spanMatcher), blocks,
              positions);
    }
    std::size_t turn = 0;
    for (auto _ : state) {
        const Bytes& body = bodies[turn++ % 2];
        benchmark::DoNotOptimize(
            ParseResultPage(Utf8ToAnsi(body), site, blockMatcher, spanMatcher));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bodies[0].size()));
}

void ParseOnly(benchmark::State& state, const PagePair& bodies, const Text& site, int blocks,
               int positions) {
    const std::array<Text, 2> texts{Utf8ToAnsi(bodies[0]), Utf8ToAnsi(bodies[1])};
    RegexObject blockMatcher;
    RegexObject spanMatcher;
    for (const Text& page : texts) {
        Check(state, ParseResultPage(page, site, blockMatcher, spanMatcher), blocks, positions);
    }
    std::size_t turn = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ParseResultPage(texts[turn++ % 2], site, blockMatcher, spanMatcher));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(texts[0].size()));
}

void BM_ConvertAndParse_ClassicSynthetic1MB(benchmark::State& state) {
    ConvertAndParse(state, ClassicBodies(), "www.target.example.com", 100, 2);
}
BENCHMARK(BM_ConvertAndParse_ClassicSynthetic1MB)->Unit(benchmark::kMillisecond);

void BM_ConvertAndParse_Modern2021Hello(benchmark::State& state) {
    ConvertAndParse(state, HelloBodies(), "www.hello.com", 11, 1);
}
BENCHMARK(BM_ConvertAndParse_Modern2021Hello)->Unit(benchmark::kMillisecond);

void BM_ConvertAndParse_ModernSynthetic1MB(benchmark::State& state) {
    ConvertAndParse(state, ModernBodies(), "www.target.example.com", 10, 1);
}
BENCHMARK(BM_ConvertAndParse_ModernSynthetic1MB)->Unit(benchmark::kMillisecond);

// The parse alone.
void BM_Parse_ClassicSynthetic1MB(benchmark::State& state) {
    ParseOnly(state, ClassicBodies(), "www.target.example.com", 100, 2);
}
BENCHMARK(BM_Parse_ClassicSynthetic1MB)->Unit(benchmark::kMillisecond);

void BM_Parse_ModernSynthetic1MB(benchmark::State& state) {
    ParseOnly(state, ModernBodies(), "www.target.example.com", 10, 1);
}
BENCHMARK(BM_Parse_ModernSynthetic1MB)->Unit(benchmark::kMillisecond);

// 8 MB built to make the engine backtrack; the goal is 200 ms a page at most.
void ParseHostile(benchmark::State& state, pages::Hostile kind) {
    const Text page(pages::HostilePage(kind, kHostileBytes));
    RegexObject blockMatcher;
    RegexObject spanMatcher;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ParseResultPage(page, "www.example.com", blockMatcher, spanMatcher));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kWriteFlag = "--write-classic-page=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kWriteFlag, std::strlen(kWriteFlag)) == 0) {
            std::ofstream out(argv[i] + std::strlen(kWriteFlag), std::ios::binary);
            out << pages::ClassicPage(kPageBytes, 100);
            return out ? 0 : 1;
        }
    }
    for (pages::Hostile kind : pages::kHostileKinds) {
        benchmark::RegisterBenchmark(
            (std::string("BM_ParseHostile8MB_") + pages::HostileName(kind)).c_str(), ParseHostile,
            kind)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
