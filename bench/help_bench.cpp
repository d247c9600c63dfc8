// The help window's own work on the GUI thread: reading the shipped pages
// (contents, index, every page's text) when the window opens, a search, and
// a page of the largest size read, made of links or of broken markup, which
// must stay linear.
#include <benchmark/benchmark.h>

#include <string>

#include "help/help_book.h"
#include "help/help_text.h"

namespace tamberline {
namespace {

constexpr size_t kLargestPage = 1 << 20;

std::string Repeat(const std::string& piece) {
    std::string text;
    text.reserve(kLargestPage + piece.size());
    while (text.size() < kLargestPage) {
        text += piece;
    }
    return text;
}

void BM_LoadShippedPages(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadHelpBook(HELP_PAGES_DIR));
    }
}
BENCHMARK(BM_LoadShippedPages)->Unit(benchmark::kMillisecond);

void BM_SearchShippedPages(benchmark::State& state) {
    const HelpBook book = LoadHelpBook(HELP_PAGES_DIR);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SearchPages(book.pages, "stop groups"));
    }
}
BENCHMARK(BM_SearchShippedPages)->Unit(benchmark::kMicrosecond);

void ReadLargestPage(benchmark::State& state, const std::string& piece) {
    const std::string page = Repeat(piece);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadLinkList(page));
        benchmark::DoNotOptimize(PlainText(page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK_CAPTURE(ReadLargestPage, Links, std::string("<ul><li><a href=\"a.htm#x\">Topic</a>"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadLargestPage, UnclosedTags, std::string("<a href='"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadLargestPage, Entities, std::string("&amp;&lt;&"))
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tamberline
