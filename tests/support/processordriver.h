// Drives a processor object directly (not through the module) with host-side parameter changes,
// note events and a process context, for tests that also look at its internal state.
#pragma once

#include "host/plugininstance.h"
#include "source/params/paramtable.h"
#include "source/processor/talvane.h"

#include "base/source/fobject.h"

#include <cstdlib>
#include <vector>

namespace talvane::testing {

class ProcessorDriver
{
public:
    // A non-zero seed makes the noise and random phases repeatable: the processor seeds the C
    // runtime's generator with the time, so the test seeds it again before the set-up.
    explicit ProcessorDriver(double sampleRate = 44100.0, Steinberg::int32 maxBlock = 1024, unsigned seed = 0)
        : processor(Steinberg::owned(new Steinberg::Vst::Talvane())),
          runner(processor.get(), maxBlock, sampleRate)
    {
        if (seed != 0)
            std::srand(seed);
        Steinberg::Vst::ProcessSetup setup{Steinberg::Vst::kRealtime, Steinberg::Vst::kSample32, maxBlock,
                                           sampleRate};
        processor->setupProcessing(setup);
    }

    Steinberg::Vst::Talvane& plugin() { return *processor; }
    const SynthEngine& engine() { return processor->synthEngine(); }

    // Queues for the next block.
    void set(ParamId id, double normalized, Steinberg::int32 offset = 0)
    {
        runner.parameterChanges.add(id, offset, normalized);
    }
    void setPlain(ParamId id, int plain, Steinberg::int32 offset = 0)
    {
        set(id, normalizedFromIndex(id, plain), offset);
    }
    void noteOn(Steinberg::int16 pitch, Steinberg::int32 offset = 0, float velocity = 1.0f,
                Steinberg::int32 noteId = -1)
    {
        runner.events.noteOn(offset, pitch, velocity, noteId);
    }
    void noteOff(Steinberg::int16 pitch, Steinberg::int32 offset = 0, Steinberg::int32 noteId = -1)
    {
        runner.events.noteOff(offset, pitch, noteId);
    }

    Steinberg::tresult process(Steinberg::int32 numSamples) { return runner.process(numSamples); }
    // Processes `total` samples in blocks of `block` (the last one shorter).
    void run(Steinberg::int32 total, Steinberg::int32 block)
    {
        while (total > 0)
        {
            const Steinberg::int32 n = total < block ? total : block;
            process(n);
            total -= n;
        }
    }

    const std::vector<float>& left() const { return runner.renderedLeft; }
    const std::vector<float>& right() const { return runner.renderedRight; }

    // First rendered sample (left channel) whose magnitude exceeds `threshold`, or -1.
    long firstSoundAt(float threshold = 0.0f) const
    {
        for (size_t i = 0; i < runner.renderedLeft.size(); ++i)
            if (runner.renderedLeft[i] > threshold || runner.renderedLeft[i] < -threshold)
                return static_cast<long>(i);
        return -1;
    }

    Steinberg::IPtr<Steinberg::Vst::Talvane> processor;
    host::AudioProcessRunner runner;
};

} // namespace talvane::testing
