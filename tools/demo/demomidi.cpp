// Writes the demo phrase as a Standard MIDI File: four bars of chords with a melody on top, the
// modulation wheel opening up over them and the tempo easing off in the last two bars.
#include "tools/render/midifilewriter.h"
#include "tools/render/rendererror.h"

#include <cstdio>

using talvane::render::MidiFileWriter;

namespace {

constexpr double kBar = 4.0; // quarters
constexpr double kChordOverlap = 0.05;
constexpr int kChordVelocity = 84;
constexpr int kMelodyVelocity = 100;
constexpr int kModWheel = 1;
constexpr int kWheelSteps = 32;
constexpr int kMax7Bit = 127;
constexpr double kOpeningTempo = 96.0;
constexpr double kClosingTempo = 84.0;

struct Chord
{
    int keys[4];
};

// A minor, F major seventh, C major, G major with an added sixth.
constexpr Chord kChords[] = {{{45, 57, 60, 64}}, {{41, 57, 60, 64}}, {{48, 55, 60, 64}}, {{43, 55, 59, 64}}};

struct MelodyNote
{
    double start;
    double length;
    int key;
};

constexpr MelodyNote kMelody[] = {
    {0.0, 1.5, 76}, {1.5, 0.5, 74}, {2.0, 2.0, 72},  {4.0, 1.0, 69},  {5.0, 1.0, 72},  {6.0, 2.0, 76},
    {8.0, 1.5, 79}, {9.5, 0.5, 77}, {10.0, 2.0, 76}, {12.0, 1.0, 74}, {13.0, 1.0, 71}, {14.0, 2.0, 72},
};

void writePhrase(MidiFileWriter& file)
{
    file.tempo(0.0, kOpeningTempo);
    file.timeSignature(0.0, 4, 4);
    file.tempo(2 * kBar, kClosingTempo);
    for (int bar = 0; bar < 4; ++bar)
        for (int key : kChords[bar].keys)
            file.note(bar * kBar, kBar + kChordOverlap, key, kChordVelocity);
    for (const MelodyNote& note : kMelody)
        file.note(note.start, note.length, note.key, kMelodyVelocity);
    // The wheel rises over the first three bars and falls back in the last.
    for (int step = 0; step <= kWheelSteps; ++step)
    {
        const double t = static_cast<double>(step) / kWheelSteps;
        file.controlChange(t * 3 * kBar, kModWheel, static_cast<int>(t * kMax7Bit));
    }
    for (int step = 1; step <= kWheelSteps / 2; ++step)
    {
        const double t = static_cast<double>(step) / (kWheelSteps / 2);
        file.controlChange(3 * kBar + t * kBar, kModWheel, static_cast<int>((1.0 - t) * kMax7Bit));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s OUTPUT.mid\n", argv[0]);
        return 2;
    }
    try
    {
        MidiFileWriter file;
        writePhrase(file);
        file.save(argv[1]);
    }
    catch (const talvane::render::RenderError& e)
    {
        std::fprintf(stderr, "talvane-demo-midi: %s\n", e.what());
        return 1;
    }
    return 0;
}
