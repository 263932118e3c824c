#include "sdk/midimessage.h"

namespace Steinberg {
namespace Vst {

namespace {
constexpr uint8 kStatusBit = 0x80;
constexpr uint8 kDataMask = 0x7F;
constexpr uint8 kTypeMask = 0xF0;
constexpr uint8 kChannelMask = 0x0F;
constexpr uint8 kNoteOff = 0x80;
constexpr uint8 kNoteOn = 0x90;
constexpr uint8 kControlChange = 0xB0;
constexpr uint8 kProgramChange = 0xC0;
constexpr uint8 kChannelPressure = 0xD0;
constexpr uint8 kPitchWheel = 0xE0;
constexpr float kMaxDataValue = 127.0f;
constexpr int32 kPitchCentre = 8192;
constexpr int32 kPitchMax = 16383;
constexpr int kDataBits = 7;
constexpr uint8 kSystemMessages = 0xF0;
constexpr int32 kNoNoteId = -1;
} // namespace

ParamValue pitchBendToNormalized(int32 position14Bit)
{
    if (position14Bit <= 0)
        return 0.0;
    if (position14Bit >= kPitchMax)
        return 1.0;
    // Two halves with their own scale, so that the centre lands on 0.5 and both ends are reached.
    if (position14Bit <= kPitchCentre)
        return 0.5 * position14Bit / kPitchCentre;
    return 0.5 + 0.5 * (position14Bit - kPitchCentre) / (kPitchMax - kPitchCentre);
}

MidiMessage MidiMessage::decode(uint8 status, uint8 data1, uint8 data2)
{
    MidiMessage m;
    const uint8 type = status & kTypeMask;
    // Channel pressure is a two-byte message: its second data byte is not part of it.
    const bool usesData2 = type != kChannelPressure;
    if (!(status & kStatusBit) || (data1 & kStatusBit) || (usesData2 && (data2 & kStatusBit)))
        return m;
    m.channel = static_cast<int16>(status & kChannelMask);
    data1 &= kDataMask;
    data2 &= kDataMask;
    switch (type)
    {
    case kNoteOn:
        m.kind = data2 > 0 ? Kind::NoteOn : Kind::NoteOff;
        m.pitch = data1;
        m.velocity = static_cast<float>(data2) / kMaxDataValue;
        break;
    case kNoteOff:
        m.kind = Kind::NoteOff;
        m.pitch = data1;
        m.velocity = static_cast<float>(data2) / kMaxDataValue;
        break;
    case kControlChange:
        m.kind = Kind::Controller;
        m.controller = data1;
        m.value = data2 / static_cast<ParamValue>(kMaxDataValue);
        break;
    case kChannelPressure:
        m.kind = Kind::Controller;
        m.controller = kAfterTouch;
        m.value = data1 / static_cast<ParamValue>(kMaxDataValue);
        break;
    case kPitchWheel:
        m.kind = Kind::Controller;
        m.controller = kPitchBend;
        m.value = pitchBendToNormalized((data2 << kDataBits) | data1);
        break;
    default:
        break;
    }
    return m;
}

int32 MidiMessage::lengthOf(uint8 status)
{
    if (!(status & kStatusBit) || status >= kSystemMessages)
        return 0;
    const uint8 type = status & kTypeMask;
    return type == kProgramChange || type == kChannelPressure ? 2 : 3;
}

bool MidiMessage::toNoteEvent(int32 sampleOffset, Event& e) const
{
    if (kind != Kind::NoteOn && kind != Kind::NoteOff)
        return false;
    e = Event{};
    e.busIndex = 0;
    e.sampleOffset = sampleOffset;
    if (kind == Kind::NoteOn)
    {
        e.type = Event::kNoteOnEvent;
        e.noteOn.channel = channel;
        e.noteOn.pitch = pitch;
        e.noteOn.velocity = velocity;
        e.noteOn.noteId = kNoNoteId;
    }
    else
    {
        e.type = Event::kNoteOffEvent;
        e.noteOff.channel = channel;
        e.noteOff.pitch = pitch;
        e.noteOff.velocity = velocity;
        e.noteOff.noteId = kNoNoteId;
    }
    return true;
}

} // namespace Vst
} // namespace Steinberg
