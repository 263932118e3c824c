#include "tools/render/midiperformance.h"

#include "render/rendersupport.h"
#include "tools/render/midifilewriter.h"
#include "tools/render/rendererror.h"
#include "tools/render/tempomap.h"

#include <gtest/gtest.h>

using namespace talvane::render;
using talvane::testing::fileBytes;
using talvane::testing::ScratchDirectory;

namespace {

using Kind = MidiEvent::Kind;

std::vector<MidiEvent> eventsOf(const MidiPerformance& p, Kind kind)
{
    std::vector<MidiEvent> found;
    for (const MidiEvent& e : p.events)
        if (e.kind == kind)
            found.push_back(e);
    return found;
}

// The message of the RenderError that reading `path` throws (empty if it throws none).
std::string readFailure(const std::string& path)
{
    try
    {
        readMidiFile(path);
    }
    catch (const RenderError& e)
    {
        return e.what();
    }
    return {};
}

class MidiReading : public ::testing::Test
{
protected:
    std::string save(MidiFileWriter& writer, const std::string& name = "song.mid")
    {
        writer.save(scratch.path(name));
        return scratch.path(name);
    }
    std::string saveBytes(const std::vector<std::uint8_t>& bytes, const std::string& name = "raw.mid")
    {
        scratch.write(name, bytes);
        return scratch.path(name);
    }
    ScratchDirectory scratch;
};

// A one-track file around the given track data, with 96 ticks per quarter.
std::vector<std::uint8_t> fileWithTrack(std::vector<std::uint8_t> track)
{
    std::vector<std::uint8_t> bytes = {'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
                                       1,   0,   96,  'M', 'T', 'r', 'k', 0, 0, 0};
    bytes.push_back(static_cast<std::uint8_t>(track.size()));
    bytes.insert(bytes.end(), track.begin(), track.end());
    return bytes;
}

} // namespace

TEST_F(MidiReading, NotesAreTimedThroughTheTempoMap)
{
    MidiFileWriter writer;
    writer.tempo(0.0, 120.0);
    writer.tempo(4.0, 60.0);
    writer.note(0.0, 1.0, 60, 100);
    writer.note(4.0, 1.0, 64, 127);
    writer.note(6.0, 0.5, 67, 1);
    const MidiPerformance p = readMidiFile(save(writer));

    const std::vector<MidiEvent> ons = eventsOf(p, Kind::NoteOn);
    const std::vector<MidiEvent> offs = eventsOf(p, Kind::NoteOff);
    ASSERT_EQ(ons.size(), 3u);
    ASSERT_EQ(offs.size(), 3u);
    // Four quarters at 120, then one second per quarter.
    EXPECT_DOUBLE_EQ(ons[0].seconds, 0.0);
    EXPECT_DOUBLE_EQ(offs[0].seconds, 0.5);
    EXPECT_DOUBLE_EQ(ons[1].seconds, 2.0);
    EXPECT_DOUBLE_EQ(offs[1].seconds, 3.0);
    EXPECT_DOUBLE_EQ(ons[2].seconds, 4.0);
    EXPECT_DOUBLE_EQ(p.endSeconds, 4.5);
    EXPECT_FLOAT_EQ(ons[0].velocity, 100.0f / 127.0f);
    EXPECT_FLOAT_EQ(ons[1].velocity, 1.0f);
    EXPECT_EQ(ons[2].key, 67);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(offs[i].noteId, ons[i].noteId);
    EXPECT_NE(ons[0].noteId, ons[1].noteId);
    EXPECT_EQ(p.heldNotesReleased, 0);
}

TEST_F(MidiReading, OverlappingNotesOfOneKeyEndInTheOrderTheyBegan)
{
    MidiFileWriter writer;
    writer.noteOn(0.0, 60, 90);
    writer.noteOn(1.0, 60, 90);
    writer.noteOff(2.0, 60);
    writer.noteOff(3.0, 60);
    writer.noteOn(3.0, 62, 90, 5);
    writer.noteOn(4.0, 62, 0, 5); // a note-on without velocity ends the note
    writer.noteOff(4.5, 62, 5);   // and this one then ends nothing
    const MidiPerformance p = readMidiFile(save(writer));
    const std::vector<MidiEvent> ons = eventsOf(p, Kind::NoteOn);
    const std::vector<MidiEvent> offs = eventsOf(p, Kind::NoteOff);
    ASSERT_EQ(ons.size(), 3u);
    ASSERT_EQ(offs.size(), 3u);
    EXPECT_EQ(offs[0].noteId, ons[0].noteId);
    EXPECT_EQ(offs[1].noteId, ons[1].noteId);
    EXPECT_EQ(offs[2].noteId, ons[2].noteId);
    EXPECT_EQ(offs[2].channel, 5);
    EXPECT_DOUBLE_EQ(offs[2].seconds, 2.0);
}

