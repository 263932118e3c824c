#include "tools/render/midiperformance.h"

#include "tools/render/rendererror.h"

#include <glib.h>
#include <smf.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace talvane::render {

namespace {

constexpr int kStatusMask = 0xF0;
constexpr int kChannelMask = 0x0F;
constexpr int kNoteOffStatus = 0x80;
constexpr int kNoteOnStatus = 0x90;
constexpr int kControlChangeStatus = 0xB0;
constexpr int kChannelPressureStatus = 0xD0;
constexpr int kPitchBendStatus = 0xE0;
constexpr int kMax7Bit = 127;
constexpr int kMax14Bit = 16383;
constexpr int kPitchBendCentre = 8192;
constexpr int kDataBits = 7;
constexpr int kByteBits = 8;
constexpr std::size_t kChunkIdLength = 4;
constexpr int kLengthBytes = 4;
constexpr int kWordBytes = 2;
constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::uint32_t kHeaderDataLength = 6;
constexpr std::size_t kHeaderChunkSize = kChunkHeaderSize + kHeaderDataLength;
constexpr std::uint32_t kHighestFormat = 2;
constexpr std::uint32_t kSmpteDivisionFlag = 0x8000;
// Larger than any MIDI file a person would render; keeps a wrong path from filling the memory.
constexpr std::uintmax_t kMaxMidiFileBytes = 64u << 20;

struct SmfDeleter
{
    void operator()(smf_t* smf) const { smf_delete(smf); }
};
using SmfPointer = std::unique_ptr<smf_t, SmfDeleter>;

constexpr const char kSmfLogDomain[] = "libsmf";
constexpr const char kForeignChunkMessage[] = "ignoring this chunk";

// libsmf reports its reasons through GLib's log; they are caught here so that the tool can say
// what is wrong in one line of its own instead of letting them through to the terminal.
class SmfMessageCapture
{
public:
    SmfMessageCapture()
    {
        handler =
            g_log_set_handler(kSmfLogDomain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), &capture, this);
    }
    ~SmfMessageCapture() { g_log_remove_handler(kSmfLogDomain, handler); }
    SmfMessageCapture(const SmfMessageCapture&) = delete;
    SmfMessageCapture& operator=(const SmfMessageCapture&) = delete;

    // The first message names the cause; later ones only say that loading gave up.
    const std::string& reason() const { return first; }

private:
    static void capture(const gchar* /*domain*/, GLogLevelFlags /*level*/, const gchar* message,
                        gpointer self)
    {
        auto* capture = static_cast<SmfMessageCapture*>(self);
        // Chunks of other kinds are skipped as the file format asks; nothing is lost with them.
        if (capture->first.empty() && message && !std::strstr(message, kForeignChunkMessage))
            capture->first = message;
    }

    guint handler = 0;
    std::string first;
};

std::vector<std::uint8_t> readMidiBytes(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        throw RenderError("cannot open " + path + ": " + std::strerror(errno));
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() <= kMaxMidiFileBytes)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        throw RenderError("cannot read " + path);
    if (bytes.size() > kMaxMidiFileBytes)
        throw RenderError(path + " is too large to be a MIDI file");
    return bytes;
}

std::string withoutPrefix(std::string reason)
{
    // libsmf starts its messages with its own name; the tool adds the file name instead.
    for (const char* prefix : {"SMF error: ", "SMF warning: "})
        if (reason.rfind(prefix, 0) == 0)
            reason.erase(0, std::strlen(prefix));
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n'))
        reason.pop_back();
    return reason;
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << kByteBits) | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

bool hasId(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* id)
{
    return std::memcmp(bytes.data() + at, id, kChunkIdLength) == 0;
}

