// An engine with the instrument's default patch applied, prepared for one sample rate, for unit
// tests of the voice handling and the DSP stages.
#pragma once

#include "source/engine/synthengine.h"
#include "source/processor/parameterapplication.h"
#include "source/params/paramtable.h"

#include <memory>

namespace talvane::testing {

class EngineUnderTest
{
public:
    explicit EngineUnderTest(float hostRate = 44100.0f, int maxBlock = 512)
        : engine(std::make_unique<SynthEngine>())
    {
        engine->prepare(hostRate, 2.0f * hostRate);
        engine->allocateBuffers(maxBlock);
        engine->clearAllVoiceBuffers();
        engine->clearMix(engine->internalBufferLength());
        for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
            set(id, defaultNormalized(id));
    }

    void set(ParamId id, float normalized)
    {
        values[id] = normalized;
        applyParameterToEngine(*engine, values, id, normalized);
    }
    void setPlain(ParamId id, int plain) { set(id, normalizedFromIndex(id, plain)); }

    // A note event at `offset` of a block of `blockLength` samples with the usual carry of 16.
    void noteOn(std::int16_t pitch, int offset = 0, std::int32_t noteId = -1, int blockLength = 512)
    {
        NoteEvent e;
        e.on = true;
        e.pitch = pitch;
        e.velocity = 1.0f;
        e.noteId = noteId;
        e.sampleOffset = offset;
        engine->noteIntake(e, kRenderAheadSamples, blockLength);
    }
    void noteOff(std::int16_t pitch, int offset = 0, std::int32_t noteId = -1, int blockLength = 512)
    {
        NoteEvent e;
        e.on = false;
        e.pitch = pitch;
        e.noteId = noteId;
        e.sampleOffset = offset;
        engine->noteIntake(e, kRenderAheadSamples, blockLength);
    }

    // Renders sub-blocks at the start of the buffers, as one block of 16 samples at a time would.
    void subBlocks(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            engine->beginBlock(0);
            engine->renderSubBlock(0);
        }
    }

    VoiceState state(int slot) const { return engine->slot(slot).voice.state; }
    int playingPitch(int slot) const { return engine->slot(slot).voice.pitch; }
    int ordered() const { return engine->orderedVoiceCount(); }

    std::unique_ptr<SynthEngine> engine;
    float values[kNumParams] = {};
};

} // namespace talvane::testing
