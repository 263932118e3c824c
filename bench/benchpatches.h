// Patches and a playing session shared by the benchmark programs.
#pragma once

#include "host/plugininstance.h"
#include "source/engine/engineconstants.h"
#include "source/params/paramtable.h"

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace talvane::bench {

using namespace Steinberg;
using namespace Steinberg::Vst;

constexpr double kRate = 44100.0;

// Three oscillators with FM and ring modulation, the filter with its envelope, both LFOs, both
// modulation envelopes and both matrices routed.
inline const std::vector<std::pair<ParamId, double>>& heavyPatch()
{
    static const std::vector<std::pair<ParamId, double>> patch = [] {
        std::vector<std::pair<ParamId, double>> p = {
            {kO2On, 1.0},          {kO3On, 1.0},
            {kFmO1O2, 0.4},        {kFm3Amount, 0.3},
            {kFm3O1O2Mix, 0.5},    {kRm1x2, 0.3},
            {kRm1x3, 0.2},         {kRm2x3, 0.2},
            {kFCutoff, 0.6},       {kFQ, 0.5},
            {kFAmount, 0.8},       {kFDecay, 0.4},
            {kFSustain, 0.3},      {kLfo1Freq, 0.3},
            {kLfo2Freq, 0.2},      {kLfo2Waveform, 0.0},
            {kEnv1Decay, 0.4},     {kEnv2Decay, 0.5},
            {kMatrix1Amount, 0.8}, {kMatrix2Amount, 0.7},
            {kO2WaveStretch, 0.6}, {kO3Waveform, normalizedFromIndex(kO3Waveform, 3)},
        };
        auto dest = [](ParamId id, int d) {
            return std::make_pair(id, static_cast<double>(normalizedFromIndex(id, d)));
        };
        p.push_back(dest(kLfo1Dest1, 15));     // OSC1 | Pitch
        p.push_back(dest(kLfo1Dest2, 7));      // FILTER | Cutoff
        p.push_back(dest(kLfo2Dest1, 18));     // OSC1 | Panning
        p.push_back(dest(kEnv1Dest1, 32));     // OSC C | FM_1_to_2
        p.push_back(dest(kEnv2Dest1, 25));     // OSC2 | Stretch
        p.push_back(dest(kMatrix1Src, 3));     // Velocity
        p.push_back(dest(kMatrix1Target1, 2)); // AMP | Volume
        p.push_back(dest(kMatrix2Src, 8));     // Lfo1
        p.push_back(dest(kMatrix2Target1, 8)); // FILTER | Q
        for (ParamId amount : {kLfo1Amount1, kLfo1Amount2, kLfo2Amount1, kEnv1Amount1, kEnv2Amount1,
                               kMatrix1Amount1, kMatrix2Amount1})
            p.emplace_back(amount, 0.7);
        return p;
    }();
    return patch;
}

// A processor and controller with `voices` held notes, already started.
struct Session
{
    Session(host::PluginModule& module, int voices, bool heavy, int32 block)
    {
        plugin.create(module.factory());
        plugin.setup(kRate, block);
        runnerStorage = std::make_unique<host::AudioProcessRunner>(plugin.processor(), block, kRate);
        host::AudioProcessRunner& runner = *runnerStorage;
        runner.keepRendered = false;
        if (heavy)
            for (const auto& [id, value] : heavyPatch())
                runner.parameterChanges.add(id, 0, value);
        // The engine keeps at most kMaxPendingNotes notes waiting to start, so the notes come in
        // batches of that many, and each batch must have started before the next arrives: a note
        // starts in a sub-block not yet rendered, which with the sub-block rendered ahead may lie
        // in the next host block (with blocks of 16, always). So after each batch the host plays
        // enough blocks to cover the sub-block rendered ahead and the one the notes start in.
        for (int v = 0; v < voices; ++v)
        {
            runner.events.noteOn(0, static_cast<int16>(40 + 3 * v), 0.8f, v);
            if ((v + 1) % kMaxPendingNotes == 0 || v + 1 == voices)
                playSamples(kStartSamples, block);
        }
    }
    host::AudioProcessRunner& runner() { return *runnerStorage; }
    host::PluginInstance plugin;
    std::unique_ptr<host::AudioProcessRunner> runnerStorage;

private:
    static constexpr int kStartSamples = kRenderAheadSamples + 2 * kSubBlockSamples;

    // Whole blocks covering at least `samples` samples.
    void playSamples(int samples, int32 block)
    {
        for (int done = 0; done < samples; done += block)
            runnerStorage->process(block);
    }
};

// The module the benchmarks load: the one this tree builds, or another build's where
// TALVANE_BENCH_MODULE names it, so that two builds run the very same sessions.
inline const char* modulePath()
{
    const char* other = std::getenv("TALVANE_BENCH_MODULE");
    return other && *other ? other : TALVANE_MODULE_PATH;
}

} // namespace talvane::bench
