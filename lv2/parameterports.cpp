#include "lv2/parameterports.h"

#include <algorithm>
#include <cmath>

namespace talvane::lv2 {

namespace {

constexpr int kToggleSteps = 2;

bool isSymbolCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void makeSymbol(const char* title, char (&symbol)[kPortSymbolCapacity])
{
    std::size_t length = 0;
    for (; title[length] != '\0' && length + 1 < kPortSymbolCapacity; ++length)
        symbol[length] = isSymbolCharacter(title[length]) ? title[length] : '_';
    symbol[length] = '\0';
}

} // namespace

std::string symbolFrom(const std::string& text)
{
    std::string symbol = text;
    for (char& c : symbol)
        if (!isSymbolCharacter(c))
            c = '_';
    return symbol;
}

ParameterFacts parameterFacts(ParamId id)
{
    const ParamRecord& record = paramRecord(id);
    return {record.title,
            record.numValues,
            record.minValue,
            record.defaultValue,
            record.names,
            record.unit,
            record.law == EngineLaw::IntakeOnly};
}

ParameterPort describeParameterPort(const ParameterFacts& facts)
{
    ParameterPort port{};
    makeSymbol(facts.title, port.symbol);
    port.name = facts.title;
    port.trigger = facts.actsOnce;
    port.defaultValue = facts.defaultValue;
    if (facts.stepCount == 0)
    {
        port.kind = PortKind::Continuous;
        port.minimum = 0.0f;
        port.maximum = 1.0f;
        return port;
    }
    port.kind = facts.names.count > 0            ? PortKind::Enumeration
                : facts.stepCount == kToggleSteps ? PortKind::Toggle
                                                  : PortKind::Integer;
    port.minimum = static_cast<float>(facts.lowestValue);
    port.maximum = static_cast<float>(facts.lowestValue + facts.stepCount - 1);
    port.unit = facts.unit;
    port.scalePoints = facts.names.names;
    port.scalePointCount = facts.names.count;
    return port;
}

ParameterPort describeParameterPort(ParamId id)
{
    return describeParameterPort(parameterFacts(id));
}

bool normalizedFromPortValue(const ParameterPort& port, ParamId id, float portValue, double& normalized)
{
    if (std::isnan(portValue))
        return false;
    const float held = std::min(std::max(portValue, port.minimum), port.maximum);
    if (port.kind == PortKind::Continuous)
        normalized = held;
    else
        normalized = normalizedFromIndex(id, static_cast<int>(std::lround(held)));
    return true;
}

float portValueFromNormalized(const ParameterPort& port, ParamId id, double normalized)
{
    const float value = std::isnan(normalized) ? 0.0f : static_cast<float>(std::min(std::max(normalized, 0.0), 1.0));
    if (port.kind == PortKind::Continuous)
        return value;
    return static_cast<float>(indexFromNormalized(id, value));
}

ParameterPorts::ParameterPorts()
{
    for (ParamId id = 0; id < static_cast<ParamId>(kNumParams); ++id)
        ports[id] = describeParameterPort(id);
}

} // namespace talvane::lv2
