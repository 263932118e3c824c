// Drives the built module as a careless host might: set-ups at any rate and maximum block size,
// blocks of any length with parameter points and notes of any ID, value, offset, pitch, velocity and
// tuning, calls without outputs, random and damaged states. Every block's output must be finite and
// within the documented bound, and a saved state always whole and valid.
#include "tests/fuzz/fuzzsupport.h"

#include "source/engine/outputbound.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int32 kLongestBlock = 20000; // beyond one render piece
constexpr int kMostCommands = 24;

double pickRate(FuzzedDataProvider& in)
{
    static const double kRates[] = {1000.0, 1234.5678, 8000.0, 11025.0, 22050.0, 32000.0, 44100.0,
                                    48000.0, 96000.0, 192000.0, 384000.0, 1234567.8, 2000000.0};
    if (in.ConsumeBool())
        return in.PickValueInArray(kRates);
    return in.ConsumeFloatingPoint<double>(); // mostly refused: any double
}

int32 pickMaxBlock(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3))
    {
    case 0: return in.ConsumeIntegralInRange<int32>(0, 64);
    case 1: return in.ConsumeIntegralInRange<int32>(0, kLongestBlock);
    case 2: return INT_MAX;
    default: return in.ConsumeIntegral<int32>();
    }
}

int32 pickOffset(FuzzedDataProvider& in, int32 blockLength)
{
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<int32>(0, std::max(blockLength - 1, 0))
                            : in.ConsumeIntegral<int32>();
}

template <typename Real>
Real pickValue(FuzzedDataProvider& in, Real low, Real high)
{
    return in.ConsumeBool() ? in.ConsumeFloatingPointInRange<Real>(low, high) : in.ConsumeFloatingPoint<Real>();
}

class Session
{
public:
    Session()
    {
        if (!instance.create(talvane::fuzz::module().factory()))
            talvane::fuzz::fail("the module's classes could not be created");
        if (!instance.saveState(defaults))
            talvane::fuzz::fail("a new processor saved no state");
    }

    // One processor serves every input, since a set-up (the noise tables, the clearing of a 32 MiB
    // object) costs far more than a block. Each input starts from the default sound with every voice
    // silenced, and sets the processor up anew only now and then.
    void beginInput(FuzzedDataProvider& in)
    {
        if (!runner || in.ConsumeIntegralInRange(0, 7) == 0)
            setup(in);
        instance.loadState(defaults);
        if (runner)
        {
            runner->parameterChanges.add(talvane::kPanic, 0, 1.0);
            runner->process(0);
        }
    }

    void setup(FuzzedDataProvider& in)
    {
        const double rate = pickRate(in);
        const int32 maxBlock = pickMaxBlock(in);
        instance.stop();
        if (instance.setup(rate, maxBlock) != kResultOk)
            return;
        runner = std::make_unique<talvane::host::AudioProcessRunner>(instance.processor(), kLongestBlock, rate);
        runner->keepRendered = false;
        longestBlock = std::min(maxBlock, kLongestBlock);
    }

    void block(FuzzedDataProvider& in)
    {
        if (!runner)
            return;
        // Mostly ordinary blocks; now and then one longer than a render piece.
        const int32 length = in.ConsumeIntegralInRange<int32>(0, in.ConsumeBool() ? std::min(longestBlock, 512) : longestBlock);
        const int points = in.ConsumeIntegralInRange(0, 12);
        for (int i = 0; i < points; ++i)
        {
            const ParamID id = in.ConsumeBool() ? in.ConsumeIntegralInRange<ParamID>(0, talvane::kNumParams - 1)
                                                : in.ConsumeIntegral<ParamID>();
            runner->parameterChanges.add(id, pickOffset(in, length), pickValue(in, 0.0, 1.0));
        }
        const int notes = in.ConsumeIntegralInRange(0, 10);
        for (int i = 0; i < notes; ++i)
        {
            const int32 offset = pickOffset(in, length);
            const int16 pitch = in.ConsumeBool() ? in.ConsumeIntegralInRange<int16>(0, 127) : in.ConsumeIntegral<int16>();
            const int32 noteId = in.ConsumeIntegralInRange<int32>(-1, 8);
            if (in.ConsumeBool())
                runner->events.noteOn(offset, pitch, pickValue(in, 0.0f, 1.0f), noteId, 0,
                                      pickValue(in, -100.0f, 100.0f));
            else
                runner->events.noteOff(offset, pitch, noteId);
        }
        runner->sendContext = in.ConsumeBool();
        if (in.ConsumeBool())
        {
            runner->context.tempo = pickValue(in, 20.0, 300.0);
            runner->context.state = in.ConsumeIntegral<uint32>();
        }
        if (runner->process(length) != kResultOk)
            talvane::fuzz::fail("a block within the set-up was refused");
        for (const std::vector<float>* channel : {&runner->left, &runner->right})
            for (int32 i = 0; i < length; ++i)
            {
                const float x = (*channel)[static_cast<size_t>(i)];
                if (!std::isfinite(x))
                    talvane::fuzz::fail("a non-finite output sample");
                if (std::fabs(x) > talvane::kOutputBound)
                    talvane::fuzz::fail("an output sample beyond the documented bound");
            }
    }

    void flush(FuzzedDataProvider& in)
    {
        if (!runner)
            return;
        talvane::host::ParameterChanges changes;
        changes.add(in.ConsumeIntegralInRange<ParamID>(0, talvane::kNumParams - 1), 0, pickValue(in, 0.0, 1.0));
        ProcessData data;
        data.numSamples = 0;
        data.inputParameterChanges = &changes;
        if (instance.processor()->process(data) != kResultOk)
            talvane::fuzz::fail("a flush call was refused");
    }

    void loadState(FuzzedDataProvider& in)
    {
        std::vector<uint8_t> bytes;
        if (in.ConsumeBool())
        {
            // A valid state with some items damaged.
            talvane::testing::StateImage image;
            for (talvane::ParamId id = 0; id < static_cast<talvane::ParamId>(talvane::kNumParams); ++id)
                image.items[id] = in.ConsumeIntegral<uint32_t>() & (in.ConsumeBool() ? 0x7u : 0xFFFFFFFFu);
            bytes = image.bytes();
            bytes.resize(in.ConsumeIntegralInRange<size_t>(0, bytes.size()));
        }
        else
        {
            bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 700));
        }
        talvane::host::MemoryStream stream(bytes);
        stream.shortReadsSucceed = in.ConsumeBool();
        instance.loadState(stream);
    }

    void saveState() { talvane::fuzz::checkSavedState(instance.component()); }

private:
    talvane::host::PluginInstance instance;
    talvane::host::MemoryStream defaults;
    std::unique_ptr<talvane::host::AudioProcessRunner> runner;
    int32 longestBlock = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    static Session session;
    session.beginInput(in);
    for (int command = 0; command < kMostCommands && in.remaining_bytes() > 0; ++command)
    {
        switch (in.ConsumeIntegralInRange(0, 15))
        {
        case 0: session.setup(in); break;
        case 1: session.flush(in); break;
        case 2: session.loadState(in); break;
        case 3: session.saveState(); break;
        default: session.block(in); break;
        }
    }
    session.saveState();
    return 0;
}
