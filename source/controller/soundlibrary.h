// The sounds a musician can choose in the editor: the factory programs and their own sounds, saved
// as preset files in their preset folder (where VST 3 hosts look for them too), and how a sound is
// saved there.
#pragma once

#include "source/controller/soundfile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talvane {

// The group the user's own sounds are listed under.
constexpr const char* kUserCategory = "User";

struct LibrarySound
{
    std::string name;
    std::string category;       // a factory category, kUserCategory, or empty for Init
    int program = -1;           // the factory program, or -1 for a user sound
    std::filesystem::path file; // a user sound's file
};

struct SaveOutcome
{
    bool saved = false;
    std::string message; // what happened, in a line for the musician
    std::filesystem::path file;
};

class SoundLibrary
{
public:
    SoundLibrary();

    // $HOME/.vst3/presets/<vendor>/<plug-in> on Linux, Documents\VST3 Presets\<vendor>\<plug-in> on
    // Windows: the user's preset folder of the VST 3 preset locations.
    static std::filesystem::path defaultUserFolder();

    const std::filesystem::path& userFolder() const { return folder; }
    void setUserFolder(const std::filesystem::path& path) { folder = path; }

    // The factory programs in program order (Init first), then the user's sounds by name. The
    // folder is read at every call, so sounds saved elsewhere show up.
    std::vector<LibrarySound> sounds() const;
    std::vector<LibrarySound> userSounds() const;

    // A user sound's file, read and checked; empty if it cannot be read or is no sound of ours.
    std::optional<SoundFileContents> readUserSound(const LibrarySound& sound) const;

    // Why `name` cannot name a user sound; empty if it can.
    static std::string nameProblem(const std::string& name);
    // Saves the sound as <name>.vstpreset in the user folder (made if missing), replacing a user
    // sound of that name.
    SaveOutcome save(const std::string& name, const presets::SoundValues& values, const std::string& category,
                     const ControllerState& controllerState) const;

private:
    std::filesystem::path folder;
};

// A name without the blanks around it.
std::string trimmedName(const std::string& name);

// UTF-8 text and file system paths, the same on every system.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);

} // namespace talvane
