// talvane-write-vstpresets: writes every factory sound as a VST 3 preset file, through the
// plug-in's own preset-file code, into the given folder (the build tree's, which the install copies
// to where hosts look for presets). Files of sounds that no longer exist are removed.
#include "source/controller/soundfile.h"
#include "source/controller/soundlibrary.h"
#include "source/presets/programs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

using namespace talvane;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    const fs::path directory = pathFromUtf8(argv[1]);
    std::error_code error;
    fs::create_directories(directory, error);
    if (error)
    {
        std::fprintf(stderr, "talvane-write-vstpresets: cannot make %s: %s\n", argv[1],
                     error.message().c_str());
        return 1;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(directory, error))
        if (entry.path().extension() == kSoundFileExtension)
            fs::remove(entry.path(), error);

    const presets::ProgramTable& programs = presets::factoryPrograms();
    // Program 0 is Init, the defaults, which is no sound of its own.
    for (int program = 1; program < programs.count(); ++program)
    {
        const presets::Program& sound = programs.at(program);
        const std::vector<std::uint8_t> bytes = encodeSoundFile(
            sound.values, ControllerState{sound.name, false, program, std::nullopt}, sound.category);
        const fs::path path = directory / pathFromUtf8(sound.name + kSoundFileExtension);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (bytes.empty() || !out)
        {
            std::fprintf(stderr, "talvane-write-vstpresets: cannot write %s\n", utf8FromPath(path).c_str());
            return 1;
        }
    }
    return 0;
}
