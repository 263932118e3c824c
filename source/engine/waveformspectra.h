// The Fourier series of the bank's periodic waveforms, worked out from their ideal shapes.
#pragma once

namespace talvane {

// One harmonic k of a waveform f(φ) = Σ cosine_k·cos(2πkφ) + sine_k·sin(2πkφ), φ the phase over [0, 1).
struct Harmonic
{
    double cosine = 0.0;
    double sine = 0.0;

    bool isZero() const { return cosine == 0.0 && sine == 0.0; }
};

// Harmonic k ≥ 1 of a periodic waveform (numbers in waveforms.h). None of the waveforms has a DC
// term. A harmonic that the shape lacks is exactly zero; so is every harmonic of the noise
// waveforms, of an unknown number and of k < 1.
Harmonic waveformHarmonic(int waveform, int k);

} // namespace talvane