TEST_F(MidiReading, NotesStillHeldAreReleasedWhereTheFileEnds)
{
    MidiFileWriter writer;
    writer.noteOn(0.0, 48, 100);
    writer.note(1.0, 3.0, 52, 100);
    const MidiPerformance p = readMidiFile(save(writer));
    const std::vector<MidiEvent> offs = eventsOf(p, Kind::NoteOff);
    ASSERT_EQ(offs.size(), 2u);
    EXPECT_EQ(offs.back().key, 48);
    EXPECT_DOUBLE_EQ(offs.back().seconds, 2.0);
    EXPECT_DOUBLE_EQ(p.endSeconds, 2.0);
    EXPECT_EQ(p.heldNotesReleased, 1);
}

TEST_F(MidiReading, ControllersAreNormalizedAsHostsMapThem)
{
    MidiFileWriter writer;
    writer.note(0.0, 4.0, 60, 100);
    writer.controlChange(1.0, 1, 0);
    writer.controlChange(1.5, 1, 127, 3);
    writer.pitchBend(2.0, 8192);
    writer.pitchBend(2.5, 0);
    writer.pitchBend(3.0, 16383);
    const MidiPerformance p = readMidiFile(save(writer));
    const std::vector<MidiEvent> c = eventsOf(p, Kind::Controller);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].controller, 1);
    EXPECT_EQ(c[0].value, 0.0);
    EXPECT_EQ(c[1].value, 1.0);
    EXPECT_EQ(c[1].channel, 3);
    EXPECT_EQ(c[2].controller, kPitchBendController);
    EXPECT_EQ(c[2].value, 0.5); // the centre is no bend at all
    EXPECT_EQ(c[3].value, 0.0);
    EXPECT_EQ(c[4].value, 1.0);
    EXPECT_DOUBLE_EQ(c[4].seconds, 1.5);
    EXPECT_NEAR(controllerValue(64), 64.0 / 127.0, 1e-12);
    EXPECT_LT(pitchBendValue(8191), 0.5);
    EXPECT_GT(pitchBendValue(8193), 0.5);
}

TEST_F(MidiReading, TempoMapGivesTheMusicalPositionOfEveryBlock)
{
    MidiFileWriter writer;
    writer.tempo(0.0, 120.0);
    writer.timeSignature(0.0, 4, 4);
    writer.timeSignature(8.0, 3, 4); // from the third bar
    writer.tempo(8.0, 90.0);
    writer.note(0.0, 12.0, 60, 100);
    const MidiPerformance p = readMidiFile(save(writer));

    const MusicalPosition early = musicalPositionAt(p.tempos, 3.0);
    EXPECT_DOUBLE_EQ(early.beatsPerMinute, 120.0);
    EXPECT_DOUBLE_EQ(early.quarters, 6.0);
    EXPECT_DOUBLE_EQ(early.barStartQuarters, 4.0);
    EXPECT_EQ(early.numerator, 4);
    EXPECT_EQ(early.denominator, 4);

    // Eight quarters take 4 s; then 2/3 s per quarter: 4.5 quarters later is 7 s.
    const MusicalPosition late = musicalPositionAt(p.tempos, 7.0);
    EXPECT_NEAR(late.beatsPerMinute, 90.0, 1e-4);
    // 90 bpm is stored as 666667 microseconds per quarter.
    EXPECT_NEAR(late.quarters, 12.5, 1e-5);
    EXPECT_NEAR(late.barStartQuarters, 11.0, 1e-9); // 3/4 bars from quarter 8
    EXPECT_EQ(late.numerator, 3);
    EXPECT_EQ(late.denominator, 4);
    // On a bar line the new bar has begun.
    EXPECT_NEAR(musicalPositionAt(p.tempos, 4.0 + 2.0).barStartQuarters, 11.0, 1e-9);
}

