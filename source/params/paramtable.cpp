#include "source/params/paramtable.h"

#include "source/params/paramcurves.h"

#include <cmath>
#include <cstring>

namespace talvane {

const char* const kWaveformNames[kNumWaveforms] = {
    "Saw",       "Sine",        "Tri",       "Square",      "White Noise", "Pink Noise", "4 Steps",
    "33 Square", "Asym Square", "Trapezoid", "SmoothSaw 1", "SmoothSaw 2", "Rectified",  "Half Rectified",
};

const char* const kFilterTypeNames[kNumFilterTypes] = {"LP", "BP", "HP", "Peak", "Notch"};

const char* const kNoteModeNames[kNumNoteModes] = {"Poly", "Mono", "Legato"};

const char* const kEnvTypeNames[kNumEnvTypes] = {"Positive", "Negative", "Bipolar+", "Bipolar-"};

const char* const kModSourceNames[kNumModSources] = {
    "None", "ModWheel", "PitchBend", "Velocity", "AmpEnv", "FilterEnv", "ModEnv1", "ModEnv2", "Lfo1", "Lfo2",
};

const char* const kOctaveNames[kNumOctaves] = {"-2", "-1", "0", "1", "2", "3", "4", "5", "6", "7"};

const char* const kNoteNames[kNumNoteNames] = {"C",  "C#", "D",  "D#", "E",  "F",
                                               "F#", "G",  "G#", "A",  "A#", "B"};

const char* const kSyncDivisionNames[kNumSyncDivisions] = {
    "16 D",   "16",    "16 T",   "8 D",     "8",      "8 T",     "4 D",     "4",      "4 T",     "2 D",
    "2",      "2 T",   "1 D",    "1",       "1 T",    "1/2 D",   "1/2",     "1/2 T",  "1/4 D",   "1/4",
    "1/4 T",  "1/8 D", "1/8",    "1/8 T",   "1/16 D", "1/16",    "1/16 T",  "1/32 D", "1/32",    "1/32 T",
    "1/64 D", "1/64",  "1/64 T", "1/128 D", "1/128",  "1/128 T", "1/256 D", "1/256",  "1/256 T",
};

const char* const kModDestNames[kNumModDestinations] = {
    "None",
    "COMMON | Pitch",
    "AMP | Volume",
    "AMP | Attack",
    "AMP | Decay",
    "AMP | Sustain",
    "AMP | Release",
    "FILTER | Cutoff",
    "FILTER | Q",
    "FILTER | Amount",
    "FILTER | Attack",
    "FILTER | Decay",
    "FILTER | Sustain",
    "FILTER | Release",
    "OSC1 | Mix",
    "OSC1 | Pitch",
    "OSC1 | InitPhase",
    "OSC1 | StereoDephase",
    "OSC1 | Panning",
    "OSC1 | Stretch",
    "OSC2 | Mix",
    "OSC2 | Pitch",
    "OSC2 | InitPhase",
    "OSC2 | StereoDephase",
    "OSC2 | Panning",
    "OSC2 | Stretch",
    "OSC3 | Mix",
    "OSC3 | Pitch",
    "OSC3 | InitPhase",
    "OSC3 | StereoDephase",
    "OSC3 | Panning",
    "OSC3 | Stretch",
    "OSC C | FM_1_to_2",
    "OSC C | FM3OscMix",
    "OSC C | FM3Amount",
    "OSC C | RM1_2Mix",
    "OSC C | RM1_3Mix",
    "OSC C | RM2_3Mix",
    "LFO1 | Amount",
    "LFO1 | Freq",
    "LFO1 | InitPhase",
    "LFO1 | Clipping",
    "LFO1 | Slot1Amount",
    "LFO1 | Slot2Amount",
    "LFO1 | Slot3Amount",
    "LFO1 | Slot4Amount",
    "LFO2 | Amount",
    "LFO2 | Freq",
    "LFO2 | InitPhase",
    "LFO2 | Clipping",
    "LFO2 | Slot1Amount",
    "LFO2 | Slot2Amount",
    "LFO2 | Slot3Amount",
    "LFO2 | Slot4Amount",
    "ENV1 | Amount",
    "ENV1 | Attack",
    "ENV1 | Decay",
    "ENV1 | Sustain",
    "ENV1 | Release",
    "ENV1 | Slot1Amount",
    "ENV1 | Slot2Amount",
    "ENV1 | Slot3Amount",
    "ENV1 | Slot4Amount",
    "ENV2 | Amount",
    "ENV2 | Attack",
    "ENV2 | Decay",
    "ENV2 | Sustain",
    "ENV2 | Release",
    "ENV2 | Slot1Amount",
    "ENV2 | Slot2Amount",
    "ENV2 | Slot3Amount",
    "ENV2 | Slot4Amount",
    "MAT1 | Amount",
    "MAT1 | Clipping",
    "MAT1 | Slot1Amount",
    "MAT1 | Slot2Amount",
    "MAT1 | Slot3Amount",
    "MAT1 | Slot4Amount",
    "MAT2 | Amount",
    "MAT2 | Clipping",
    "MAT2 | Slot1Amount",
    "MAT2 | Slot2Amount",
    "MAT2 | Slot3Amount",
    "MAT2 | Slot4Amount",
};

namespace {

constexpr int kOscillatorBlocks = static_cast<int>((kO1Mix - osc_param::kFirst) / osc_param::kStride);
constexpr int kLfoBlocks = static_cast<int>((env_param::kFirst - lfo_param::kFirst) / lfo_param::kStride);
constexpr int kEnvBlocks = static_cast<int>((matrix_param::kFirst - env_param::kFirst) / env_param::kStride);
constexpr int kMatrixBlocks =
    static_cast<int>((kMatrix2Amount4 + 1 - matrix_param::kFirst) / matrix_param::kStride);

constexpr NameList kNoNames{nullptr, 0};
constexpr NameList kWaveforms{kWaveformNames, kNumWaveforms};
constexpr NameList kDestinations{kModDestNames, kNumModDestinations};

// Joins up to three pieces and a block number into a record's text: text("O", 2, "_Mix") is "O2_Mix".
constexpr RecordText text(const char* first, int number = -1, const char* rest = "")
{
    RecordText out{};
    int n = 0;
    for (const char* c = first; *c != '\0' && n + 1 < RecordText::kCapacity; ++c)
        out.chars[n++] = *c;
    if (number >= 0 && n + 1 < RecordText::kCapacity)
        out.chars[n++] = static_cast<char>('0' + number);
    for (const char* c = rest; *c != '\0' && n + 1 < RecordText::kCapacity; ++c)
        out.chars[n++] = *c;
    out.chars[n] = '\0';
    return out;
}

constexpr ParamRecord continuous(RecordText title, RecordText caption, float defaultValue,
                                 EngineLaw law = EngineLaw::Normalized,
                                 DisplayRule display = DisplayRule::Percent)
{
    const bool followsRate =
        law == EngineLaw::AttackTime || law == EngineLaw::DecayTime || law == EngineLaw::ReleaseTime;
    return {0,       title,    caption,     ParamKind::Continuous, 0, 0, defaultValue, law,
            display, kNoNames, followsRate, PlainUnit::Unitless};
}

constexpr ParamRecord toggle(RecordText title, RecordText caption, bool on, EngineLaw law = EngineLaw::Switch)
{
    return {0,
            title,
            caption,
            ParamKind::Toggle,
            2,
            0,
            on ? 1.0f : 0.0f,
            law,
            DisplayRule::Plain,
            kNoNames,
            false,
            PlainUnit::Unitless};
}

constexpr ParamRecord stepped(RecordText title, RecordText caption, int lowest, int highest, int defaultValue,
                              PlainUnit unit = PlainUnit::Unitless, EngineLaw law = EngineLaw::PlainValue)
{
    return {0,
            title,
            caption,
            ParamKind::Stepped,
            highest - lowest + 1,
            lowest,
            static_cast<float>(defaultValue),
            law,
            DisplayRule::Plain,
            kNoNames,
            false,
            unit};
}

constexpr ParamRecord list(RecordText title, RecordText caption, NameList names, int defaultValue,
                           EngineLaw law = EngineLaw::PlainValue)
{
    return {0,
            title,
            caption,
            ParamKind::List,
            names.count,
            0,
            static_cast<float>(defaultValue),
            law,
            DisplayRule::Plain,
            names,
            false,
            PlainUnit::Unitless};
}

struct RecordTable
{
    std::array<ParamRecord, kNumParams> records{};

