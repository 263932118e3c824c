#include "source/processor/talvane.h"

#include "source/engine/kernels/kernelset.h"
#include "source/factory/classids.h"
#include "source/processor/parameterapplication.h"
#include "source/params/paramcurves.h"
#include "source/params/paramtable.h"
#include "source/presets/programs.h"
#include "source/processor/referenceguard.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <new>

namespace Steinberg {
namespace Vst {

namespace {
// Queued parameter changes an ordinary block may bring without the queue growing on the audio thread.
constexpr std::size_t kReservedParamEvents = 4096;
// Timeline positions run to the render capacity + 16 inclusive: a block of 0 samples carries its
// changes at position carryIn, which is 16 even when the maximum block is 0.
constexpr int32 kFlagGuardEntries = 1;
} // namespace

Talvane::Talvane() : programs(talvane::presets::factoryPrograms())
{
    setControllerClass(talvane::kControllerClassId);
    // The process context is read for its tempo (tempo-synced LFOs) and its sample rate, which
    // every context carries.
    processContextRequirements = IProcessContextRequirements::kNeedTempo;
    // Noise tables and random start phases draw from the C runtime's generator.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
        applyParameter({talvane::defaultNormalized(id), static_cast<int32>(id), 0});
}

Talvane::~Talvane() = default;

FUnknown* Talvane::createInstance(void* /*context*/)
{
    try
    {
        auto* processor = new (std::nothrow) Talvane();
        return processor ? static_cast<IAudioProcessor*>(processor) : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr; // the program table could not be built
    }
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

uint32 PLUGIN_API Talvane::getTailSamples()
{
    float values[talvane::kNumParams];
    currentParameterValues(values);
    // In Legato a note-off leaves the note sounding: it ends only when the next note takes its voice
    // or by a panic, so nothing bounds how long the instrument sounds after its input ends.
    if (talvane::indexFromNormalized(talvane::kNoteMode, values[talvane::kNoteMode]) ==
        static_cast<int>(talvane::NoteMode::Legato))
        return kInfiniteTail;
    // Otherwise the amplitude envelope's release is the longest a voice sounds after its note-off;
    // with any modulator aimed at that release time it may run to the longest release there is.
    float release = values[talvane::kARelease];
    for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
        if (talvane::nameListOf(id).names == talvane::kModDestNames &&
            talvane::indexFromNormalized(id, values[id]) == talvane::mod_dest::kAmpRelease)
            release = 1.0f;
    // A release starts at the sub-block after its note-off and leaves the output a sub-block and
    // the decimation filter's half length later.
    constexpr double kReachSamples = 2 * talvane::kSubBlockSamples + talvane::Decimator::kTaps / 2;
    const double samples = std::ceil(talvane::releaseSeconds(release) * processSetup.sampleRate) + kReachSamples;
    return static_cast<uint32>(std::min(samples, static_cast<double>(kInfiniteTail - 1)));
}

tresult PLUGIN_API Talvane::setupProcessing(ProcessSetup& setup)
{
    if (talvane::isNullReference(setup))
        return kInvalidArgument;
    if (setup.maxSamplesPerBlock < 0 ||
        !(setup.sampleRate >= kLowestSampleRate && setup.sampleRate <= kHighestSampleRate))
        return kInvalidArgument;
    // Refused before anything changes, so the stored setup and the block buffers always agree.
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
        return kResultFalse;
    // The engine's kernels need SSSE3 at least: without it the processor cannot run them.
    if (!talvane::kernels::processorSupported())
        return kResultFalse;

    updateSampleRate(setup.sampleRate);
    try
    {
        // The first set-up of the process builds the shared tables, which can run out of memory.
        engine.prepare(hostRateF, internalRateF);
    }
    catch (const std::bad_alloc&)
    {
        setUp = false;
        return kOutOfMemory;
    }
    // However long the blocks, the buffers hold one piece; process renders longer blocks piecewise.
    const int32 capacity = std::min(setup.maxSamplesPerBlock, kLongestRenderPiece);
    const bool allocated =
        engine.allocateBuffers(capacity) &&
        eventFlags.allocate(static_cast<std::size_t>(capacity + talvane::kRenderAheadSamples + kFlagGuardEntries));
    if (!allocated)
    {
        setUp = false;
        return kOutOfMemory;
    }
    eventQueue.reserve(kReservedParamEvents);
    renderCapacity = capacity;
    buffersDirty = true;
    setUp = true;
    return AudioEffect::setupProcessing(setup);
}

void Talvane::updateSampleRate(double rate)
{
    hostRate = static_cast<uint32>(rate);
    internalRate = talvane::kOversampling * hostRate;
    hostRateF = static_cast<float>(hostRate);
    internalRateF = static_cast<float>(internalRate);
    engine.setRates(hostRateF, internalRateF);
    for (const talvane::ParamRecord& record : talvane::kParamRecords)
        if (record.followsSampleRate)
            applyParameter({paramValues[record.id], static_cast<int32>(record.id), 0});
}

void Talvane::applyParameter(const ParamEvent& event)
{
    if (event.id < 0 || event.id >= talvane::kNumParams)
        return;
    paramValues[event.id] = event.value;
    talvane::applyParameterToEngine(engine, paramValues, static_cast<talvane::ParamId>(event.id),
                                    event.value);
}

} // namespace Vst
} // namespace Steinberg
