#include "source/controller/valuestrings.h"

#include "source/params/paramcurves.h"
#include "source/params/paramtable.h"

#include <algorithm>
#include <cstdio>

namespace talvane {

namespace {

constexpr double kPortamentoLongestMs = kLongestPortamentoSeconds * kMillisecondsPerSecond;
constexpr double kPercent = 100.0;
constexpr double kCentre = 0.5;
constexpr double kHalfRangePercent = 200.0; // percent of one half of a centred range
constexpr double kDegreesPerTurn = 360.0;
// The fine tune reads in hundredths of the knob's range (see kFineTuneSemitones).
constexpr float kFineTuneTextScale = 100.0f;
constexpr float kSwitchOn = 0.5f;
constexpr float kTwoDecimalsBelowHz = 10.0f;
constexpr float kOneDecimalBelowHz = 100.0f;

// The LFO sync switch that decides how an LFO frequency reads.
ParamId syncSwitchOf(ParamId frequencyId)
{
    return frequencyId - lfo_param::kFreq + lfo_param::kSync;
}

void formatCentred(double x, const char* aboveFormat, const char* belowFormat, char* text,
                   std::size_t capacity)
{
    if (x >= kCentre)
        std::snprintf(text, capacity, aboveFormat, static_cast<int>((x - kCentre) * kHalfRangePercent));
    else
        std::snprintf(text, capacity, belowFormat, static_cast<int>((kCentre - x) * kHalfRangePercent));
}

void formatLfoFrequency(double x, bool synced, char* text, std::size_t capacity)
{
    if (synced)
    {
        const int division =
            std::min(static_cast<int>(static_cast<float>(x * kNumSyncDivisions)), kNumSyncDivisions - 1);
        std::snprintf(text, capacity, "%s", kSyncDivisionNames[division]);
        return;
    }
    const float hz = lfoFrequencyHz(static_cast<float>(x));
    if (hz < kTwoDecimalsBelowHz)
        std::snprintf(text, capacity, "%.2f Hz", static_cast<double>(hz));
    else if (hz < kOneDecimalBelowHz)
        std::snprintf(text, capacity, "%.1f Hz", static_cast<double>(hz));
    else
        std::snprintf(text, capacity, "%d Hz", static_cast<int>(hz));
}

} // namespace

void formatValueText(ParamId id, double normalized, const float (&currentValues)[kNumParams], char* text,
                     std::size_t capacity)
{
    if (!text || capacity == 0)
        return;
    // A host may ask about any number; the conversions below are defined for 0..1 only.
    const double x = clampNormalized(normalized);
    const float f = static_cast<float>(x);
    switch (paramRecord(id).display)
    {
    case DisplayRule::VolumeCurve:
        std::snprintf(text, capacity, "%.1f %%",
                      static_cast<double>(static_cast<float>(volumeGain(x) * kPercent)));
        break;
    case DisplayRule::Portamento:
        std::snprintf(text, capacity, "%d ms", static_cast<int>(x * kPortamentoLongestMs));
        break;
    case DisplayRule::AttackTime:
        std::snprintf(text, capacity, "%.2f ms", static_cast<double>(stageMilliseconds(kAttackTimeLaw, f)));
        break;
    case DisplayRule::DecayTime:
        std::snprintf(text, capacity, "%.2f ms", static_cast<double>(stageMilliseconds(kDecayTimeLaw, f)));
        break;
    case DisplayRule::ReleaseTime:
        std::snprintf(text, capacity, "%.2f ms", static_cast<double>(stageMilliseconds(kReleaseTimeLaw, f)));
        break;
    case DisplayRule::Cutoff:
        std::snprintf(text, capacity, "%d Hz", static_cast<int>(cutoffHz(f)));
        break;
    case DisplayRule::LeftRight:
        formatCentred(x, "R %d %%", "L %d %%", text, capacity);
        break;
    case DisplayRule::PlusMinus:
        formatCentred(x, "+%d %%", "-%d %%", text, capacity);
        break;
    case DisplayRule::Phase:
        std::snprintf(text, capacity, "%d %c", static_cast<int>(x * kDegreesPerTurn), kDegreeSign);
        break;
    case DisplayRule::FineTune:
        std::snprintf(text, capacity, "%.2f",
                      static_cast<double>(static_cast<float>(x - kCentre) * kFineTuneTextScale));
        break;
    case DisplayRule::LfoFrequency:
        formatLfoFrequency(x, currentValues[syncSwitchOf(id)] > kSwitchOn, text, capacity);
        break;
    case DisplayRule::Plain:
        std::snprintf(text, capacity, "%d", indexFromNormalized(id, f));
        break;
    case DisplayRule::Percent:
        std::snprintf(text, capacity, "%.1f %%", static_cast<double>(static_cast<float>(x * kPercent)));
        break;
    }
}

void widenLatin1(const char* text, Steinberg::char16* units, std::size_t capacity)
{
    if (!units || capacity == 0)
        return;
    std::size_t count = 0;
    if (text)
        for (; count + 1 < capacity && text[count] != '\0'; ++count)
            units[count] = static_cast<unsigned char>(text[count]);
    units[count] = 0;
}

} // namespace talvane