    constexpr void set(ParamId id, ParamRecord record)
    {
        record.id = id;
        records[id] = record;
    }
};

// The times of an envelope stage set, as the amplitude, filter and modulation envelopes share them.
constexpr ParamRecord attackTime(RecordText title, float defaultValue)
{
    return continuous(title, text("ATTACK"), defaultValue, EngineLaw::AttackTime, DisplayRule::AttackTime);
}
constexpr ParamRecord decayTime(RecordText title, float defaultValue)
{
    return continuous(title, text("DECAY"), defaultValue, EngineLaw::DecayTime, DisplayRule::DecayTime);
}
constexpr ParamRecord sustainLevel(RecordText title, float defaultValue)
{
    return continuous(title, text("SUSTAIN"), defaultValue);
}
constexpr ParamRecord releaseTime(RecordText title, float defaultValue)
{
    return continuous(title, text("RELEASE"), defaultValue, EngineLaw::ReleaseTime, DisplayRule::ReleaseTime);
}

constexpr void addOscillator(RecordTable& t, int i)
{
    const int n = i + 1;
    const ParamId first = osc_param::kFirst + static_cast<ParamId>(i) * osc_param::kStride;
    t.set(first + osc_param::kOn, toggle(text("O", n, "_On"), text("ON"), i == 0));
    t.set(first + osc_param::kWaveform, list(text("O", n, "_Waveform"), text("WAVE"), kWaveforms, 0));
    t.set(first + osc_param::kPanning, continuous(text("O", n, "_Panning"), text("PAN"), 0.5f,
                                                  EngineLaw::Normalized, DisplayRule::LeftRight));
    t.set(first + osc_param::kPhaseInit, continuous(text("O", n, "_PhaseInit"), text("PHASE"), 0.0f,
                                                    EngineLaw::Normalized, DisplayRule::Phase));
    t.set(first + osc_param::kRetrig, toggle(text("O", n, "_Retrig"), text("RTG"), true));
    t.set(first + osc_param::kOctave,
          stepped(text("O", n, "_Octave"), text("OCTAVE"), -3, 3, 0, PlainUnit::Octaves, EngineLaw::Octave));
    t.set(first + osc_param::kDetune,
          stepped(text("O", n, "_Detune"), text("DETUNE"), -12, 12, 0, PlainUnit::Semitones));
    t.set(first + osc_param::kFineTune, continuous(text("O", n, "_FineTune"), text("FINE"), 0.5f,
                                                   EngineLaw::FineTune, DisplayRule::FineTune));
    t.set(first + osc_param::kWaveStretch, continuous(text("O", n, "_WaveStrech"), text("STRETCH"), 0.5f,
                                                      EngineLaw::Normalized, DisplayRule::PlusMinus));
    t.set(first + osc_param::kInvert, toggle(text("O", n, "_Invert"), text("INV"), false));
    t.set(first + osc_param::kSterDeph, continuous(text("O", n, "_SterDeph"), text("STEREO"), 0.5f,
                                                   EngineLaw::Normalized, DisplayRule::LeftRight));
    t.set(kO1Mix + static_cast<ParamId>(i), continuous(text("O", n, "_Mix"), text("OSC ", n), 1.0f));
}

// The four (destination, amount) pairs that end every modulator block; `target` names the
// destination ("Dest" or "Target").
constexpr void addSlots(RecordTable& t, ParamId firstSlot, const char* prefix, int n, const char* target)
{
    const RecordText block = text(prefix, n, "_");
    const RecordText destination = text(block, -1, target);
    const RecordText amount = text(block, -1, "Amount");
    for (int k = 0; k < kSlotsPerModulator; ++k)
    {
        const ParamId id = firstSlot + static_cast<ParamId>(k) * kSlotStride;
        t.set(id, list(text(destination, k + 1), text("DEST ", k + 1), kDestinations, 0));
        t.set(id + 1, continuous(text(amount, k + 1), text("AMOUNT"), 0.5f, EngineLaw::SlotAmount,
                                 DisplayRule::PlusMinus));
    }
}

constexpr void addLfo(RecordTable& t, int l)
{
    const int n = l + 1;
    const ParamId first = lfo_param::kFirst + static_cast<ParamId>(l) * lfo_param::kStride;
    t.set(first + lfo_param::kAmount, continuous(text("LFO", n, "_Amount"), text("AMOUNT"), 0.5f));
    t.set(first + lfo_param::kWaveform, list(text("LFO", n, "_Waveform"), text("WAVE"), kWaveforms, 1));
    t.set(first + lfo_param::kFreq, continuous(text("LFO", n, "_Freq"), text("FREQ"), 0.1f,
                                               EngineLaw::Normalized, DisplayRule::LfoFrequency));
    t.set(first + lfo_param::kRetrig, toggle(text("LFO", n, "_Retrig"), text("RETRIG"), false));
    t.set(first + lfo_param::kSync, toggle(text("LFO", n, "_Sync"), text("SYNC"), false));
    t.set(first + lfo_param::kInitPhase, continuous(text("LFO", n, "_InitPhase"), text("PHASE"), 0.0f,
                                                    EngineLaw::Normalized, DisplayRule::Phase));
    t.set(first + lfo_param::kClipping, continuous(text("LFO", n, "_Clipping"), text("CLIPPING"), 0.5f,
                                                   EngineLaw::Bipolar, DisplayRule::PlusMinus));
    addSlots(t, first + lfo_param::kFirstSlot, "LFO", n, "Dest");
}

constexpr void addModEnvelope(RecordTable& t, int e)
{
    const int n = e + 1;
    const ParamId first = env_param::kFirst + static_cast<ParamId>(e) * env_param::kStride;
    t.set(first + env_param::kAmount, continuous(text("ENV", n, "_Amount"), text("AMOUNT"), 0.5f));
    t.set(first + env_param::kType, list(text("ENV", n, "_Type"), text("TYPE"), {kEnvTypeNames, kNumEnvTypes},
                                         0, EngineLaw::EnvelopeType));
    t.set(first + env_param::kAttack, attackTime(text("ENV", n, "_Attack"), 0.0f));
    t.set(first + env_param::kDecay, decayTime(text("ENV", n, "_Decay"), 0.1f));
    t.set(first + env_param::kSustain, sustainLevel(text("ENV", n, "_Sustain"), 0.0f));
    t.set(first + env_param::kRelease, releaseTime(text("ENV", n, "_Release"), 0.0f));
    addSlots(t, first + env_param::kFirstSlot, "ENV", n, "Dest");
}

constexpr void addMatrix(RecordTable& t, int m)
{
    const int n = m + 1;
    const ParamId first = matrix_param::kFirst + static_cast<ParamId>(m) * matrix_param::kStride;
    t.set(first + matrix_param::kSource,
          list(text("MATRIX", n, "_Src"), text("SRC"), {kModSourceNames, kNumModSources}, 0));
    t.set(first + matrix_param::kAmount, continuous(text("MATRIX", n, "_Amount"), text("AMOUNT"), 0.5f));
    t.set(first + matrix_param::kClipping, continuous(text("MATRIX", n, "_Clipping"), text("CLIPPING"), 0.5f,
                                                      EngineLaw::Bipolar, DisplayRule::PlusMinus));
    addSlots(t, first + matrix_param::kFirstSlot, "MATRIX", n, "Target");
}

constexpr std::array<ParamRecord, kNumParams> buildRecords()
{
    RecordTable t;
    t.set(kGlobalVolume, continuous(text("GlobalVolume"), text("VOLUME"), 0.8f, EngineLaw::VolumeGain,
                                    DisplayRule::VolumeCurve));
    t.set(kPortamento, continuous(text("Portamento"), text("PORTA"), 0.0f, EngineLaw::GlideTime,
                                  DisplayRule::Portamento));
    t.set(kAAttack, attackTime(text("A_Attack"), 0.0f));
    t.set(kADecay, decayTime(text("A_Decay"), 0.3f));
    t.set(kASustain, sustainLevel(text("A_Sustain"), 1.0f));
    t.set(kARelease, releaseTime(text("A_Release"), 0.0f));
    t.set(kFOn, toggle(text("F_On"), text("ON"), true));
    t.set(kFCutoff,
          continuous(text("F_Cutoff"), text("CUTOFF"), 1.0f, EngineLaw::Normalized, DisplayRule::Cutoff));
    t.set(kFQ, continuous(text("F_Q"), text("Q"), 0.0f));
    t.set(kFType, list(text("F_Type"), text("TYPE"), {kFilterTypeNames, kNumFilterTypes}, 0));
    t.set(kFAmount,
          continuous(text("F_Amount"), text("AMOUNT"), 0.5f, EngineLaw::Bipolar, DisplayRule::PlusMinus));
    t.set(kFAttack, attackTime(text("F_Attack"), 0.0f));
    t.set(kFDecay, decayTime(text("F_Decay"), 0.0f));
    t.set(kFSustain, sustainLevel(text("F_Sustain"), 0.0f));
    t.set(kFRelease, releaseTime(text("F_Release"), 0.0f));
    for (int i = 0; i < kOscillatorBlocks; ++i)
        addOscillator(t, i);
    t.set(kFmO1O2, continuous(text("FM_O1->O2"), text("FM2 AMT"), 0.0f));
    t.set(kFm3Amount, continuous(text("FM3_Amount"), text("FM3 AMT"), 0.0f));
    t.set(kFm3O1O2Mix, continuous(text("FM3_O1/O2_Mix"), text("FM3 O1/2"), 0.0f));
    t.set(kRm1x2, continuous(text("RM_1x2"), text("RM 1x2"), 0.0f));
    t.set(kRm1x3, continuous(text("RM_1x3"), text("RM 1x3"), 0.0f));
    t.set(kRm2x3, continuous(text("RM_2x3"), text("RM 2x3"), 0.0f));
    t.set(kNoteMode, list(text("NoteMode"), text("MODE"), {kNoteModeNames, kNumNoteModes}, 0));
    t.set(kPolyphony, stepped(text("Polyphony"), text("POLY"), 1, 16, 16));
    t.set(kModWheel,
          continuous(text("ModWheel"), text("WHEEL"), 0.5f, EngineLaw::Bipolar, DisplayRule::PlusMinus));
    t.set(kPitchBend,
          continuous(text("PitchBend"), text("PB"), 0.5f, EngineLaw::Combined, DisplayRule::PlusMinus));
    t.set(kPbUp, stepped(text("PB_Up"), text("PB UP"), 0, 36, 1, PlainUnit::Semitones, EngineLaw::Combined));
    t.set(kPbDown,
          stepped(text("PB_Down"), text("PB DOWN"), 0, 36, 1, PlainUnit::Semitones, EngineLaw::Combined));
    t.set(kPanic, toggle(text("Panic"), text("PANIC"), false, EngineLaw::IntakeOnly));
    t.set(kKeyFollow, continuous(text("KeyFollow"), text("KEY FLW"), 0.0f));
    t.set(kRefOctave,
          list(text("RefOctave"), text("REF OCT"), {kOctaveNames, kNumOctaves}, 5, EngineLaw::Combined));
    t.set(kRefNote,
          list(text("RefNote"), text("REF NOTE"), {kNoteNames, kNumNoteNames}, 9, EngineLaw::Combined));
    for (int l = 0; l < kLfoBlocks; ++l)
        addLfo(t, l);
    for (int e = 0; e < kEnvBlocks; ++e)
        addModEnvelope(t, e);
    for (int m = 0; m < kMatrixBlocks; ++m)
        addMatrix(t, m);
    return t.records;
}

// A record left out leaves its ID with an empty title and no ID of its own.
constexpr bool everyIdHasItsRecord(const std::array<ParamRecord, kNumParams>& records)
{
    for (int id = 0; id < kNumParams; ++id)
        if (records[id].id != static_cast<ParamId>(id) || records[id].title.chars[0] == '\0')
            return false;
    return true;
}

} // namespace

constexpr std::array<ParamRecord, kNumParams> kParamRecords = buildRecords();
static_assert(everyIdHasItsRecord(kParamRecords), "every parameter ID needs its record");

bool isDiscrete(ParamId id)
{
    return id < kNumParams && kParamRecords[id].numValues > 0;
}

// Only the routing slots select from the destinations and shape their amount by them.
bool isSlotDestination(ParamId id)
{
    return id < kNumParams && kParamRecords[id].names.names == kModDestNames;
}

bool isSlotAmount(ParamId id)
{
    return id < kNumParams && kParamRecords[id].law == EngineLaw::SlotAmount;
}

NameList nameListOf(ParamId id)
{
    return id < kNumParams ? kParamRecords[id].names : kNoNames;
}

int plainValueNamed(ParamId id, const char* name)
{
    const NameList list = nameListOf(id);
    for (int i = 0; name && i < list.count; ++i)
        if (std::strcmp(list.names[i], name) == 0)
            return i;
    return -1;
}

float normalizedFromIndex(ParamId id, int plain)
{
    const ParamRecord& def = kParamRecords[id];
    // Widened before subtracting: a plain value read from a saved state can be any 32-bit number.
    const auto steps = static_cast<std::int64_t>(plain) - def.minValue;
    return static_cast<float>(steps) / static_cast<float>(def.numValues - 1);
}

int indexFromNormalized(ParamId id, float normalized)
{
    const ParamRecord& def = kParamRecords[id];
    const float n = static_cast<float>(def.numValues);
    const float lowest = static_cast<float>(def.minValue);
    // N * x (not (N - 1) * x) splits 0..1 into N equal bins; the last bin is closed at 1.0.
    const float scaled = std::fmin(n * normalized + lowest, n - 1.0f + lowest);
    return static_cast<int>(std::floor(scaled));
}

float defaultNormalized(ParamId id)
{
    const ParamRecord& def = kParamRecords[id];
    if (def.numValues > 0)
        return normalizedFromIndex(id, static_cast<int>(def.defaultValue));
    return def.defaultValue;
}

float engineQuantity(ParamId id, float x)
{
    const ParamRecord& record = kParamRecords[id];
    switch (record.law)
    {
    case EngineLaw::Normalized:
        return x;
    case EngineLaw::Bipolar:
    case EngineLaw::SlotAmount:
        return bipolar(x);
    case EngineLaw::VolumeGain:
        return volumeGain(x);
    case EngineLaw::FineTune:
        return fineTuneSemitones(x);
    case EngineLaw::GlideTime:
        return glideSeconds(x);
    case EngineLaw::AttackTime:
        return attackSeconds(x);
    case EngineLaw::DecayTime:
        return decaySeconds(x);
    case EngineLaw::ReleaseTime:
        return releaseSeconds(x);
    case EngineLaw::PlainValue:
    case EngineLaw::Switch:
        return static_cast<float>(indexFromNormalized(id, x));
    case EngineLaw::Octave:
        return kSemitonesPerOctave * static_cast<float>(indexFromNormalized(id, x));
    case EngineLaw::EnvelopeType:
        return static_cast<float>(static_cast<int>(static_cast<float>(record.names.count) * x));
    case EngineLaw::Combined:
    case EngineLaw::IntakeOnly:
        break;
    }
    return 0.0f;
}

} // namespace talvane
