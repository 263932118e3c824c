#include "source/controller/valuestrings.h"

#include "source/params/paramcurves.h"
#include "source/params/paramtable.h"

#include <algorithm>
#include <cstdio>

namespace talvane {

namespace {

enum class ValueRule
{
    VolumeCurve,
    Portamento,
    AttackTime,
    DecayTime,
    ReleaseTime,
    Cutoff,
    LeftRight,
    PlusMinus,
    Phase,
    FineTune,
    LfoFrequency,
    Plain,
    Percent,
};

constexpr double kPortamentoMaxMs = 2000.0;
constexpr double kPercent = 100.0;
constexpr double kCentre = 0.5;
constexpr double kHalfRangePercent = 200.0; // percent of one half of a centred range
constexpr double kDegreesPerTurn = 360.0;
constexpr float kFineTuneCents = 100.0f;
constexpr float kSwitchOn = 0.5f;
constexpr float kTwoDecimalsBelowHz = 10.0f;
constexpr float kOneDecimalBelowHz = 100.0f;

ValueRule ruleOf(ParamId id)
{
    switch (id)
    {
    case kGlobalVolume:
        return ValueRule::VolumeCurve;
    case kPortamento:
        return ValueRule::Portamento;
    case kAAttack:
    case kFAttack:
    case kEnv1Attack:
    case kEnv2Attack:
        return ValueRule::AttackTime;
    case kADecay:
    case kFDecay:
    case kEnv1Decay:
    case kEnv2Decay:
        return ValueRule::DecayTime;
    case kARelease:
    case kFRelease:
    case kEnv1Release:
    case kEnv2Release:
        return ValueRule::ReleaseTime;
    case kFCutoff:
        return ValueRule::Cutoff;
    case kO1Panning:
    case kO2Panning:
    case kO3Panning:
    case kO1SterDeph:
    case kO2SterDeph:
    case kO3SterDeph:
        return ValueRule::LeftRight;
    case kFAmount:
    case kO1WaveStretch:
    case kO2WaveStretch:
    case kO3WaveStretch:
    case kModWheel:
    case kPitchBend:
    case kLfo1Clipping:
    case kLfo2Clipping:
    case kMatrix1Clipping:
    case kMatrix2Clipping:
        return ValueRule::PlusMinus;
    case kO1PhaseInit:
    case kO2PhaseInit:
    case kO3PhaseInit:
    case kLfo1InitPhase:
    case kLfo2InitPhase:
        return ValueRule::Phase;
    case kO1FineTune:
    case kO2FineTune:
    case kO3FineTune:
        return ValueRule::FineTune;
    case kLfo1Freq:
    case kLfo2Freq:
        return ValueRule::LfoFrequency;
    default:
        break;
    }
    if (isSlotAmount(id))
        return ValueRule::PlusMinus;
    return isDiscrete(id) ? ValueRule::Plain : ValueRule::Percent;
}

// The LFO sync switch that decides how an LFO frequency reads.
ParamId syncSwitchOf(ParamId frequencyId)
{
    return frequencyId == kLfo1Freq ? kLfo1Sync : kLfo2Sync;
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
    const double x = normalized >= 0.0 ? std::min(normalized, 1.0) : 0.0;
    const float f = static_cast<float>(x);
    switch (ruleOf(id))
    {
    case ValueRule::VolumeCurve:
        std::snprintf(text, capacity, "%.1f %%",
                      static_cast<double>(static_cast<float>(x * x * x * kPercent)));
        break;
    case ValueRule::Portamento:
        std::snprintf(text, capacity, "%d ms", static_cast<int>(x * kPortamentoMaxMs));
        break;
    case ValueRule::AttackTime:
        std::snprintf(text, capacity, "%.2f ms", static_cast<double>(stageMilliseconds(kAttackTimeLaw, f)));
        break;
    case ValueRule::DecayTime:
        std::snprintf(text, capacity, "%.2f ms", static_cast<double>(stageMilliseconds(kDecayTimeLaw, f)));
        break;
    case ValueRule::ReleaseTime:
        std::snprintf(text, capacity, "%.2f ms", static_cast<double>(stageMilliseconds(kReleaseTimeLaw, f)));
        break;
    case ValueRule::Cutoff:
        std::snprintf(text, capacity, "%d Hz", static_cast<int>(cutoffHz(f)));
        break;
    case ValueRule::LeftRight:
        formatCentred(x, "R %d %%", "L %d %%", text, capacity);
        break;
    case ValueRule::PlusMinus:
        formatCentred(x, "+%d %%", "-%d %%", text, capacity);
        break;
    case ValueRule::Phase:
        std::snprintf(text, capacity, "%d %c", static_cast<int>(x * kDegreesPerTurn), kDegreeSign);
        break;
    case ValueRule::FineTune:
        std::snprintf(text, capacity, "%.2f",
                      static_cast<double>(static_cast<float>(x - kCentre) * kFineTuneCents));
        break;
    case ValueRule::LfoFrequency:
        formatLfoFrequency(x, currentValues[syncSwitchOf(id)] > kSwitchOn, text, capacity);
        break;
    case ValueRule::Plain:
        std::snprintf(text, capacity, "%d", indexFromNormalized(id, f));
        break;
    case ValueRule::Percent:
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
