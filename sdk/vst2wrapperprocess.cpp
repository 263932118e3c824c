// The wrapper's audio thread: MIDI intake and processing. Nothing here locks or allocates.
#include "sdk/vst2wrapper.h"

#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr VstIntPtr kWantedTimeInfo = kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid;

} // namespace

VstIntPtr Vst2Wrapper::processEvents(const VstEvents* events)
{
    if (!events || !hasEventInput)
        return 0;
    for (int32 i = 0; i < events->numEvents; ++i)
    {
        const VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType)
            continue;
        if (midiEventCount >= kMaxMidiEventsPerBlock)
            break;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const StoredMidiEvent stored{midi->deltaFrames,
                                     {static_cast<uint8>(midi->midiData[0]),
                                      static_cast<uint8>(midi->midiData[1]),
                                      static_cast<uint8>(midi->midiData[2])}};
        // Kept in order of delta frames (hosts send them sorted, so this rarely moves anything);
        // events at the same frame keep the order they came in.
        int32 at = midiEventCount;
        while (at > 0 && midiEvents[static_cast<std::size_t>(at - 1)].deltaFrames > stored.deltaFrames)
        {
            midiEvents[static_cast<std::size_t>(at)] = midiEvents[static_cast<std::size_t>(at - 1)];
            --at;
        }
        midiEvents[static_cast<std::size_t>(at)] = stored;
        ++midiEventCount;
    }
    return 1;
}

void Vst2Wrapper::processReplacingProc(AEffect* e, float** inputs, float** outputs, int frames)
{
    if (auto* wrapper = e ? static_cast<Vst2Wrapper*>(e->object) : nullptr)
        wrapper->processReplacing(inputs, outputs, frames);
}

void Vst2Wrapper::processProc(AEffect* e, float** inputs, float** outputs, int frames)
{
    if (auto* wrapper = e ? static_cast<Vst2Wrapper*>(e->object) : nullptr)
        wrapper->processAccumulating(inputs, outputs, frames);
}

bool Vst2Wrapper::canProcess(float** inputs, float** outputs, int32 frames) const
{
    if (!outputs || frames <= 0)
        return false;
    for (int32 c = 0; c < outputChannels; ++c)
        if (!outputs[c])
            return false;
    if (inputChannels > 0)
    {
        if (!inputs)
            return false;
        for (int32 c = 0; c < inputChannels; ++c)
            if (!inputs[c])
                return false;
    }
    return true;
}

void Vst2Wrapper::clearOutputs(float** outputs, int32 offset, int32 frames) const
{
    if (!outputs || frames <= 0)
        return;
    for (int32 c = 0; c < outputChannels; ++c)
        if (outputs[c])
            std::fill(outputs[c] + offset, outputs[c] + offset + frames, 0.0f);
}

void Vst2Wrapper::processReplacing(float** inputs, float** outputs, int32 frames)
{
    if (!processing.load(std::memory_order_acquire) || !canProcess(inputs, outputs, frames))
    {
        clearOutputs(outputs, 0, frames);
        midiEventCount = 0;
        return;
    }
    readHostTime();
    midiCursor = 0;
    // A host block longer than the set-up one goes to the processor in pieces.
    for (int32 start = 0; start < frames;)
    {
        const int32 length = std::min(blockSize, frames - start);
        renderPiece(inputs, outputs, start, start, length, frames);
        start += length;
    }
    midiEventCount = 0;
}

void Vst2Wrapper::processAccumulating(float** inputs, float** outputs, int32 frames)
{
    // The VST 2 host's old process call adds to what its buffers hold: each piece is rendered into
    // the wrapper's own buffers and added.
    if (!processing.load(std::memory_order_acquire) || !canProcess(inputs, outputs, frames))
    {
        midiEventCount = 0;
        return;
    }
    readHostTime();
    midiCursor = 0;
    for (int32 start = 0; start < frames;)
    {
        const int32 length = std::min(blockSize, frames - start);
        renderPiece(inputs, accumulatePointers, start, 0, length, frames);
        for (int32 c = 0; c < outputChannels; ++c)
        {
            float* out = outputs[c] + start;
            const float* rendered = accumulatePointers[c];
            for (int32 i = 0; i < length; ++i)
                out[i] += rendered[i];
        }
        start += length;
    }
    midiEventCount = 0;
}

