#include "tools/presets/factorypresets.h"

#include "source/params/paramtable.h"

#include <cstring>
#include <stdexcept>

namespace talvane::presets {

namespace {

// The plain value of a list entry, named by the list's own text, so a preset reads as its sound.
template <int N>
std::string entry(const char* const (&list)[N], const char* name)
{
    for (int i = 0; i < N; ++i)
        if (std::strcmp(list[i], name) == 0)
            return std::to_string(i);
    throw std::logic_error(std::string("no list entry ") + name);
}

std::string set(const char* title, const std::string& value)
{
    return std::string(title) + "=" + value;
}

std::string wave(const char* title, const char* name)
{
    return set(title, entry(kWaveformNames, name));
}

std::string dest(const char* title, const char* name)
{
    return set(title, entry(kModDestNames, name));
}

std::string source(const char* title, const char* name)
{
    return set(title, entry(kModSourceNames, name));
}

// The normalized frequency that selects a tempo-sync division: the middle of its bin.
std::string syncDivision(const char* title, const char* name)
{
    const double index = std::stod(entry(kSyncDivisionNames, name));
    return set(title, std::to_string((index + 0.5) / kNumSyncDivisions));
}

std::vector<FactoryPreset> build()
{
    return {
        {"Warm Pad",
         "Three detuned saws under a slowly breathing low-pass; a sine LFO sways the cutoff and the "
         "panning, the mod wheel opens the filter.",
         {"GlobalVolume=0.85",
          "A_Attack=0.55",
          "A_Decay=0.5",
          "A_Sustain=0.85",
          "A_Release=0.55",
          wave("O1_Waveform", "Saw"),
          "O1_FineTune=0.42",
          "O1_Panning=0.35",
          "O1_SterDeph=0.6",
          "O1_Mix=0.8",
          "O2_On=1",
          wave("O2_Waveform", "Saw"),
          "O2_FineTune=0.58",
          "O2_Panning=0.65",
          "O2_SterDeph=0.4",
          "O2_Mix=0.8",
          "O3_On=1",
          wave("O3_Waveform", "Tri"),
          "O3_Octave=-1",
          "O3_Mix=0.6",
          "F_Cutoff=0.5",
          "F_Q=0.2",
          "F_Amount=0.6",
          "F_Attack=0.6",
          "F_Decay=0.6",
          "F_Sustain=0.5",
          "F_Release=0.5",
          "KeyFollow=0.3",
          wave("LFO1_Waveform", "Sine"),
          "LFO1_Freq=0.05",
          "LFO1_Amount=0.6",
          dest("LFO1_Dest1", "FILTER | Cutoff"),
          "LFO1_Amount1=0.75",
          dest("LFO1_Dest2", "OSC1 | Panning"),
          "LFO1_Amount2=0.7",
          wave("LFO2_Waveform", "Tri"),
          "LFO2_Freq=0.08",
          dest("LFO2_Dest1", "COMMON | Pitch"),
          "LFO2_Amount1=0.58",
          dest("LFO2_Dest2", "OSC2 | Panning"),
          "LFO2_Amount2=0.3",
          source("MATRIX1_Src", "ModWheel"),
          dest("MATRIX1_Target1", "FILTER | Cutoff"),
          "MATRIX1_Amount1=0.85"}},
        {"Round Bass",
         "Mono bass of a saw, a square and a sine sub-octave; a resonant low-pass with a quick filter "
         "envelope gives each note its snap.",
         {"GlobalVolume=0.9",
          "NoteMode=1",
          "Portamento=0.02",
          "A_Decay=0.5",
          "A_Sustain=0.8",
          "A_Release=0.15",
          wave("O1_Waveform", "Saw"),
          "O1_Octave=-1",
          "O2_On=1",
          wave("O2_Waveform", "Square"),
          "O2_Octave=-1",
          "O2_FineTune=0.53",
          "O2_Mix=0.8",
          "O3_On=1",
          wave("O3_Waveform", "Sine"),
          "O3_Octave=-2",
          "O3_Mix=0.7",
          "F_Cutoff=0.3",
          "F_Q=0.35",
          "F_Amount=0.78",
          "F_Decay=0.35",
          "F_Sustain=0.15",
          "F_Release=0.2",
          "KeyFollow=0.4"}},
        {"Glide Lead",
         "Legato lead of a square and a saw that glides from note to note; a delayed vibrato fades in "
         "while a note is held.",
         {"GlobalVolume=1",
          "NoteMode=2",
          "Portamento=0.09",
          "A_Attack=0.12",
          "A_Release=0.3",
          wave("O1_Waveform", "Square"),
          "O2_On=1",
          wave("O2_Waveform", "Saw"),
          "O2_FineTune=0.53",
          "O2_Mix=0.7",
          "F_Cutoff=0.62",
          "F_Q=0.3",
          "F_Amount=0.62",
          "F_Attack=0.1",
          "F_Decay=0.4",
          "F_Sustain=0.4",
          "F_Release=0.3",
          "KeyFollow=0.5",
          wave("LFO1_Waveform", "Sine"),
          "LFO1_Freq=0.244",
          "LFO1_Amount=0",
          dest("LFO1_Dest1", "COMMON | Pitch"),
          "LFO1_Amount1=0.62",
          "ENV1_Amount=1",
          "ENV1_Attack=0.6",
          "ENV1_Sustain=1",
          dest("ENV1_Dest1", "LFO1 | Amount"),
          "ENV1_Amount1=1"}},
        {"FM Bell",
         "Two-operator FM bell: a silent sine modulator a little above three and a half times the pitch "
         "drives a sine carrier, and an envelope lets the brightness die away before the tone.",
         {"GlobalVolume=0.85", "A_Decay=0.78", "A_Sustain=0", "A_Release=0.55", "F_On=0",
          wave("O1_Waveform", "Sine"), "O1_Octave=1", "O1_Detune=10", "O1_Mix=0", "O2_On=1",
          wave("O2_Waveform", "Sine"), "FM_O1->O2=0.35", "ENV1_Amount=1", "ENV1_Decay=0.55",
          dest("ENV1_Dest1", "OSC C | FM_1_to_2"), "ENV1_Amount1=0.8"}},
        {"Pluck",
         "A saw and a square through a low-pass that snaps shut: a short plucked string, brighter "
         "higher up the keyboard.",
         {"GlobalVolume=0.8", "A_Decay=0.6", "A_Sustain=0", "A_Release=0.35", wave("O1_Waveform", "Saw"),
          "O2_On=1", wave("O2_Waveform", "Square"), "O2_FineTune=0.52", "O2_Mix=0.6", "F_Cutoff=0.35",
          "F_Q=0.25", "F_Amount=0.9", "F_Decay=0.32", "F_Release=0.3", "KeyFollow=0.5"}},
        {"Noise Sweep",
         "White noise through a resonant band-pass that a slow triangle LFO sweeps over three octaves "
         "up and down.",
         {"GlobalVolume=0.95", "A_Attack=0.5", "A_Release=0.6", wave("O1_Waveform", "White Noise"),
          "F_Type=1", "F_Cutoff=0.5", "F_Q=0.7", wave("LFO1_Waveform", "Tri"), "LFO1_Freq=0.02",
          "LFO1_Amount=1", "LFO1_Retrig=1", "LFO1_InitPhase=0.75", dest("LFO1_Dest1", "FILTER | Cutoff"),
          "LFO1_Amount1=0.85"}},
        {"Ring Texture",
         "A sine ring-modulated by a triangle an octave and a minor third up, for a metallic, inharmonic "
         "tone whose ring amount and wave stretch sway with an LFO.",
         {"GlobalVolume=0.85",
          "A_Attack=0.3",
          "A_Release=0.5",
          wave("O1_Waveform", "Sine"),
          "O1_Mix=0.2",
          "O2_On=1",
          wave("O2_Waveform", "Tri"),
          "O2_Octave=1",
          "O2_Detune=3",
          "O2_Mix=0.2",
          "RM_1x2=0.9",
          "F_Cutoff=0.75",
          "F_Q=0.2",
          wave("LFO1_Waveform", "Sine"),
          "LFO1_Freq=0.1",
          "LFO1_Amount=0.8",
          dest("LFO1_Dest1", "OSC C | RM1_2Mix"),
          "LFO1_Amount1=0.25",
          dest("LFO1_Dest2", "OSC2 | Stretch"),
          "LFO1_Amount2=0.65"}},
        {"Filter Brass",
         "Brass section of three detuned saws, one an octave down; the low-pass opens with a "
         "slow-attack filter envelope on every note.",
         {"GlobalVolume=0.85", "A_Attack=0.25",
          "A_Decay=0.5",       "A_Sustain=0.9",
          "A_Release=0.3",     wave("O1_Waveform", "Saw"),
          "O2_On=1",           wave("O2_Waveform", "Saw"),
          "O2_FineTune=0.54",  "O2_Mix=0.9",
          "O3_On=1",           wave("O3_Waveform", "Saw"),
          "O3_FineTune=0.46",  "O3_Octave=-1",
          "O3_Mix=0.5",        "F_Cutoff=0.28",
          "F_Q=0.15",          "F_Amount=0.85",
          "F_Attack=0.4",      "F_Decay=0.5",
          "F_Sustain=0.45",    "F_Release=0.35",
          "KeyFollow=0.35"}},
        {"Tempo Gate",
         "A saw and a square an octave down, chopped into sixteenth notes by a trapezoid LFO locked to "
         "the host's tempo.",
         {"GlobalVolume=0.8",
          "A_Attack=0.05",
          "A_Release=0.3",
          wave("O1_Waveform", "Saw"),
          "O2_On=1",
          wave("O2_Waveform", "Square"),
          "O2_Octave=-1",
          "O2_Mix=0.7",
          "F_Cutoff=0.55",
          "F_Q=0.25",
          wave("LFO1_Waveform", "Trapezoid"),
          "LFO1_Sync=1",
          syncDivision("LFO1_Freq", "1/16"),
          "LFO1_Retrig=1",
          "LFO1_InitPhase=0.5",
          "LFO1_Amount=1",
          dest("LFO1_Dest1", "OSC1 | Mix"),
          "LFO1_Amount1=0",
          dest("LFO1_Dest2", "OSC2 | Mix"),
          "LFO1_Amount2=0"}},
    };
}

} // namespace

const std::vector<FactoryPreset>& factoryPresets()
{
    static const std::vector<FactoryPreset> presets = build();
    return presets;
}

} // namespace talvane::presets
