// talvane-make-presets: saves the factory sounds as plug-in states, made by the plug-in itself
// from their parameter settings.
#include "source/presets/factorysounds.h"
#include "tools/presets/presettext.h"
#include "tools/render/outputfile.h"
#include "tools/render/pluginsession.h"

#include <cstdio>
#include <string>

#ifndef TALVANE_DEFAULT_PLUGIN
#define TALVANE_DEFAULT_PLUGIN "Talvane.vst3"
#endif

using namespace talvane;

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY [PLUGIN]\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const std::string pluginPath = argc == 3 ? argv[2] : TALVANE_DEFAULT_PLUGIN;
    try
    {
        // Kept loaded until the program ends, as in talvane-render.
        static host::PluginModule* module = render::loadPluginModule(pluginPath).release();
        for (const presets::FactorySound& sound : presets::factorySounds())
        {
            const std::string path = directory + "/" + sound.name + presets::kStateFileExtension;
            render::writeFileAtomically(
                path, render::stateWithSettings(*module, {}, {}, presets::settingsAsText(sound)));
            std::printf("%-20s %s\n", sound.name, path.c_str());
        }
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "talvane-make-presets: %s\n", e.what());
        return 1;
    }
    return 0;
}