// libsmf trusts the chunk lengths a file declares and reads past the end of a file that is cut
// short, so the chunk framing is checked before the file reaches it: a header chunk of the right
// size, and every chunk, track or other, ending within the file.
void checkChunkFraming(const std::vector<std::uint8_t>& bytes, const std::string& path)
{
    const std::string notMidi = path + " is not a Standard MIDI File";
    if (bytes.size() < kHeaderChunkSize || !hasId(bytes, 0, "MThd"))
        throw RenderError(notMidi + " (it does not begin with a MIDI header)");
    const std::uint32_t headerLength = bigEndian(bytes, kChunkIdLength, kLengthBytes);
    if (headerLength != kHeaderDataLength)
        throw RenderError(notMidi + " (its header has the wrong size)");
    const std::uint32_t format = bigEndian(bytes, kChunkHeaderSize, kWordBytes);
    const std::uint32_t declaredTracks = bigEndian(bytes, kChunkHeaderSize + kWordBytes, kWordBytes);
    const std::uint32_t division = bigEndian(bytes, kChunkHeaderSize + 2 * kWordBytes, kWordBytes);
    if (format > kHighestFormat || declaredTracks == 0)
        throw RenderError(notMidi + " (its header is damaged)");
    if (division & kSmpteDivisionFlag)
        throw RenderError(path + " counts time in SMPTE frames, which is not supported; save it with "
                                 "ticks per quarter note");
    if (division == 0)
        throw RenderError(notMidi + " (its header gives no time division)");

    std::uint32_t tracks = 0;
    std::size_t at = kHeaderChunkSize;
    while (at + kChunkHeaderSize <= bytes.size())
    {
        const std::size_t length = bigEndian(bytes, at + kChunkIdLength, kLengthBytes);
        if (length > bytes.size() - at - kChunkHeaderSize)
            throw RenderError(path + " is cut short (a chunk runs past the end of the file)");
        if (hasId(bytes, at, "MTrk"))
            ++tracks;
        at += kChunkHeaderSize + length;
    }
    if (tracks < declaredTracks)
        throw RenderError(path + " is cut short (it declares " + std::to_string(declaredTracks) +
                          " tracks and holds " + std::to_string(tracks) + ")");
}

// libsmf ends the process with an assertion when a damaged track runs out before its end-of-track
// event, so a file is first loaded in a child process; only one that loads there is loaded here.
bool loadsInChildProcess(const std::vector<std::uint8_t>& bytes)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return true; // no child to be had: the load goes ahead unguarded
    if (child == 0)
    {
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0)
            dup2(devNull, STDERR_FILENO);
        smf_t* smf = smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size()));
        _exit(smf ? EXIT_SUCCESS : EXIT_FAILURE);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return true;
    return !WIFSIGNALED(status);
}

SmfPointer loadSmf(const std::string& path)
{
    std::vector<std::uint8_t> bytes = readMidiBytes(path);
    checkChunkFraming(bytes, path);
    if (!loadsInChildProcess(bytes))
        throw RenderError(path + " is damaged (a track ends in the middle of an event)");
    SmfMessageCapture messages;
    SmfPointer smf(smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size())));
    const std::string reason = withoutPrefix(messages.reason());
    if (!smf)
        throw RenderError(path + " is not a readable Standard MIDI File" +
                          (reason.empty() ? std::string() : " (" + reason + ")"));
    if (!reason.empty())
        throw RenderError(path + " is damaged (" + reason + ")");
    return smf;
}

std::vector<TempoSegment> readTempoMap(const smf_t& smf)
{
    std::vector<TempoSegment> tempos;
    for (int i = 0;; ++i)
    {
        const smf_tempo_t* tempo = smf_get_tempo_by_number(&smf, i);
        if (!tempo)
            break;
        TempoSegment segment;
        segment.seconds = tempo->time_seconds;
        segment.quarters = static_cast<double>(tempo->time_pulses) / smf.ppqn;
        segment.microsPerQuarter = tempo->microseconds_per_quarter_note;
        segment.numerator = tempo->numerator;
        segment.denominator = tempo->denominator;
        tempos.push_back(segment);
    }
    if (tempos.empty() || tempos.front().seconds > 0.0)
        tempos.insert(tempos.begin(), TempoSegment{});
    return tempos;
}

// Pairs note-offs with the oldest held note of their key and channel.
class NoteTracker
{
public:
    std::int32_t start(int channel, int key)
    {
        const std::int32_t id = nextId++;
        held[{channel, key}].push_back(id);
        return id;
    }
    // The id of the note a note-off ends, or -1 when no such note is held.
    std::int32_t stop(int channel, int key)
    {
        auto found = held.find({channel, key});
        if (found == held.end() || found->second.empty())
            return -1;
        const std::int32_t id = found->second.front();
        found->second.pop_front();
        return id;
    }
    template <typename Visit>
    void forEachHeld(Visit visit) const
    {
        for (const auto& [note, ids] : held)
            for (std::int32_t id : ids)
                visit(note.first, note.second, id);
    }

private:
    std::int32_t nextId = 0;
    std::map<std::pair<int, int>, std::deque<std::int32_t>> held;
};

