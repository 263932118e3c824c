// How many entries each of the parameters' name lists holds (paramtable.cpp names them). The engine
// sizes its modulation bus and numbers its waveforms and sync divisions by these without needing
// the parameter records.
#pragma once

namespace talvane {

constexpr int kNumWaveforms = 14;
constexpr int kNumFilterTypes = 5;
constexpr int kNumNoteModes = 3;
constexpr int kNumEnvTypes = 4;
constexpr int kNumModSources = 10;
constexpr int kNumOctaves = 10;
constexpr int kNumNoteNames = 12;
constexpr int kNumSyncDivisions = 39;
constexpr int kNumModDestinations = 84;

} // namespace talvane
