#include "source/processor/talvane.h"

#include "source/factory/classids.h"
#include "source/params/paramtable.h"
#include "source/processor/referenceguard.h"

#include <cstdlib>
#include <ctime>
#include <new>

namespace Steinberg {
namespace Vst {

namespace {
// Internal samples per host sample: the engine renders at twice the host rate.
constexpr int32 kOversampling = 2;
// Block buffers hold the block plus one sub-block of 16 host samples rendered ahead.
constexpr int32 kRenderAheadSamples = 16;
// Largest sample rate we accept; the integer rate and twice it must fit the engine's 32-bit fields.
constexpr double kMaxSampleRate = 1.0e6;
} // namespace

Talvane::Talvane()
{
    setControllerClass(talvane::kControllerClassId);
    // Noise tables and random start phases draw from the C runtime's generator.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
        applyParameter({talvane::defaultNormalized(id), static_cast<int32>(id), 0});
}

Talvane::~Talvane() = default;

FUnknown* Talvane::createInstance(void* /*context*/)
{
    auto* processor = new (std::nothrow) Talvane();
    return processor ? static_cast<IAudioProcessor*>(processor) : nullptr;
}

tresult PLUGIN_API Talvane::initialize(FUnknown* context)
{
    const tresult result = AudioEffect::initialize(context);
    if (result != kResultOk)
        return result;
    addAudioOutput(STR16("Audio Output"), SpeakerArr::kStereo, kMain, BusInfo::kDefaultActive);
    addEventInput(STR16("Event Input"), 1, kMain, BusInfo::kDefaultActive);
    return kResultOk;
}

tresult PLUGIN_API Talvane::terminate()
{
    return AudioEffect::terminate();
}

tresult PLUGIN_API Talvane::notify(IMessage* /*message*/)
{
    return kResultOk;
}

// setActive, setState and getState: talvanestate.cpp.

tresult PLUGIN_API Talvane::setBusArrangements(SpeakerArrangement* /*inputs*/, int32 numIns,
                                               SpeakerArrangement* /*outputs*/, int32 numOuts)
{
    // The instrument has no audio input, so no proposal can be taken: the output stays stereo.
    if (numIns != 1 || numOuts != 1)
        return kResultFalse;
    if (!getAudioInput(0))
        return kResultFalse;
    return kResultFalse;
}

tresult PLUGIN_API Talvane::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API Talvane::getLatencySamples()
{
    return kLatencySamples;
}

tresult PLUGIN_API Talvane::setupProcessing(ProcessSetup& setup)
{
    if (talvane::isNullReference(setup))
        return kInvalidArgument;
    if (setup.maxSamplesPerBlock < 0 || !(setup.sampleRate >= 1.0 && setup.sampleRate <= kMaxSampleRate))
        return kInvalidArgument;
    // Refused before anything changes, so the stored setup and the block buffers always agree.
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
        return kResultFalse;

    updateSampleRate(setup.sampleRate);
    if (!allocateBlockBuffers(setup.maxSamplesPerBlock))
    {
        setUp = false;
        return kOutOfMemory;
    }
    buffersDirty = true;
    setUp = true;
    return AudioEffect::setupProcessing(setup);
}

bool Talvane::allocateBlockBuffers(int32 maxSamplesPerBlock)
{
    const auto internalLength =
        static_cast<std::size_t>(kOversampling * maxSamplesPerBlock + kOversampling * kRenderAheadSamples);
    bool ok = mixL.allocate(internalLength) && mixR.allocate(internalLength);
    for (int32 slot = 0; slot < kNumVoiceSlots; ++slot)
        ok = ok && voiceOutL[slot].allocate(internalLength) && voiceOutR[slot].allocate(internalLength);
    ok = ok && eventFlags.allocate(static_cast<std::size_t>(maxSamplesPerBlock + kRenderAheadSamples));
    return ok;
}

void Talvane::updateSampleRate(double rate)
{
    hostRate = static_cast<uint32>(rate);
    internalRate = kOversampling * hostRate;
    hostRateF = static_cast<float>(hostRate);
    internalRateF = static_cast<float>(internalRate);
}

bool Talvane::isProcessDataUsable(ProcessData& data) const
{
    if (talvane::isNullReference(data) || !data.outputs || data.numOutputs < 1)
        return false;
    const AudioBusBuffers& out = data.outputs[0];
    if (out.numChannels < 2 || !out.channelBuffers32 || !out.channelBuffers32[0] || !out.channelBuffers32[1])
        return false;
    return data.numSamples >= 0 && data.numSamples <= processSetup.maxSamplesPerBlock;
}

tresult PLUGIN_API Talvane::process(ProcessData& data)
{
    if (!setUp)
        return kNotInitialized;
    if (!isProcessDataUsable(data))
        return kInvalidArgument;
    applyPendingState(); // state hook: values of a state loaded while active, before any sub-block
    const AudioBusBuffers& out = data.outputs[0];
    for (int32 channel = 0; channel < 2; ++channel)
        for (int32 i = 0; i < data.numSamples; ++i)
            out.channelBuffers32[channel][i] = 0.0f;
    publishParameterValues(); // state hook: the values getState saves while active
    return kResultOk;
}

void Talvane::applyParameter(const ParamEvent& event)
{
    if (event.id < 0 || event.id >= talvane::kNumParams)
        return;
    paramValues[event.id] = event.value;
}

} // namespace Vst
} // namespace Steinberg
