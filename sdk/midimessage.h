// A channel-voice MIDI message as the VST 3 side needs it: a note-on or note-off event, or the value
// of a controller that the edit controller may map onto a parameter (IMidiMapping numbers: 0..127
// control changes, kAfterTouch for channel pressure, kPitchBend for the pitch wheel).
#pragma once

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/vsttypes.h"

namespace Steinberg {
namespace Vst {

struct MidiMessage
{
    enum class Kind
    {
        Ignored, // system messages, program changes, polyphonic pressure, malformed bytes
        NoteOn,
        NoteOff,
        Controller,
    };

    Kind kind = Kind::Ignored;
    int16 channel = 0; // 0..15
    int16 pitch = 0;
    float velocity = 0.0f; // 0..1
    CtrlNumber controller = 0;
    ParamValue value = 0.0; // normalized controller value 0..1

    // Decodes three MIDI bytes. A note-on with velocity 0 is a note-off, as MIDI defines it.
    static MidiMessage decode(uint8 status, uint8 data1, uint8 data2);
    // The length in bytes of the message a status byte begins (2 or 3), or 0 for a status this
    // decodes nothing from (system messages).
    static int32 lengthOf(uint8 status);

    // A note-on or note-off as the VST 3 event at `sampleOffset` of event bus 0, without a note ID
    // (notes are told apart by pitch and channel). False for other messages.
    bool toNoteEvent(int32 sampleOffset, Event& e) const;
};

// The 14-bit pitch-wheel position as a normalized value: 0 is 0, the centre 8192 is exactly 0.5
// (so a wheel at rest bends nothing) and 16383 is 1.
ParamValue pitchBendToNormalized(int32 position14Bit);

} // namespace Vst
} // namespace Steinberg