TEST_F(MidiReading, EveryShortenedFileIsRefusedInOneLine)
{
    MidiFileWriter writer;
    writer.note(0.0, 1.0, 60, 100);
    writer.controlChange(0.5, 1, 64);
    const std::vector<std::uint8_t> whole = fileBytes(save(writer));
    ASSERT_GT(whole.size(), 22u);
    for (std::size_t length = 0; length < whole.size(); ++length)
    {
        const std::string path =
            saveBytes(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(length)));
        const std::string failure = readFailure(path);
        EXPECT_NE(failure, "") << "cut to " << length << " bytes";
        EXPECT_EQ(failure.find('\n'), std::string::npos) << failure;
    }
}

TEST_F(MidiReading, DamagedFilesNameWhatIsWrong)
{
    EXPECT_EQ(readFailure(scratch.path("absent.mid")),
              "cannot open " + scratch.path("absent.mid") + ": No such file or directory");
    const std::string text =
        saveBytes({'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!'});
    EXPECT_NE(readFailure(text).find("does not begin with a MIDI header"), std::string::npos);

    // Data where a status byte must be.
    EXPECT_NE(
        readFailure(saveBytes(fileWithTrack({0x00, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00}))).find("damaged"),
        std::string::npos);
    // A track that stops in the middle of a note-on, with no end-of-track event.
    const std::string unfinished = saveBytes(fileWithTrack({0x00, 0x90, 0x40, 0x40, 0x60, 0x80, 0x40}));
    EXPECT_NE(readFailure(unfinished).find("damaged"), std::string::npos);

    std::vector<std::uint8_t> smpte =
        fileWithTrack({0x00, 0x90, 0x40, 0x40, 0x60, 0x80, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00});
    smpte[12] = 0xE7; // -25 frames per second
    smpte[13] = 40;
    EXPECT_NE(readFailure(saveBytes(smpte)).find("SMPTE"), std::string::npos);

    MidiFileWriter silent;
    silent.controlChange(0.0, 1, 10);
    EXPECT_EQ(readFailure(save(silent)), save(silent) + " contains no notes");
}

namespace talvane::render {
namespace {

TEST(ChannelMessages, DecodeAsThePluginReceivesThem)
{
    const unsigned char noteOn[] = {0x93, 60, 127};
    const std::optional<MidiEvent> on = decodeChannelMessage(noteOn, 3);
    ASSERT_TRUE(on);
    EXPECT_EQ(on->kind, MidiEvent::Kind::NoteOn);
    EXPECT_EQ(on->channel, 3);
    EXPECT_EQ(on->key, 60);
    EXPECT_FLOAT_EQ(on->velocity, 1.0f);
    EXPECT_EQ(on->noteId, -1);

    const unsigned char silentOn[] = {0x90, 61, 0};
    EXPECT_EQ(decodeChannelMessage(silentOn, 3)->kind, MidiEvent::Kind::NoteOff);
    const unsigned char off[] = {0x80, 61, 64};
    EXPECT_EQ(decodeChannelMessage(off, 3)->kind, MidiEvent::Kind::NoteOff);

    const unsigned char modWheel[] = {0xB0, 1, 127};
    EXPECT_EQ(decodeChannelMessage(modWheel, 3)->controller, 1);
    EXPECT_DOUBLE_EQ(decodeChannelMessage(modWheel, 3)->value, 1.0);
    const unsigned char bendCentre[] = {0xE0, 0x00, 0x40};
    EXPECT_EQ(decodeChannelMessage(bendCentre, 3)->controller, kPitchBendController);
    EXPECT_DOUBLE_EQ(decodeChannelMessage(bendCentre, 3)->value, 0.5);
    const unsigned char pressure[] = {0xD0, 127};
    EXPECT_EQ(decodeChannelMessage(pressure, 2)->controller, kChannelPressureController);

    const unsigned char clock[] = {0xF8};
    EXPECT_FALSE(decodeChannelMessage(clock, 1));
    const unsigned char programChange[] = {0xC0, 5};
    EXPECT_FALSE(decodeChannelMessage(programChange, 2));
    EXPECT_FALSE(decodeChannelMessage(clock, 0));
    // A message cut short reads its missing data bytes as 0: a note-on without velocity ends a note.
    EXPECT_EQ(decodeChannelMessage(noteOn, 2)->kind, MidiEvent::Kind::NoteOff);
}

} // namespace
} // namespace talvane::render
