// How fast and how light the instrument is, measured through the built module as a host drives it,
// and stage by stage inside the engine.
#include "bench/benchpatches.h"
#include "host/plugininstance.h"
#include "source/engine/denormalguard.h"
#include "source/engine/lookuptables.h"
#include "source/engine/synthengine.h"
#include "source/engine/wavetablebank.h"
#include "source/processor/parameterapplication.h"
#include "source/params/paramtable.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace talvane;

namespace {

using bench::heavyPatch;
using bench::kRate;
using bench::Session;
constexpr int kSecondsPerIteration = 1;

host::PluginModule& module()
{
    static host::PluginModule* m = [] {
        auto* loaded = new host::PluginModule();
        if (!loaded->load(talvane::bench::modulePath()))
            std::fprintf(stderr, "%s\n", loaded->error().c_str());
        return loaded;
    }();
    return *m;
}

// The first setupProcessing of the process pays for the shared tables; later ones only for the
// instance's own noise and buffers.
void BM_FirstSetup(benchmark::State& state)
{
    for (auto _ : state)
    {
        host::PluginInstance plugin;
        plugin.create(module().factory());
        const auto start = std::chrono::steady_clock::now();
        plugin.setup(kRate, 512);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_FirstSetup)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Memory an added instance costs, block buffers for 512-sample blocks included. Measured in a process
// of its own: memory that renders free stays resident and would be reused by the new instances.
void BM_MemoryPerInstance(benchmark::State& state)
{
    constexpr int kInstances = 16;
    for (auto _ : state)
    {
        std::vector<std::unique_ptr<Session>> sessions;
        sessions.push_back(std::make_unique<Session>(module(), 1, false, 512)); // tables and code paged in
        const long before = residentBytes();
        for (int i = 0; i < kInstances; ++i)
            sessions.push_back(std::make_unique<Session>(module(), 1, false, 512));
        const long after = residentBytes();
        state.counters["MiB_per_instance"] =
            static_cast<double>(after - before) / kInstances / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_MemoryPerInstance)->Iterations(1)->Unit(benchmark::kMillisecond);

void renderSeconds(benchmark::State& state, int voices, bool heavy, int32 block)
{
    Session session(module(), voices, heavy, block);
    const int blocksPerIteration = static_cast<int>(kSecondsPerIteration * kRate) / block;
    for (auto _ : state)
        for (int b = 0; b < blocksPerIteration; ++b)
            session.runner().process(block);
    const double audioSeconds = static_cast<double>(state.iterations()) * blocksPerIteration * block / kRate;
    state.counters["realtime_x"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
    state.counters["voices"] = voices;
}

// A shared machine only ever adds time to a run, so beside the median the report gives the best run:
// the highest real-time factor of the repetitions.
double largest(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

void overVoiceCounts(benchmark::internal::Benchmark* family)
{
    family->ComputeStatistics("max", largest)
        ->Arg(1)
        ->Arg(2)
        ->Arg(4)
        ->Arg(8)
        ->Arg(16)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

void BM_DefaultPatch(benchmark::State& state)
{
    renderSeconds(state, static_cast<int>(state.range(0)), false, 512);
}
BENCHMARK(BM_DefaultPatch)->Apply(overVoiceCounts);

void BM_HeavyPatch(benchmark::State& state)
{
    renderSeconds(state, static_cast<int>(state.range(0)), true, 512);
}
BENCHMARK(BM_HeavyPatch)->Apply(overVoiceCounts);

void BM_HeavyByBlockSize(benchmark::State& state)
{
    renderSeconds(state, 16, true, static_cast<int32>(state.range(0)));
}
BENCHMARK(BM_HeavyByBlockSize)
    ->ComputeStatistics("max", largest)
    ->Arg(16)
    ->Arg(64)
    ->Arg(256)
    ->Arg(1024)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_LaterSetup(benchmark::State& state)
{
    host::PluginInstance plugin;
    plugin.create(module().factory());
    ProcessSetup setup{kRealtime, kSample32, 512, kRate};
    for (auto _ : state)
        plugin.processor()->setupProcessing(setup);
}
BENCHMARK(BM_LaterSetup)->Unit(benchmark::kMillisecond);

// ---- stages on their own, inside the engine ----

// Sixteen playing voices of one engine, copied out so each stage can be run on its own, as the
// engine runs it: all voices side by side.
struct StageBench
{
    static constexpr int kVoices = 16;

    explicit StageBench(bool heavy)
    {
        engine = std::make_unique<SynthEngine>();
        engine->prepare(static_cast<float>(kRate), static_cast<float>(2 * kRate));
        engine->allocateBuffers(512);
        engine->clearAllVoiceBuffers();
        for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
            apply(id, defaultNormalized(id));
        if (heavy)
            for (const auto& [id, value] : heavyPatch())
                apply(id, static_cast<float>(value));
        for (int v = 0; v < kVoices; ++v)
        {
            NoteEvent note;
            note.pitch = static_cast<std::int16_t>(40 + 3 * v);
            note.velocity = 0.8f;
            note.noteId = v;
            engine->noteIntake(note, 16, 512);
            if (v % kMaxPendingNotes == kMaxPendingNotes - 1)
                for (int i = 0; i < 3; ++i)
                    engine->renderSubBlock(0);
        }
        for (int i = 0; i < 4; ++i)
            engine->renderSubBlock(0);
        for (int v = 0; v < kVoices; ++v)
        {
            slots[v] = engine->slot(v);
            oscillatorVoices[v] = {&slots[v].osc, slots[v].voice.currentPitch, &slots[v].mod.bus};
            filterVoices[v] = {&slots[v].filter, &slots[v].mod.bus, 0.5f};
        }
    }
    void apply(ParamId id, float x)
    {
        values[id] = x;
        applyParameterToEngine(*engine, values, id, x);
    }
    // Reports the time of one iteration divided among the voices.
    static void perVoice(benchmark::State& state)
    {
        state.counters["ns_per_voice"] =
            benchmark::Counter(static_cast<double>(state.iterations()) * kVoices,
                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    }

    DenormalGuard denormals; // as process() runs the engine
    std::unique_ptr<SynthEngine> engine;
    float values[kNumParams] = {};
    VoiceSlot slots[kVoices];
    OscillatorVoice oscillatorVoices[kVoices];
    FilterVoice filterVoices[kVoices];
    VoiceLanes lanes = {};
};

void BM_OscillatorStage(benchmark::State& state)
{
    StageBench b(state.range(0) != 0);
    for (auto _ : state)
    {
        b.engine->oscillators.renderVoices(b.oscillatorVoices, StageBench::kVoices,
                                           b.engine->modulation.routing, b.lanes);
        benchmark::DoNotOptimize(b.lanes);
    }
    StageBench::perVoice(state);
    state.SetLabel(state.range(0) ? "heavy patch, one sub-block" : "default patch, one sub-block");
}
BENCHMARK(BM_OscillatorStage)->Arg(0)->Arg(1);

void BM_FilterStage(benchmark::State& state)
{
    StageBench b(state.range(0) != 0);
    for (auto _ : state)
    {
        b.engine->filter.renderVoices(b.filterVoices, StageBench::kVoices, b.lanes);
        benchmark::DoNotOptimize(b.lanes);
    }
    StageBench::perVoice(state);
    state.SetLabel(state.range(0) ? "heavy patch, one sub-block" : "default patch, one sub-block");
}
BENCHMARK(BM_FilterStage)->Arg(0)->Arg(1);

void BM_ModulationStage(benchmark::State& state)
{
    StageBench b(state.range(0) != 0);
    for (auto _ : state)
    {
        b.engine->modulation.beginSubBlock();
        ModulationVoiceState* states[StageBench::kVoices];
        for (int v = 0; v < StageBench::kVoices; ++v)
            states[v] = &b.slots[v].mod;
        b.engine->modulation.advanceLfos(states, StageBench::kVoices);
        for (VoiceSlot& slot : b.slots)
            b.engine->modulation.run(slot.mod, slot.voice.velocity);
        benchmark::DoNotOptimize(b.slots);
    }
    StageBench::perVoice(state);
    state.SetLabel(state.range(0) ? "heavy patch, one sub-block" : "default patch, one sub-block");
}
BENCHMARK(BM_ModulationStage)->Arg(0)->Arg(1);

} // namespace
