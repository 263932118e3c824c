// The numbers of the fourteen waveforms, shared by the oscillators and the LFOs (the value of every
// waveform parameter). Two are noise, read from the noise buffers; the other twelve from the bank.
#pragma once

#include "source/params/listsizes.h"

namespace talvane {
namespace waveform {

constexpr int kSaw = 0;
constexpr int kSine = 1;
constexpr int kTri = 2;
constexpr int kSquare = 3;
constexpr int kWhiteNoise = 4;
constexpr int kPinkNoise = 5;
constexpr int kFourSteps = 6;
constexpr int kThirtyThreeSquare = 7;
constexpr int kAsymSquare = 8;
constexpr int kTrapezoid = 9;
constexpr int kSmoothSaw1 = 10;
constexpr int kSmoothSaw2 = 11;
constexpr int kRectified = 12;
constexpr int kHalfRectified = 13;
constexpr int kCount = 14;
static_assert(kCount == kNumWaveforms, "every waveform parameter value has a number here");

constexpr bool isNoise(int w)
{
    return w == kWhiteNoise || w == kPinkNoise;
}
// Whether the waveform is read from a wavetable of the bank.
constexpr bool isPeriodic(int w)
{
    return w >= 0 && w < kCount && !isNoise(w);
}

} // namespace waveform
} // namespace talvane
