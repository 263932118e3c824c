// Cost of the engine's one-time and per-set-up preparation: the wavetable bank and the lookup
// tables (once per process) and the noise buffers (at every set-up of a processor).
#include "source/engine/lookuptables.h"
#include "source/engine/noisebuffers.h"
#include "source/engine/wavetablebank.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace talvane;

namespace {

// The bank as a process first meets it: fresh pages, FFTW planned for the first time. Runs once,
// before the repeated builds below warm the allocator.
void BM_SharedBankFirstUse(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(&WavetableBank::shared());
}
BENCHMARK(BM_SharedBankFirstUse)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BuildWavetableBank(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::unique_ptr<const WavetableBank> bank = WavetableBank::build();
        benchmark::DoNotOptimize(bank.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildWavetableBank)->Unit(benchmark::kMillisecond);

void BM_BuildLookupTables(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::unique_ptr<const LookupTables> tables = LookupTables::build();
        benchmark::DoNotOptimize(tables.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BuildLookupTables)->Unit(benchmark::kMillisecond);

// A processor's noise buffers as its first set-up meets them: constructing the object writes (and so
// faults in) its 4 MiB, then the set-up generates the noise.
void BM_NoiseBuffersFirstUse(benchmark::State& state)
{
    for (auto _ : state)
    {
        auto noise = std::make_unique<NoiseBuffers>();
        benchmark::ClobberMemory();
        noise->generate();
        benchmark::DoNotOptimize(noise->pinkNoise());
    }
}
BENCHMARK(BM_NoiseBuffersFirstUse)->Iterations(1)->Unit(benchmark::kMillisecond);

// Noise generation alone, as at every later set-up.
void BM_GenerateNoise(benchmark::State& state)
{
    auto noise = std::make_unique<NoiseBuffers>();
    for (auto _ : state)
    {
        noise->generate();
        benchmark::DoNotOptimize(noise->pinkNoise());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GenerateNoise)->Unit(benchmark::kMillisecond);

} // namespace
