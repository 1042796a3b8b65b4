// One surface temperature solve, as Calculate runs it.

#include <benchmark/benchmark.h>

#include "formulas/air.h"
#include "formulas/solver.h"

namespace {

struct Inputs {
    double Avail, U, Ta, Qa, P, Ch, Beta;
};

// The built-in defaults of the calculator: 26 passes.
constexpr Inputs kDefaults{520, 2, 15, 0.006305069931833698, 1013.2, 0.001, 0.2};
// A wet, windy surface (Ta 25, Rh 50 %, P 1000): 35 passes.
Inputs wetWindy() { return {960, 3, 25, valdenta::getQ(valdenta::getEfromRh(0.5, 25), 1000), 1000, 0.005, 1}; }

void solve(benchmark::State& state, Inputs in) {
    double Lu = 0, H = 0, LE = 0;
    valdenta::SolveStats stats;
    for (auto _ : state) {
        benchmark::DoNotOptimize(in);
        const double Ts =
            valdenta::solveTs(in.Avail, in.U, in.Ta, in.Qa, in.P, in.Ch, in.Beta, Lu, H, LE, &stats);
        benchmark::DoNotOptimize(Ts);
    }
    state.counters["passes"] = static_cast<double>(stats.passes);
    state.counters["time_per_pass"] = benchmark::Counter(
        static_cast<double>(stats.passes) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK_CAPTURE(solve, defaults, kDefaults);
BENCHMARK_CAPTURE(solve, wet_windy, wetWindy());
