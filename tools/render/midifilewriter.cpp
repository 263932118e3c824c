#include "tools/render/midifilewriter.h"

#include "tools/render/rendererror.h"

#include <smf.h>

#include <cmath>

namespace talvane::render {

namespace {
constexpr int kNoteOnStatus = 0x90;
constexpr int kNoteOffStatus = 0x80;
constexpr int kControlChangeStatus = 0xB0;
constexpr int kPitchBendStatus = 0xE0;
constexpr int kChannelMask = 0x0F;
constexpr int kDataMask = 0x7F;
constexpr int kDataBits = 7;
constexpr int kMetaStatus = 0xFF;
constexpr int kTempoMeta = 0x51;
constexpr int kTimeSignatureMeta = 0x58;
constexpr double kMicrosPerMinute = 60.0e6;
constexpr int kByteBits = 8;
constexpr int kByteMask = 0xFF;
constexpr int kMidiClocksPerQuarter = 24;
constexpr int kThirtySecondsPerQuarter = 8;
} // namespace

MidiFileWriter::MidiFileWriter(int ticksPerQuarterIn) : ticksPerQuarter(ticksPerQuarterIn)
{
    smf = smf_new();
    track = smf_track_new();
    if (!smf || !track || smf_set_ppqn(smf, ticksPerQuarter) != 0)
        throw RenderError("cannot create a MIDI file");
    smf_add_track(smf, track);
}

MidiFileWriter::~MidiFileWriter()
{
    smf_delete(smf); // deletes its tracks and their events too
}

int MidiFileWriter::ticks(double quarters) const
{
    return static_cast<int>(std::lround(quarters * ticksPerQuarter));
}

void MidiFileWriter::addRaw(double quarters, const unsigned char* bytes, int length)
{
    smf_event_t* event = smf_event_new_from_pointer(const_cast<unsigned char*>(bytes), length);
    if (!event)
        throw RenderError("cannot create a MIDI event");
    smf_track_add_event_pulses(track, event, ticks(quarters));
}

void MidiFileWriter::add(double quarters, int status, int data1, int data2)
{
    const unsigned char bytes[] = {static_cast<unsigned char>(status),
                                   static_cast<unsigned char>(data1 & kDataMask),
                                   static_cast<unsigned char>(data2 & kDataMask)};
    addRaw(quarters, bytes, sizeof bytes);
}

void MidiFileWriter::tempo(double quarters, double beatsPerMinute)
{
    const long micros = std::lround(kMicrosPerMinute / beatsPerMinute);
    const unsigned char bytes[] = {kMetaStatus,
                                   kTempoMeta,
                                   3,
                                   static_cast<unsigned char>((micros >> (2 * kByteBits)) & kByteMask),
                                   static_cast<unsigned char>((micros >> kByteBits) & kByteMask),
                                   static_cast<unsigned char>(micros & kByteMask)};
    addRaw(quarters, bytes, sizeof bytes);
}

void MidiFileWriter::timeSignature(double quarters, int numerator, int denominator)
{
    int power = 0;
    while ((1 << power) < denominator)
        ++power;
    const unsigned char bytes[] = {kMetaStatus,
                                   kTimeSignatureMeta,
                                   4,
                                   static_cast<unsigned char>(numerator),
                                   static_cast<unsigned char>(power),
                                   kMidiClocksPerQuarter,
                                   kThirtySecondsPerQuarter};
    addRaw(quarters, bytes, sizeof bytes);
}

void MidiFileWriter::note(double start, double length, int key, int velocity, int channel)
{
    noteOn(start, key, velocity, channel);
    noteOff(start + length, key, channel);
}

void MidiFileWriter::noteOn(double quarters, int key, int velocity, int channel)
{
    add(quarters, kNoteOnStatus | (channel & kChannelMask), key, velocity);
}

void MidiFileWriter::noteOff(double quarters, int key, int channel)
{
    add(quarters, kNoteOffStatus | (channel & kChannelMask), key, 0);
}

void MidiFileWriter::controlChange(double quarters, int controller, int value, int channel)
{
    add(quarters, kControlChangeStatus | (channel & kChannelMask), controller, value);
}

void MidiFileWriter::pitchBend(double quarters, int value14Bit, int channel)
{
    add(quarters, kPitchBendStatus | (channel & kChannelMask), value14Bit & kDataMask,
        (value14Bit >> kDataBits) & kDataMask);
}

void MidiFileWriter::save(const std::string& path)
{
    if (smf_save(smf, path.c_str()) != 0)
        throw RenderError("cannot write the MIDI file " + path);
}

} // namespace talvane::render
