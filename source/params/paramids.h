// Parameter IDs: dense 0..146. The same number is the host's parameter ID, the index of every
// per-parameter array and the position of the value in the saved state, so these never change.
#pragma once

#include <cstdint>

namespace talvane {

using ParamId = std::uint32_t;

enum : ParamId
{
    kGlobalVolume = 0,
    kPortamento = 1,
    kAAttack = 2,
    kADecay = 3,
    kASustain = 4,
    kARelease = 5,
    kFOn = 6,
    kFCutoff = 7,
    kFQ = 8,
    kFType = 9,
    kFAmount = 10,
    kFAttack = 11,
    kFDecay = 12,
    kFSustain = 13,
    kFRelease = 14,
    kO1On = 15,
    kO1Waveform = 16,
    kO1Panning = 17,
    kO1PhaseInit = 18,
    kO1Retrig = 19,
    kO1Octave = 20,
    kO1Detune = 21,
    kO1FineTune = 22,
    kO1WaveStretch = 23,
    kO1Invert = 24,
    kO1SterDeph = 25,
    kO2On = 26,
    kO2Waveform = 27,
    kO2Panning = 28,
    kO2PhaseInit = 29,
    kO2Retrig = 30,
    kO2Octave = 31,
    kO2Detune = 32,
    kO2FineTune = 33,
    kO2WaveStretch = 34,
    kO2Invert = 35,
    kO2SterDeph = 36,
    kO3On = 37,
    kO3Waveform = 38,
    kO3Panning = 39,
    kO3PhaseInit = 40,
    kO3Retrig = 41,
    kO3Octave = 42,
    kO3Detune = 43,
    kO3FineTune = 44,
    kO3WaveStretch = 45,
    kO3Invert = 46,
    kO3SterDeph = 47,
    kO1Mix = 48,
    kO2Mix = 49,
    kO3Mix = 50,
    kFmO1O2 = 51,
    kFm3Amount = 52,
    kFm3O1O2Mix = 53,
    kRm1x2 = 54,
    kRm1x3 = 55,
    kRm2x3 = 56,
    kNoteMode = 57,
    kPolyphony = 58,
    kModWheel = 59,
    kPitchBend = 60,
    kPbUp = 61,
    kPbDown = 62,
    kPanic = 63,
    kKeyFollow = 64,
    kRefOctave = 65,
    kRefNote = 66,
    kLfo1Amount = 67,
    kLfo1Waveform = 68,
    kLfo1Freq = 69,
    kLfo1Retrig = 70,
    kLfo1Sync = 71,
    kLfo1InitPhase = 72,
    kLfo1Clipping = 73,
    kLfo1Dest1 = 74,
    kLfo1Amount1 = 75,
    kLfo1Dest2 = 76,
    kLfo1Amount2 = 77,
    kLfo1Dest3 = 78,
    kLfo1Amount3 = 79,
    kLfo1Dest4 = 80,
    kLfo1Amount4 = 81,
    kLfo2Amount = 82,
    kLfo2Waveform = 83,
    kLfo2Freq = 84,
    kLfo2Retrig = 85,
    kLfo2Sync = 86,
    kLfo2InitPhase = 87,
    kLfo2Clipping = 88,
    kLfo2Dest1 = 89,
    kLfo2Amount1 = 90,
    kLfo2Dest2 = 91,
    kLfo2Amount2 = 92,
    kLfo2Dest3 = 93,
    kLfo2Amount3 = 94,
    kLfo2Dest4 = 95,
    kLfo2Amount4 = 96,
    kEnv1Amount = 97,
    kEnv1Type = 98,
    kEnv1Attack = 99,
    kEnv1Decay = 100,
    kEnv1Sustain = 101,
    kEnv1Release = 102,
    kEnv1Dest1 = 103,
    kEnv1Amount1 = 104,
    kEnv1Dest2 = 105,
    kEnv1Amount2 = 106,
    kEnv1Dest3 = 107,
    kEnv1Amount3 = 108,
    kEnv1Dest4 = 109,
    kEnv1Amount4 = 110,
    kEnv2Amount = 111,
    kEnv2Type = 112,
    kEnv2Attack = 113,
    kEnv2Decay = 114,
    kEnv2Sustain = 115,
    kEnv2Release = 116,
    kEnv2Dest1 = 117,
    kEnv2Amount1 = 118,
    kEnv2Dest2 = 119,
    kEnv2Amount2 = 120,
    kEnv2Dest3 = 121,
    kEnv2Amount3 = 122,
    kEnv2Dest4 = 123,
    kEnv2Amount4 = 124,
    kMatrix1Src = 125,
    kMatrix1Amount = 126,
    kMatrix1Clipping = 127,
    kMatrix1Target1 = 128,
    kMatrix1Amount1 = 129,
    kMatrix1Target2 = 130,
    kMatrix1Amount2 = 131,
    kMatrix1Target3 = 132,
    kMatrix1Amount3 = 133,
    kMatrix1Target4 = 134,
    kMatrix1Amount4 = 135,
    kMatrix2Src = 136,
    kMatrix2Amount = 137,
    kMatrix2Clipping = 138,
    kMatrix2Target1 = 139,
    kMatrix2Amount1 = 140,
    kMatrix2Target2 = 141,
    kMatrix2Amount2 = 142,
    kMatrix2Target3 = 143,
    kMatrix2Amount3 = 144,
    kMatrix2Target4 = 145,
    kMatrix2Amount4 = 146,
};

constexpr int kNumParams = 147;

// The repeated blocks have the same layout at a fixed stride; code that handles "oscillator i" or
// "LFO i" addresses its parameters as first + i * stride + offset.
namespace osc_param {
constexpr ParamId kFirst = kO1On;
constexpr ParamId kStride = kO2On - kO1On;
enum : ParamId
{
    kOn,
    kWaveform,
    kPanning,
    kPhaseInit,
    kRetrig,
    kOctave,
    kDetune,
    kFineTune,
    kWaveStretch,
    kInvert,
    kSterDeph,
};
} // namespace osc_param

namespace lfo_param {
constexpr ParamId kFirst = kLfo1Amount;
constexpr ParamId kStride = kLfo2Amount - kLfo1Amount;
enum : ParamId
{
    kAmount,
    kWaveform,
    kFreq,
    kRetrig,
    kSync,
    kInitPhase,
    kClipping,
    kFirstSlot, // destination/amount pairs follow
};
} // namespace lfo_param

namespace env_param {
constexpr ParamId kFirst = kEnv1Amount;
constexpr ParamId kStride = kEnv2Amount - kEnv1Amount;
enum : ParamId
{
    kAmount,
    kType,
    kAttack,
    kDecay,
    kSustain,
    kRelease,
    kFirstSlot,
};
} // namespace env_param

namespace matrix_param {
constexpr ParamId kFirst = kMatrix1Src;
constexpr ParamId kStride = kMatrix2Src - kMatrix1Src;
enum : ParamId
{
    kSource,
    kAmount,
    kClipping,
    kFirstSlot,
};
} // namespace matrix_param

// Every LFO, modulation envelope and matrix block ends with four (destination, amount) pairs.
constexpr int kSlotsPerModulator = 4;
constexpr ParamId kSlotStride = 2;

} // namespace talvane
