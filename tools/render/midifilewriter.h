// Writes Standard MIDI Files through libsmf: the demo phrase and the files the tests render.
// Times are in quarter notes from the start; the file's division is fixed per writer.
#pragma once

#include <memory>
#include <string>

struct smf_struct;
struct smf_track_struct;

namespace talvane::render {

class MidiFileWriter
{
public:
    explicit MidiFileWriter(int ticksPerQuarter = 480);
    ~MidiFileWriter();
    MidiFileWriter(const MidiFileWriter&) = delete;
    MidiFileWriter& operator=(const MidiFileWriter&) = delete;

    // A tempo (beats per minute) from `quarters` on; without one the file runs at 120.
    void tempo(double quarters, double beatsPerMinute);
    void timeSignature(double quarters, int numerator, int denominator);
    // A note from `start` lasting `length` quarters; velocity 1..127.
    void note(double start, double length, int key, int velocity, int channel = 0);
    // The two halves of a note on their own; a note-on of velocity 0 is a note-off in MIDI.
    void noteOn(double quarters, int key, int velocity, int channel = 0);
    void noteOff(double quarters, int key, int channel = 0);
    void controlChange(double quarters, int controller, int value, int channel = 0);
    void pitchBend(double quarters, int value14Bit, int channel = 0);

    // Throws RenderError when the file cannot be written.
    void save(const std::string& path);

private:
    int ticks(double quarters) const;
    void add(double quarters, int status, int data1, int data2);
    void addRaw(double quarters, const unsigned char* bytes, int length);

    int ticksPerQuarter;
    smf_struct* smf = nullptr;
    smf_track_struct* track = nullptr;
};

} // namespace talvane::render
