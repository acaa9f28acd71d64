// The fast power of two against the library's exact one, over a block of 512 modulation values.
#include "components/FastMath.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace
{

constexpr int kValues = 512;

// Octaves from -4 to +4, as an FM or cutoff modulation sum spans them.
std::vector<float> octaves()
{
    std::vector<float> values(kValues);
    for (int i = 0; i < kValues; ++i)
    {
        values[static_cast<std::size_t>(i)] =
            -4.0f + 8.0f * static_cast<float>(i) / static_cast<float>(kValues);
    }
    return values;
}

template <typename Power>
void run(benchmark::State& state, Power power)
{
    const std::vector<float> in = octaves();
    std::vector<float> out(kValues);
    for (auto _ : state)
    {
        for (int i = 0; i < kValues; ++i)
        {
            out[static_cast<std::size_t>(i)] = power(in[static_cast<std::size_t>(i)]);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}

void BM_FastExp2(benchmark::State& state)
{
    run(state, [](float x) { return fastExp2(x); });
}

void BM_StdExp2(benchmark::State& state)
{
    run(state, [](float x) { return std::exp2(x); });
}

} // namespace

BENCHMARK(BM_FastExp2);
BENCHMARK(BM_StdExp2);
