#include "tools/render/parameteroverrides.h"

#include "tools/render/numbertext.h"
#include "tools/render/rendererror.h"

#include "host/hosttext.h"


#include <algorithm>
#include <cctype>
#include <optional>

namespace talvane::render {

using namespace Steinberg;
using namespace Steinberg::Vst;

using host::lowered;
using host::narrow;

namespace {

// Titles closer than this many edits to an unknown name are offered as the likely intent.
constexpr std::size_t kSuggestionDistance = 3;

std::size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
    {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j)
        {
            const std::size_t above = row[j];
            const std::size_t substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[b.size()];
}

struct Found
{
    ParameterInfo info;
    std::string title;
};

Found findParameter(IEditController& controller, const std::string& name)
{
    std::optional<Found> caseless;
    bool caselessAmbiguous = false;
    std::string closest;
    std::size_t closestDistance = kSuggestionDistance + 1;
    const int32 count = controller.getParameterCount();
    for (int32 i = 0; i < count; ++i)
    {
        ParameterInfo info{};
        if (controller.getParameterInfo(i, info) != kResultOk)
            continue;
        const std::string title = narrow(info.title);
        if (title == name)
            return {info, title};
        if (lowered(title) == lowered(name))
        {
            caselessAmbiguous = caseless.has_value();
            caseless = Found{info, title};
        }
        const std::size_t distance = editDistance(lowered(title), lowered(name));
        if (distance < closestDistance)
        {
            closestDistance = distance;
            closest = title;
        }
    }
    if (caseless && !caselessAmbiguous)
        return *caseless;
    std::string message = "unknown parameter \"" + name + "\"";
    if (!closest.empty())
        message += " (did you mean " + closest + "?)";
    throw RenderError(message + "; talvane-info lists the parameters");
}

// A setting's value is taken as written: not even leading blanks.
std::optional<double> parseNumber(const std::string& text)
{
    if (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    return parseReal(text);
}

bool looksNormalized(const std::string& text)
{
    return text.find_first_of(".eE") != std::string::npos;
}

std::string stepText(IEditController& controller, const ParameterInfo& info, int32 step)
{
    String128 text{};
    controller.getParamStringByValue(info.id, static_cast<double>(step) / info.stepCount, text);
    return narrow(text);
}

std::string settingText(const std::string& title, const std::string& value)
{
    return title + "=" + value;
}

double normalizedOrThrow(const std::string& title, const std::string& value, const std::string& expected)
{
    const std::optional<double> number = parseNumber(value);
    if (!number || *number < 0.0 || *number > 1.0)
        throw RenderError(settingText(title, value) + ": " + expected);
    return *number;
}

double steppedValue(IEditController& controller, const Found& found, const std::string& value)
{
    const ParameterInfo& info = found.info;
    const std::string expected = "not one of its values " + stepText(controller, info, 0) + " .. " +
                                 stepText(controller, info, info.stepCount) +
                                 " nor a normalized value 0.0 .. 1.0";
    // A value as the plug-in shows it first: a program's name may hold an "e" or a dot.
    for (int32 step = 0; step <= info.stepCount; ++step)
        if (stepText(controller, info, step) == value)
            return static_cast<double>(step) / info.stepCount;
    if (looksNormalized(value))
        return normalizedOrThrow(found.title, value, expected);
    throw RenderError(settingText(found.title, value) + ": " + expected);
}

} // namespace

std::string parameterTitle(IEditController& controller, int32 index)
{
    ParameterInfo info{};
    if (controller.getParameterInfo(index, info) != kResultOk)
        return {};
    return narrow(info.title);
}

ParameterSetting resolveParameterSetting(IEditController& controller, const std::string& assignment)
{
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0)
        throw RenderError("a parameter setting is NAME=VALUE, not \"" + assignment + "\"");
    const std::string name = assignment.substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    const Found found = findParameter(controller, name);
    ParameterSetting setting;
    setting.title = found.title;
    setting.id = found.info.id;
    setting.normalized = found.info.stepCount > 0
                             ? steppedValue(controller, found, value)
                             : normalizedOrThrow(found.title, value, "a value between 0 and 1 is needed");
    return setting;
}

std::vector<ParameterSetting> resolveParameterSettings(IEditController& controller,
                                                       const std::vector<std::string>& assignments)
{
    std::vector<ParameterSetting> settings;
    for (const std::string& assignment : assignments)
    {
        ParameterSetting setting = resolveParameterSetting(controller, assignment);
        settings.erase(std::remove_if(settings.begin(), settings.end(),
                                      [&](const ParameterSetting& s) { return s.id == setting.id; }),
                       settings.end());
        settings.push_back(setting);
    }
    return settings;
}

} // namespace talvane::render