void Vst2Wrapper::readHostTime()
{
    processContext = ProcessContext{};
    processContext.sampleRate = sampleRate;
    const auto* time = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, kWantedTimeInfo));
    if (!time)
        return;
    processContext.projectTimeSamples = static_cast<TSamples>(time->samplePos);
    if (time->flags & kVstTransportPlaying)
        processContext.state |= ProcessContext::kPlaying;
    if ((time->flags & kVstTempoValid) && std::isfinite(time->tempo) && time->tempo > 0.0)
    {
        processContext.state |= ProcessContext::kTempoValid;
        processContext.tempo = time->tempo;
    }
    if (time->flags & kVstPpqPosValid)
    {
        processContext.state |= ProcessContext::kProjectTimeMusicValid;
        processContext.projectTimeMusic = time->ppqPos;
    }
    if (time->flags & kVstBarsValid)
    {
        processContext.state |= ProcessContext::kBarPositionValid;
        processContext.barPositionMusic = time->barStartPos;
    }
    if (time->flags & kVstTimeSigValid)
    {
        processContext.state |= ProcessContext::kTimeSigValid;
        processContext.timeSigNumerator = time->timeSigNumerator;
        processContext.timeSigDenominator = time->timeSigDenominator;
    }
}

void Vst2Wrapper::renderPiece(float** inputs, float* const* outputs, int32 hostOffset, int32 outputOffset,
                              int32 length, int32 frames)
{
    inputChanges->clear();
    inputEvents.clear();
    // Values without a sample position land at the start of the host's block.
    if (hostOffset == 0)
        toProcessor->takeAll([this](int32 index, float value) {
            inputChanges->add(index, parameterIds[static_cast<std::size_t>(index)], 0, value);
        });
    queueMidiForPiece(hostOffset, length, frames);

    for (int32 c = 0; c < inputChannels; ++c)
        inputPointers[c] = inputs[c] + hostOffset;
    for (int32 c = 0; c < outputChannels; ++c)
        outputPointers[c] = outputs[c] + outputOffset;
    outputBus.silenceFlags = 0;
    inputBus.silenceFlags = 0;
    processData.numSamples = length;
    processData.inputParameterChanges = inputChanges.get();

    const ProcessContext blockStart = processContext;
    processContext.projectTimeSamples += hostOffset;
    if (processContext.state & ProcessContext::kProjectTimeMusicValid &&
        processContext.state & ProcessContext::kTempoValid)
        processContext.projectTimeMusic += hostOffset / sampleRate * processContext.tempo / kSecondsPerMinute;
    if (processor->process(processData) != kResultOk)
        for (int32 c = 0; c < outputChannels; ++c)
            std::fill(outputPointers[c], outputPointers[c] + length, 0.0f);
    processContext = blockStart;
}

void Vst2Wrapper::queueMidiForPiece(int32 pieceStart, int32 pieceLength, int32 frames)
{
    const int32 pieceEnd = pieceStart + pieceLength;
    while (midiCursor < midiEventCount)
    {
        const StoredMidiEvent& stored = midiEvents[static_cast<std::size_t>(midiCursor)];
        // Events outside the block are held at its edges.
        const int32 frame = std::min(std::max(stored.deltaFrames, 0), frames - 1);
        if (frame >= pieceEnd)
            break;
        ++midiCursor;
        const int32 offset = frame - pieceStart;
        const MidiMessage message = MidiMessage::decode(stored.bytes[0], stored.bytes[1], stored.bytes[2]);
        switch (message.kind)
        {
        case MidiMessage::Kind::NoteOn:
        case MidiMessage::Kind::NoteOff:
        {
            Event e{};
            if (message.toNoteEvent(offset, e))
                inputEvents.addEvent(e);
            break;
        }
        case MidiMessage::Kind::Controller:
        {
            const int32 target = midiControllerTarget[static_cast<std::size_t>(
                message.channel * kCountCtrlNumber + message.controller)];
            if (target < 0)
                break;
            inputChanges->add(target, parameterIds[static_cast<std::size_t>(target)], offset, message.value);
            const auto value = static_cast<float>(message.value);
            hostValues[static_cast<std::size_t>(target)].store(value, std::memory_order_relaxed);
            toController->post(target, value);
            break;
        }
        case MidiMessage::Kind::Ignored:
            break;
        }
    }
}

} // namespace Vst
} // namespace Steinberg
