#include "source/params/paramtable.h"

#include <cmath>
#include <cstring>

namespace talvane {

const ParamDef kParamDefs[kNumParams] = {
    // id, numValues, minValue, flags, defaultValue (plain for discrete, normalized for continuous)
    {0, 0, 0, 0, 0.8f},     // GlobalVolume
    {1, 0, 0, 0, 0.0f},     // Portamento
    {2, 0, 0, 0, 0.0f},     // A_Attack
    {3, 0, 0, 0, 0.3f},     // A_Decay
    {4, 0, 0, 0, 1.0f},     // A_Sustain
    {5, 0, 0, 0, 0.0f},     // A_Release
    {6, 2, 0, 0, 1.0f},     // F_On
    {7, 0, 0, 0, 1.0f},     // F_Cutoff
    {8, 0, 0, 0, 0.0f},     // F_Q
    {9, 5, 0, 0, 0.0f},     // F_Type
    {10, 0, 0, 0, 0.5f},    // F_Amount
    {11, 0, 0, 0, 0.0f},    // F_Attack
    {12, 0, 0, 0, 0.0f},    // F_Decay
    {13, 0, 0, 0, 0.0f},    // F_Sustain
    {14, 0, 0, 0, 0.0f},    // F_Release
    {15, 2, 0, 0, 1.0f},    // O1_On
    {16, 14, 0, 0, 0.0f},   // O1_Waveform
    {17, 0, 0, 0, 0.5f},    // O1_Panning
    {18, 0, 0, 0, 0.0f},    // O1_PhaseInit
    {19, 2, 0, 0, 1.0f},    // O1_Retrig
    {20, 7, -3, 0, 0.0f},   // O1_Octave
    {21, 25, -12, 0, 0.0f}, // O1_Detune
    {22, 0, 0, 0, 0.5f},    // O1_FineTune
    {23, 0, 0, 0, 0.5f},    // O1_WaveStrech
    {24, 2, 0, 0, 0.0f},    // O1_Invert
    {25, 0, 0, 0, 0.5f},    // O1_SterDeph
    {26, 2, 0, 0, 0.0f},    // O2_On
    {27, 14, 0, 0, 0.0f},   // O2_Waveform
    {28, 0, 0, 0, 0.5f},    // O2_Panning
    {29, 0, 0, 0, 0.0f},    // O2_PhaseInit
    {30, 2, 0, 0, 1.0f},    // O2_Retrig
    {31, 7, -3, 0, 0.0f},   // O2_Octave
    {32, 25, -12, 0, 0.0f}, // O2_Detune
    {33, 0, 0, 0, 0.5f},    // O2_FineTune
    {34, 0, 0, 0, 0.5f},    // O2_WaveStrech
    {35, 2, 0, 0, 0.0f},    // O2_Invert
    {36, 0, 0, 0, 0.5f},    // O2_SterDeph
    {37, 2, 0, 0, 0.0f},    // O3_On
    {38, 14, 0, 0, 0.0f},   // O3_Waveform
    {39, 0, 0, 0, 0.5f},    // O3_Panning
    {40, 0, 0, 0, 0.0f},    // O3_PhaseInit
    {41, 2, 0, 0, 1.0f},    // O3_Retrig
    {42, 7, -3, 0, 0.0f},   // O3_Octave
    {43, 25, -12, 0, 0.0f}, // O3_Detune
    {44, 0, 0, 0, 0.5f},    // O3_FineTune
    {45, 0, 0, 0, 0.5f},    // O3_WaveStrech
    {46, 2, 0, 0, 0.0f},    // O3_Invert
    {47, 0, 0, 0, 0.5f},    // O3_SterDeph
    {48, 0, 0, 0, 1.0f},    // O1_Mix
    {49, 0, 0, 0, 1.0f},    // O2_Mix
    {50, 0, 0, 0, 1.0f},    // O3_Mix
    {51, 0, 0, 0, 0.0f},    // FM_O1->O2
    {52, 0, 0, 0, 0.0f},    // FM3_Amount
    {53, 0, 0, 0, 0.0f},    // FM3_O1/O2_Mix
    {54, 0, 0, 0, 0.0f},    // RM_1x2
    {55, 0, 0, 0, 0.0f},    // RM_1x3
    {56, 0, 0, 0, 0.0f},    // RM_2x3
    {57, 3, 0, 0, 0.0f},    // NoteMode
    {58, 16, 1, 0, 16.0f},  // Polyphony
    {59, 0, 0, 0, 0.5f},    // ModWheel
    {60, 0, 0, 0, 0.5f},    // PitchBend
    {61, 37, 0, 0, 1.0f},   // PB_Up
    {62, 37, 0, 0, 1.0f},   // PB_Down
    {63, 2, 0, 0, 0.0f},    // Panic
    {64, 0, 0, 0, 0.0f},    // KeyFollow
    {65, 10, 0, 0, 5.0f},   // RefOctave
    {66, 12, 0, 0, 9.0f},   // RefNote
    {67, 0, 0, 0, 0.5f},    // LFO1_Amount
    {68, 14, 0, 0, 1.0f},   // LFO1_Waveform
    {69, 0, 0, 0, 0.1f},    // LFO1_Freq
    {70, 2, 0, 0, 0.0f},    // LFO1_Retrig
    {71, 2, 0, 0, 0.0f},    // LFO1_Sync
    {72, 0, 0, 0, 0.0f},    // LFO1_InitPhase
    {73, 0, 0, 0, 0.5f},    // LFO1_Clipping
    {74, 84, 0, 0, 0.0f},   // LFO1_Dest1
    {75, 0, 0, 0, 0.5f},    // LFO1_Amount1
    {76, 84, 0, 0, 0.0f},   // LFO1_Dest2
    {77, 0, 0, 0, 0.5f},    // LFO1_Amount2
    {78, 84, 0, 0, 0.0f},   // LFO1_Dest3
    {79, 0, 0, 0, 0.5f},    // LFO1_Amount3
    {80, 84, 0, 0, 0.0f},   // LFO1_Dest4
    {81, 0, 0, 0, 0.5f},    // LFO1_Amount4
    {82, 0, 0, 0, 0.5f},    // LFO2_Amount
    {83, 14, 0, 0, 1.0f},   // LFO2_Waveform
    {84, 0, 0, 0, 0.1f},    // LFO2_Freq
    {85, 2, 0, 0, 0.0f},    // LFO2_Retrig
    {86, 2, 0, 0, 0.0f},    // LFO2_Sync
    {87, 0, 0, 0, 0.0f},    // LFO2_InitPhase
    {88, 0, 0, 0, 0.5f},    // LFO2_Clipping
    {89, 84, 0, 0, 0.0f},   // LFO2_Dest1
    {90, 0, 0, 0, 0.5f},    // LFO2_Amount1
    {91, 84, 0, 0, 0.0f},   // LFO2_Dest2
    {92, 0, 0, 0, 0.5f},    // LFO2_Amount2
    {93, 84, 0, 0, 0.0f},   // LFO2_Dest3
    {94, 0, 0, 0, 0.5f},    // LFO2_Amount3
    {95, 84, 0, 0, 0.0f},   // LFO2_Dest4
    {96, 0, 0, 0, 0.5f},    // LFO2_Amount4
    {97, 0, 0, 0, 0.5f},    // ENV1_Amount
    {98, 4, 0, 0, 0.0f},    // ENV1_Type
    {99, 0, 0, 0, 0.0f},    // ENV1_Attack
    {100, 0, 0, 0, 0.1f},   // ENV1_Decay
    {101, 0, 0, 0, 0.0f},   // ENV1_Sustain
    {102, 0, 0, 0, 0.0f},   // ENV1_Release
    {103, 84, 0, 0, 0.0f},  // ENV1_Dest1
    {104, 0, 0, 0, 0.5f},   // ENV1_Amount1
    {105, 84, 0, 0, 0.0f},  // ENV1_Dest2
    {106, 0, 0, 0, 0.5f},   // ENV1_Amount2
    {107, 84, 0, 0, 0.0f},  // ENV1_Dest3
    {108, 0, 0, 0, 0.5f},   // ENV1_Amount3
    {109, 84, 0, 0, 0.0f},  // ENV1_Dest4
    {110, 0, 0, 0, 0.5f},   // ENV1_Amount4
    {111, 0, 0, 0, 0.5f},   // ENV2_Amount
    {112, 4, 0, 0, 0.0f},   // ENV2_Type
    {113, 0, 0, 0, 0.0f},   // ENV2_Attack
    {114, 0, 0, 0, 0.1f},   // ENV2_Decay
    {115, 0, 0, 0, 0.0f},   // ENV2_Sustain
    {116, 0, 0, 0, 0.0f},   // ENV2_Release
    {117, 84, 0, 0, 0.0f},  // ENV2_Dest1
    {118, 0, 0, 0, 0.5f},   // ENV2_Amount1
    {119, 84, 0, 0, 0.0f},  // ENV2_Dest2
    {120, 0, 0, 0, 0.5f},   // ENV2_Amount2
    {121, 84, 0, 0, 0.0f},  // ENV2_Dest3
    {122, 0, 0, 0, 0.5f},   // ENV2_Amount3
    {123, 84, 0, 0, 0.0f},  // ENV2_Dest4
    {124, 0, 0, 0, 0.5f},   // ENV2_Amount4
    {125, 10, 0, 0, 0.0f},  // MATRIX1_Src
    {126, 0, 0, 0, 0.5f},   // MATRIX1_Amount
    {127, 0, 0, 0, 0.5f},   // MATRIX1_Clipping
    {128, 84, 0, 0, 0.0f},  // MATRIX1_Target1
    {129, 0, 0, 0, 0.5f},   // MATRIX1_Amount1
    {130, 84, 0, 0, 0.0f},  // MATRIX1_Target2
    {131, 0, 0, 0, 0.5f},   // MATRIX1_Amount2
    {132, 84, 0, 0, 0.0f},  // MATRIX1_Target3
    {133, 0, 0, 0, 0.5f},   // MATRIX1_Amount3
    {134, 84, 0, 0, 0.0f},  // MATRIX1_Target4
    {135, 0, 0, 0, 0.5f},   // MATRIX1_Amount4
    {136, 10, 0, 0, 0.0f},  // MATRIX2_Src
    {137, 0, 0, 0, 0.5f},   // MATRIX2_Amount
    {138, 0, 0, 0, 0.5f},   // MATRIX2_Clipping
    {139, 84, 0, 0, 0.0f},  // MATRIX2_Target1
    {140, 0, 0, 0, 0.5f},   // MATRIX2_Amount1
    {141, 84, 0, 0, 0.0f},  // MATRIX2_Target2
    {142, 0, 0, 0, 0.5f},   // MATRIX2_Amount2
    {143, 84, 0, 0, 0.0f},  // MATRIX2_Target3
    {144, 0, 0, 0, 0.5f},   // MATRIX2_Amount3
    {145, 84, 0, 0, 0.0f},  // MATRIX2_Target4
    {146, 0, 0, 0, 0.5f},   // MATRIX2_Amount4
};

const char* const kParamNames[kNumParams] = {
    "GlobalVolume",
    "Portamento",
    "A_Attack",
    "A_Decay",
    "A_Sustain",
    "A_Release",
    "F_On",
    "F_Cutoff",
    "F_Q",
    "F_Type",
    "F_Amount",
    "F_Attack",
    "F_Decay",
    "F_Sustain",
    "F_Release",
    "O1_On",
    "O1_Waveform",
    "O1_Panning",
    "O1_PhaseInit",
    "O1_Retrig",
    "O1_Octave",
    "O1_Detune",
    "O1_FineTune",
    "O1_WaveStrech",
    "O1_Invert",
    "O1_SterDeph",
    "O2_On",
    "O2_Waveform",
    "O2_Panning",
    "O2_PhaseInit",
    "O2_Retrig",
    "O2_Octave",
    "O2_Detune",
    "O2_FineTune",
    "O2_WaveStrech",
    "O2_Invert",
    "O2_SterDeph",
    "O3_On",
    "O3_Waveform",
    "O3_Panning",
    "O3_PhaseInit",
    "O3_Retrig",
    "O3_Octave",
    "O3_Detune",
    "O3_FineTune",
    "O3_WaveStrech",
    "O3_Invert",
    "O3_SterDeph",
    "O1_Mix",
    "O2_Mix",
    "O3_Mix",
    "FM_O1->O2",
    "FM3_Amount",
    "FM3_O1/O2_Mix",
    "RM_1x2",
    "RM_1x3",
    "RM_2x3",
    "NoteMode",
    "Polyphony",
    "ModWheel",
    "PitchBend",
    "PB_Up",
    "PB_Down",
    "Panic",
    "KeyFollow",
    "RefOctave",
    "RefNote",
    "LFO1_Amount",
    "LFO1_Waveform",
    "LFO1_Freq",
    "LFO1_Retrig",
    "LFO1_Sync",
    "LFO1_InitPhase",
    "LFO1_Clipping",
    "LFO1_Dest1",
    "LFO1_Amount1",
    "LFO1_Dest2",
    "LFO1_Amount2",
    "LFO1_Dest3",
    "LFO1_Amount3",
    "LFO1_Dest4",
    "LFO1_Amount4",
    "LFO2_Amount",
    "LFO2_Waveform",
    "LFO2_Freq",
    "LFO2_Retrig",
    "LFO2_Sync",
    "LFO2_InitPhase",
    "LFO2_Clipping",
    "LFO2_Dest1",
    "LFO2_Amount1",
    "LFO2_Dest2",
    "LFO2_Amount2",
    "LFO2_Dest3",
    "LFO2_Amount3",
    "LFO2_Dest4",
    "LFO2_Amount4",
    "ENV1_Amount",
    "ENV1_Type",
    "ENV1_Attack",
    "ENV1_Decay",
    "ENV1_Sustain",
    "ENV1_Release",
    "ENV1_Dest1",
    "ENV1_Amount1",
    "ENV1_Dest2",
    "ENV1_Amount2",
    "ENV1_Dest3",
    "ENV1_Amount3",
    "ENV1_Dest4",
    "ENV1_Amount4",
    "ENV2_Amount",
    "ENV2_Type",
    "ENV2_Attack",
    "ENV2_Decay",
    "ENV2_Sustain",
    "ENV2_Release",
    "ENV2_Dest1",
    "ENV2_Amount1",
    "ENV2_Dest2",
    "ENV2_Amount2",
    "ENV2_Dest3",
    "ENV2_Amount3",
    "ENV2_Dest4",
    "ENV2_Amount4",
    "MATRIX1_Src",
    "MATRIX1_Amount",
    "MATRIX1_Clipping",
    "MATRIX1_Target1",
    "MATRIX1_Amount1",
    "MATRIX1_Target2",
    "MATRIX1_Amount2",
    "MATRIX1_Target3",
    "MATRIX1_Amount3",
    "MATRIX1_Target4",
    "MATRIX1_Amount4",
    "MATRIX2_Src",
    "MATRIX2_Amount",
    "MATRIX2_Clipping",
    "MATRIX2_Target1",
    "MATRIX2_Amount1",
    "MATRIX2_Target2",
    "MATRIX2_Amount2",
    "MATRIX2_Target3",
    "MATRIX2_Amount3",
    "MATRIX2_Target4",
    "MATRIX2_Amount4",
};

const char* const kParamCaptions[kNumParams] = {
    "VOLUME",  "PORTA",    "ATTACK",  "DECAY",    "SUSTAIN", "RELEASE", "ON",      "CUTOFF",   "Q",
    "TYPE",    "AMOUNT",   "ATTACK",  "DECAY",    "SUSTAIN", "RELEASE", "ON",      "WAVE",     "PAN",
    "PHASE",   "RTG",      "OCTAVE",  "DETUNE",   "FINE",    "STRETCH", "INV",     "STEREO",   "ON",
    "WAVE",    "PAN",      "PHASE",   "RTG",      "OCTAVE",  "DETUNE",  "FINE",    "STRETCH",  "INV",
    "STEREO",  "ON",       "WAVE",    "PAN",      "PHASE",   "RTG",     "OCTAVE",  "DETUNE",   "FINE",
    "STRETCH", "INV",      "STEREO",  "OSC 1",    "OSC 2",   "OSC 3",   "FM2 AMT", "FM3 AMT",  "FM3 O1/2",
    "RM 1x2",  "RM 1x3",   "RM 2x3",  "MODE",     "POLY",    "WHEEL",   "PB",      "PB UP",    "PB DOWN",
    "PANIC",   "KEY FLW",  "REF OCT", "REF NOTE", "AMOUNT",  "WAVE",    "FREQ",    "RETRIG",   "SYNC",
    "PHASE",   "CLIPPING", "DEST 1",  "AMOUNT",   "DEST 2",  "AMOUNT",  "DEST 3",  "AMOUNT",   "DEST 4",
    "AMOUNT",  "AMOUNT",   "WAVE",    "FREQ",     "RETRIG",  "SYNC",    "PHASE",   "CLIPPING", "DEST 1",
    "AMOUNT",  "DEST 2",   "AMOUNT",  "DEST 3",   "AMOUNT",  "DEST 4",  "AMOUNT",  "AMOUNT",   "TYPE",
    "ATTACK",  "DECAY",    "SUSTAIN", "RELEASE",  "DEST 1",  "AMOUNT",  "DEST 2",  "AMOUNT",   "DEST 3",
    "AMOUNT",  "DEST 4",   "AMOUNT",  "AMOUNT",   "TYPE",    "ATTACK",  "DECAY",   "SUSTAIN",  "RELEASE",
    "DEST 1",  "AMOUNT",   "DEST 2",  "AMOUNT",   "DEST 3",  "AMOUNT",  "DEST 4",  "AMOUNT",   "SRC",
    "AMOUNT",  "CLIPPING", "DEST 1",  "AMOUNT",   "DEST 2",  "AMOUNT",  "DEST 3",  "AMOUNT",   "DEST 4",
    "AMOUNT",  "SRC",      "AMOUNT",  "CLIPPING", "DEST 1",  "AMOUNT",  "DEST 2",  "AMOUNT",   "DEST 3",
    "AMOUNT",  "DEST 4",   "AMOUNT",
};

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

bool isDiscrete(ParamId id)
{
    return id < kNumParams && kParamDefs[id].numValues > 0;
}

namespace {

// Whether `id` is the parameter at `role` (0 destination, 1 amount) of one of the four
// (destination, amount) routing slots of a block whose slots start at first + block * stride +
// firstSlot.
bool isSlotParameter(ParamId id, ParamId first, ParamId stride, ParamId firstSlot, ParamId role)
{
    for (ParamId block = 0; block < 2; ++block)
    {
        const ParamId slots = first + block * stride + firstSlot;
        if (id >= slots && id < slots + kSlotsPerModulator * kSlotStride)
            return (id - slots) % kSlotStride == role;
    }
    return false;
}

bool isAnySlotParameter(ParamId id, ParamId role)
{
    return isSlotParameter(id, lfo_param::kFirst, lfo_param::kStride, lfo_param::kFirstSlot, role) ||
           isSlotParameter(id, env_param::kFirst, env_param::kStride, env_param::kFirstSlot, role) ||
           isSlotParameter(id, matrix_param::kFirst, matrix_param::kStride, matrix_param::kFirstSlot, role);
}

constexpr ParamId kSlotDestinationRole = 0;
constexpr ParamId kSlotAmountRole = 1;

} // namespace

bool isSlotDestination(ParamId id)
{
    return isAnySlotParameter(id, kSlotDestinationRole);
}

bool isSlotAmount(ParamId id)
{
    return isAnySlotParameter(id, kSlotAmountRole);
}

NameList nameListOf(ParamId id)
{
    switch (id)
    {
    case kFType:
        return {kFilterTypeNames, kNumFilterTypes};
    case kO1Waveform:
    case kO2Waveform:
    case kO3Waveform:
    case kLfo1Waveform:
    case kLfo2Waveform:
        return {kWaveformNames, kNumWaveforms};
    case kNoteMode:
        return {kNoteModeNames, kNumNoteModes};
    case kRefOctave:
        return {kOctaveNames, kNumOctaves};
    case kRefNote:
        return {kNoteNames, kNumNoteNames};
    case kEnv1Type:
    case kEnv2Type:
        return {kEnvTypeNames, kNumEnvTypes};
    case kMatrix1Src:
    case kMatrix2Src:
        return {kModSourceNames, kNumModSources};
    default:
        break;
    }
    if (isSlotDestination(id))
        return {kModDestNames, kNumModDestinations};
    return {nullptr, 0};
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
    const ParamDef& def = kParamDefs[id];
    // Widened before subtracting: a plain value read from a saved state can be any 32-bit number.
    const auto steps = static_cast<std::int64_t>(plain) - def.minValue;
    return static_cast<float>(steps) / static_cast<float>(def.numValues - 1);
}

int indexFromNormalized(ParamId id, float normalized)
{
    const ParamDef& def = kParamDefs[id];
    const float n = static_cast<float>(def.numValues);
    const float lowest = static_cast<float>(def.minValue);
    // N * x (not (N - 1) * x) splits 0..1 into N equal bins; the last bin is closed at 1.0.
    const float scaled = std::fmin(n * normalized + lowest, n - 1.0f + lowest);
    return static_cast<int>(std::floor(scaled));
}

float defaultNormalized(ParamId id)
{
    const ParamDef& def = kParamDefs[id];
    if (def.numValues > 0)
        return normalizedFromIndex(id, static_cast<int>(def.defaultValue));
    return def.defaultValue;
}

} // namespace talvane
