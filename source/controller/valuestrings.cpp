#include "source/controller/valuestrings.h"

#include "source/params/paramcurves.h"
#include "source/params/paramtable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace talvane {

namespace {

constexpr double kPortamentoLongestMs = kLongestPortamentoSeconds * kMillisecondsPerSecond;
constexpr double kPercent = 100.0;
constexpr double kCentre = 0.5;
constexpr double kHalfRangePercent = 200.0; // percent of one half of a centred range
constexpr double kDegreesPerTurn = 360.0;
// The fine tune reads in hundredths of the knob's range (see kFineTuneSemitones).
constexpr float kFineTuneTextScale = 100.0f;
constexpr double kFineTuneHalfStep = 0.0025; // "-0.00" shows -0.005 .. 0; this is its middle
constexpr float kSwitchOn = 0.5f;
constexpr float kTwoDecimalsBelowHz = 10.0f;
constexpr float kOneDecimalBelowHz = 100.0f;
// Reading a rate back: a step below a number shown with more decimals, and half of a whole hertz.
constexpr double kJustBelowHz = 0.001;
constexpr double kHalfStepHz = 0.5;

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

// ---- reading texts back ----

// A unit a text may carry after its number, and what it multiplies the number by.
struct Unit
{
    const char* name;
    double scale;
};

bool sameLetters(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

const char* skipSpaces(const char* p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// The text without its leading and trailing spaces, in `out`.
bool trimmed(const char* text, char* out, std::size_t capacity)
{
    text = skipSpaces(text);
    std::size_t n = std::strlen(text);
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t'))
        --n;
    if (n + 1 > capacity)
        return false;
    std::memcpy(out, text, n);
    out[n] = '\0';
    return true;
}

// A finite number at `p`, then nothing or one of `units` (none: the number stands alone), scaled.
template <std::size_t N>
bool readNumber(const char* p, const Unit (&units)[N], double& value)
{
    char* end = nullptr;
    const double number = std::strtod(p, &end);
    if (end == p || !std::isfinite(number))
        return false;
    char rest[16];
    if (!trimmed(end, rest, sizeof rest))
        return false;
    if (rest[0] == '\0')
    {
        value = number;
        return true;
    }
    for (const Unit& unit : units)
        if (sameLetters(rest, unit.name))
        {
            value = number * unit.scale;
            return true;
        }
    return false;
}

constexpr Unit kPercentUnits[] = {{"%", 1.0}};
constexpr Unit kTimeUnits[] = {{"ms", 1.0}, {"s", kMillisecondsPerSecond}};
constexpr Unit kFrequencyUnits[] = {{"Hz", 1.0}, {"kHz", 1000.0}};
constexpr char kDegreeText[] = {kDegreeSign, '\0'};
constexpr Unit kPhaseUnits[] = {{kDegreeText, 1.0}, {"deg", 1.0}};
constexpr Unit kNoUnits[] = {{"", 1.0}};

// The normalized value whose text shows `shown`, where the text truncates: the exact inverse when
// its text reads back as `shown`, else the middle of the values that read as it.
template <typename Inverse>
double truncatedInverse(ParamId id, double shown, const float (&currentValues)[kNumParams],
                        const Inverse& inverse)
{
    const double exact = clampNormalized(inverse(shown));
    const double middle = clampNormalized(inverse(shown + (std::signbit(shown) ? -0.5 : 0.5)));
    char exactText[kValueTextCapacity], middleText[kValueTextCapacity];
    formatValueText(id, exact, currentValues, exactText, sizeof exactText);
    formatValueText(id, middle, currentValues, middleText, sizeof middleText);
    return std::strcmp(exactText, middleText) == 0 ? exact : middle;
}

double stageTimeInverse(const StageTimeLaw& law, double milliseconds)
{
    const double share = (milliseconds - law.shortestSeconds * kMillisecondsPerSecond) /
                         (law.spanSeconds * kMillisecondsPerSecond);
    return std::cbrt(std::max(share, 0.0));
}

// "L 30 %", "R 30 %", or a signed number: left below the centre.
bool readSide(const char* p, double& signedPercent)
{
    const char side = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    if (side != 'L' && side != 'R')
        return readNumber(p, kPercentUnits, signedPercent);
    double percent = 0.0;
    if (!readNumber(p + 1, kPercentUnits, percent) || percent < 0.0)
        return false;
    signedPercent = side == 'L' ? -percent : percent;
    if (side == 'L' && percent == 0.0)
        signedPercent = -0.0;
    return true;
}

// The plain value as the text shows it, or the name of a list entry: a number is always the plain
// value, also in a list whose names are numbers (the reference octave's "-2" .. "7").
bool readPlain(ParamId id, const char* p, double& normalized)
{
    const ParamRecord& record = paramRecord(id);
    double number = 0.0;
    int plain = 0;
    if (readNumber(p, kNoUnits, number))
    {
        const double lowest = record.minValue;
        const double highest = lowest + record.numValues - 1;
        plain = static_cast<int>(std::lround(std::min(std::max(number, lowest), highest)));
    }
    else
    {
        char name[kValueTextCapacity];
        if (!trimmed(p, name, sizeof name))
            return false;
        const int entry = plainValueNamed(id, name);
        if (entry < 0)
            return false;
        plain = record.minValue + entry;
    }
    normalized = normalizedFromIndex(id, plain);
    return true;
}

bool readLfoFrequency(ParamId id, const char* p, const float (&currentValues)[kNumParams], double& normalized)
{
    if (currentValues[syncSwitchOf(id)] > kSwitchOn)
    {
        char name[kValueTextCapacity];
        if (!trimmed(p, name, sizeof name))
            return false;
        for (int division = 0; division < kNumSyncDivisions; ++division)
            if (std::strcmp(name, kSyncDivisionNames[division]) == 0)
            {
                // The middle of the division's share of the knob.
                normalized = (division + kCentre) / kNumSyncDivisions;
                return true;
            }
        return false;
    }
    double hz = 0.0;
    if (!readNumber(p, kFrequencyUnits, hz))
        return false;
    // lfoFrequencyHz(x) = base^x - 1 + 0.1 Hz, turned around.
    const auto inverse = [](double shown) {
        const double grown = std::max(shown - kLfoLowestHz + 1.0, 1.0);
        return std::log(grown) / std::log(static_cast<double>(kLfoRateBase));
    };
    // The text drops a decimal at 10 and at 100 Hz, so "100.0 Hz" is a rate just below 100 Hz and
    // "100 Hz" one from 100 Hz up: of the readings near the number, the one that shows the typed
    // text wins.
    char typed[kValueTextCapacity];
    if (trimmed(p, typed, sizeof typed))
        for (double nearby : {hz, hz - kJustBelowHz, hz + kHalfStepHz})
        {
            const double x = clampNormalized(inverse(nearby));
            char shown[kValueTextCapacity];
            formatValueText(id, x, currentValues, shown, sizeof shown);
            if (std::strcmp(shown, typed) == 0)
            {
                normalized = x;
                return true;
            }
        }
    normalized = hz >= kOneDecimalBelowHz ? truncatedInverse(id, hz, currentValues, inverse)
                                          : clampNormalized(inverse(hz));
    return true;
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

bool parseValueText(ParamId id, const char* text, const float (&currentValues)[kNumParams],
                    double& normalized)
{
    if (!text || id >= static_cast<ParamId>(kNumParams))
        return false;
    const char* p = skipSpaces(text);
    double value = 0.0;
    double x = 0.0;
    switch (paramRecord(id).display)
    {
    case DisplayRule::Percent:
        if (!readNumber(p, kPercentUnits, value))
            return false;
        x = clampNormalized(value / kPercent);
        break;
    case DisplayRule::VolumeCurve:
        if (!readNumber(p, kPercentUnits, value))
            return false;
        x = clampNormalized(std::cbrt(value / kPercent));
        break;
    case DisplayRule::Portamento:
        if (!readNumber(p, kTimeUnits, value))
            return false;
        x = truncatedInverse(id, value, currentValues, [](double ms) { return ms / kPortamentoLongestMs; });
        break;
    case DisplayRule::AttackTime:
    case DisplayRule::DecayTime:
    case DisplayRule::ReleaseTime:
    {
        if (!readNumber(p, kTimeUnits, value))
            return false;
        const DisplayRule rule = paramRecord(id).display;
        const StageTimeLaw& law = rule == DisplayRule::AttackTime  ? kAttackTimeLaw
                                  : rule == DisplayRule::DecayTime ? kDecayTimeLaw
                                                                   : kReleaseTimeLaw;
        x = clampNormalized(stageTimeInverse(law, value));
        break;
    }
    case DisplayRule::Cutoff:
        if (!readNumber(p, kFrequencyUnits, value))
            return false;
        x = truncatedInverse(id, value, currentValues, [](double hz) {
            return std::log2(std::max(hz, 0.0) / kLowestCutoffHz) / kCutoffOctaves;
        });
        break;
    case DisplayRule::LeftRight:
    case DisplayRule::PlusMinus:
        if (!readSide(p, value))
            return false;
        x = truncatedInverse(id, value, currentValues,
                             [](double percent) { return kCentre + percent / kHalfRangePercent; });
        break;
    case DisplayRule::Phase:
        if (!readNumber(p, kPhaseUnits, value))
            return false;
        x = truncatedInverse(id, value, currentValues,
                             [](double degrees) { return degrees / kDegreesPerTurn; });
        break;
    case DisplayRule::FineTune:
        if (!readNumber(p, kNoUnits, value))
            return false;
        // "-0.00" shows the values just below the centre.
        if (value == 0.0 && std::signbit(value))
            value = -kFineTuneHalfStep;
        x = clampNormalized(kCentre + value / kFineTuneTextScale);
        break;
    case DisplayRule::LfoFrequency:
        if (!readLfoFrequency(id, p, currentValues, x))
            return false;
        break;
    case DisplayRule::Plain:
        if (!readPlain(id, p, x))
            return false;
        break;
    }
    normalized = x;
    return true;
}

bool narrowToLatin1(const Steinberg::char16* units, char* text, std::size_t capacity)
{
    if (!units || !text || capacity == 0)
        return false;
    std::size_t count = 0;
    for (; units[count] != 0; ++count)
    {
        if (count + 1 >= capacity || static_cast<unsigned>(units[count]) > 0xFF)
            return false;
        text[count] = static_cast<char>(units[count]);
    }
    text[count] = '\0';
    return true;
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