MidiEvent note(MidiEvent::Kind kind, double seconds, int channel, int key, float velocity, std::int32_t id)
{
    MidiEvent e;
    e.kind = kind;
    e.seconds = seconds;
    e.channel = channel;
    e.key = key;
    e.velocity = velocity;
    e.noteId = id;
    return e;
}

MidiEvent controller(double seconds, int channel, int number, double value)
{
    MidiEvent e;
    e.kind = MidiEvent::Kind::Controller;
    e.seconds = seconds;
    e.channel = channel;
    e.controller = number;
    e.value = value;
    return e;
}

void readEvents(smf_t& smf, MidiPerformance& performance)
{
    NoteTracker notes;
    double fileEnd = 0.0;
    smf_rewind(&smf);
    while (smf_event_t* event = smf_get_next_event(&smf))
    {
        fileEnd = std::max(fileEnd, event->time_seconds);
        if (smf_event_is_metadata(event) || smf_event_is_sysex(event) || event->midi_buffer_length < 1)
            continue;
        performance.endSeconds = std::max(performance.endSeconds, event->time_seconds);
        std::optional<MidiEvent> decoded =
            decodeChannelMessage(event->midi_buffer, static_cast<std::size_t>(event->midi_buffer_length));
        if (!decoded)
            continue;
        decoded->seconds = event->time_seconds;
        if (decoded->kind == MidiEvent::Kind::NoteOn)
            decoded->noteId = notes.start(decoded->channel, decoded->key);
        else if (decoded->kind == MidiEvent::Kind::NoteOff)
        {
            decoded->noteId = notes.stop(decoded->channel, decoded->key);
            if (decoded->noteId < 0)
                continue;
        }
        performance.events.push_back(*decoded);
    }
    // A file that ends with keys down still ends its notes, where the file ends.
    notes.forEachHeld([&](int channel, int key, std::int32_t id) {
        performance.events.push_back(note(MidiEvent::Kind::NoteOff, fileEnd, channel, key, 0.0f, id));
        performance.endSeconds = fileEnd;
        ++performance.heldNotesReleased;
    });
}

} // namespace

std::optional<MidiEvent> decodeChannelMessage(const unsigned char* bytes, std::size_t length)
{
    if (length < 1)
        return std::nullopt;
    const int status = bytes[0] & kStatusMask;
    const int channel = bytes[0] & kChannelMask;
    const int data1 = length > 1 ? bytes[1] : 0;
    const int data2 = length > 2 ? bytes[2] : 0;
    if (status == kNoteOnStatus && data2 > 0)
        return note(MidiEvent::Kind::NoteOn, 0.0, channel, data1, static_cast<float>(data2) / kMax7Bit, -1);
    if (status == kNoteOffStatus || status == kNoteOnStatus)
        return note(MidiEvent::Kind::NoteOff, 0.0, channel, data1, static_cast<float>(data2) / kMax7Bit, -1);
    if (status == kControlChangeStatus)
        return controller(0.0, channel, data1, controllerValue(data2));
    if (status == kChannelPressureStatus)
        return controller(0.0, channel, kChannelPressureController, controllerValue(data1));
    if (status == kPitchBendStatus)
        return controller(0.0, channel, kPitchBendController, pitchBendValue(data1 | (data2 << kDataBits)));
    return std::nullopt;
}

double controllerValue(int value7Bit)
{
    return static_cast<double>(std::clamp(value7Bit, 0, kMax7Bit)) / kMax7Bit;
}

double pitchBendValue(int value14Bit)
{
    const int v = std::clamp(value14Bit, 0, kMax14Bit);
    if (v < kPitchBendCentre)
        return 0.5 * v / kPitchBendCentre;
    return 0.5 + 0.5 * (v - kPitchBendCentre) / (kMax14Bit - kPitchBendCentre);
}

MidiPerformance readMidiFile(const std::string& path)
{
    SmfPointer smf = loadSmf(path);
    MidiPerformance performance;
    performance.tempos = readTempoMap(*smf);
    readEvents(*smf, performance);
    const bool hasNotes = std::any_of(performance.events.begin(), performance.events.end(),
                                      [](const MidiEvent& e) { return e.kind == MidiEvent::Kind::NoteOn; });
    if (!hasNotes)
        throw RenderError(path + " contains no notes");
    return performance;
}

} // namespace talvane::render
