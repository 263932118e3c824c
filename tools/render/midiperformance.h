// A Standard MIDI File reduced to what an instrument plug-in receives: notes, controllers and the
// tempo map, each event at its time in seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace talvane::render {

// Controller numbers beyond the 128 MIDI controllers, numbered as VST 3 hosts number them for
// IMidiMapping.
constexpr int kChannelPressureController = 128;
constexpr int kPitchBendController = 129;

struct MidiEvent
{
    enum class Kind
    {
        NoteOn,
        NoteOff,
        Controller,
    };

    double seconds = 0.0;
    Kind kind = Kind::NoteOn;
    int channel = 0;
    int key = 0;              // notes
    float velocity = 0.0f;    // notes, 0..1
    std::int32_t noteId = -1; // notes: pairs a note-off with its note-on
    int controller = 0;       // controllers: 0..127, kChannelPressureController, kPitchBendController
    double value = 0.0;       // controllers, 0..1
};

// One stretch of constant tempo and time signature.
struct TempoSegment
{
    double seconds = 0.0;  // where it begins
    double quarters = 0.0; // the same place in quarter notes from the start
    double microsPerQuarter = 500000.0;
    int numerator = 4;
    int denominator = 4;
};

struct MidiPerformance
{
    std::vector<MidiEvent> events;    // in time order; at one time, in file order
    std::vector<TempoSegment> tempos; // in time order, never empty, the first at 0 s
    double endSeconds = 0.0;          // time of the last note or controller event
    int heldNotesReleased = 0;        // notes still held at the end, released there
};

// Reads a Standard MIDI File. Every note-on gets its own note id and every note-off the id of the
// oldest note still held on its key and channel, so overlapping notes of one key stay apart.
// Throws RenderError for a missing, unreadable or malformed file and for one without notes.
MidiPerformance readMidiFile(const std::string& path);

// One MIDI channel message as the plug-in receives it (time 0, note id -1): note-on (a note-on of
// velocity 0 is a note-off), note-off, control change, channel pressure or pitch bend; nothing for
// other messages. Reads at most `length` bytes; missing data bytes count as 0.
std::optional<MidiEvent> decodeChannelMessage(const unsigned char* bytes, std::size_t length);

// Normalized values of the MIDI controller data, as hosts map them onto parameters: 0..127 to 0..1,
// and the 14-bit pitch bend with its centre 8192 exactly at 0.5.
double controllerValue(int value7Bit);
double pitchBendValue(int value14Bit);

} // namespace talvane::render
