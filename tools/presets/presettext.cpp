#include "tools/presets/presettext.h"

#include "source/params/paramtable.h"

#include <cstdio>

namespace talvane::presets {

std::vector<std::string> settingsAsText(const FactorySound& sound)
{
    std::vector<std::string> texts;
    for (const Setting& setting : sound.settings)
    {
        // Plain values as the plug-in shows them (whole numbers); normalized ones with every digit
        // a double holds, so that the text reads back as the same number.
        char value[32];
        if (setting.isPlain)
            std::snprintf(value, sizeof value, "%d", static_cast<int>(setting.value));
        else
            std::snprintf(value, sizeof value, "%.17g", setting.value);
        texts.push_back(std::string(setting.id < static_cast<ParamId>(kNumParams)
                                        ? paramRecord(setting.id).title.c_str()
                                        : "?") +
                        "=" + value);
    }
    return texts;
}

} // namespace talvane::presets
