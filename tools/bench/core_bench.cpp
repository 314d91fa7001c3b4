// Costs of the mobile core at the built-in mobile's size and 10, 100 and
// 1000 times larger: parsing, the one-off preparation and one frame's angles.
#include <benchmark/benchmark.h>

#include "mobile/parser.h"
#include "mobile/platform.h"
#include "scene/dynamics.h"
#include "tools/bench/generate.h"

static void Discard(const char*, uint32_t, void*) {}

static void ScaleArguments(benchmark::internal::Benchmark* bench) {
    for (int scale : {1, 10, 100, 1000})
        bench->Arg(scale);
}

static void Parsed(Mobile& mobile, const std::string& text) {
    SetTestClock(1000);
    ParseMobileDescription(mobile, text.data(), (uint32_t)text.size(), Discard);
}

static void Parse(benchmark::State& state) {
    std::string text = GenerateDescription((int)state.range(0));
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        Mobile mobile = {};
        ParseMobileDescription(mobile, text.data(), (uint32_t)text.size(), Discard);
        benchmark::DoNotOptimize(mobile.items.data);
        FreeMobile(mobile);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)text.size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(Parse)->Apply(ScaleArguments)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

static void Prepare(benchmark::State& state) {
    Mobile mobile = {};
    Parsed(mobile, GenerateDescription((int)state.range(0)));
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        PrepareDynamics(mobile, 1);
        benchmark::DoNotOptimize(mobile.items.data);
    }
    state.SetItemsProcessed((int64_t)state.iterations() * mobile.reachable.count);
    state.SetComplexityN(state.range(0));
    FreeMobile(mobile);
}
BENCHMARK(Prepare)->Apply(ScaleArguments)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

static void Frame(benchmark::State& state) {
    Mobile mobile = {};
    Parsed(mobile, GenerateDescription((int)state.range(0)));
    uint32_t now = 1000;
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the library's loop
        SetTestClock(now += 50);
        UpdateAngles(mobile);
        benchmark::DoNotOptimize(mobile.items.data);
    }
    state.SetItemsProcessed((int64_t)state.iterations() * mobile.reachable.count);
    state.SetComplexityN(state.range(0));
    FreeMobile(mobile);
}
BENCHMARK(Frame)->Apply(ScaleArguments)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

BENCHMARK_MAIN();
