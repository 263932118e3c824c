#include "source/controller/soundlibrary.h"

#include "source/factory/classids.h"
#include "source/presets/programs.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace talvane {

namespace fs = std::filesystem;

namespace {

// A preset file of ours is about a kilobyte; anything much larger is not one.
constexpr std::uintmax_t kMaxSoundFileBytes = 1024 * 1024;
constexpr const char* kPartialSuffix = ".part";
// Characters the VST 3 preset locations exclude from file names, and what file systems refuse.
constexpr const char* kForbiddenCharacters = "\\/:*?\"<>|";

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isFactoryName(const std::string& name)
{
    const presets::ProgramTable& programs = presets::factoryPrograms();
    for (int index = 0; index < programs.count(); ++index)
        if (lowered(programs.at(index).name) == lowered(name))
            return true;
    return false;
}

std::optional<std::vector<std::uint8_t>> readFileBytes(const fs::path& path)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxSoundFileBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

// Written beside the target and renamed over it, so a failed save never leaves half a file.
std::error_code writeFileReplacing(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    fs::path partial = path;
    partial += kPartialSuffix;
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out)
            return std::make_error_code(std::errc::permission_denied);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
        {
            std::error_code ignored;
            fs::remove(partial, ignored);
            return std::make_error_code(std::errc::io_error);
        }
    }
    std::error_code error;
    fs::rename(partial, path, error);
    if (error)
    {
        std::error_code ignored;
        fs::remove(partial, ignored);
    }
    return error;
}

fs::path homeFolder()
{
#ifdef _WIN32
    wchar_t documents[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
        return fs::path(documents);
    return {};
#else
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home);
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return fs::path(entry->pw_dir);
    return {};
#endif
}

} // namespace

fs::path pathFromUtf8(const std::string& text)
{
    return fs::u8path(text);
}

std::string utf8FromPath(const fs::path& path)
{
    return path.u8string();
}

std::string trimmedName(const std::string& name)
{
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(name.begin(), name.end(), blank);
    const auto last = std::find_if_not(name.rbegin(), name.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

SoundLibrary::SoundLibrary() : folder(defaultUserFolder()) {}

fs::path SoundLibrary::defaultUserFolder()
{
    const fs::path home = homeFolder();
    if (home.empty())
        return {};
#ifdef _WIN32
    return home / "VST3 Presets" / kVendorName / kPluginName;
#else
    return home / ".vst3" / "presets" / kVendorName / kPluginName;
#endif
}

std::vector<LibrarySound> SoundLibrary::sounds() const
{
    std::vector<LibrarySound> all;
    const presets::ProgramTable& programs = presets::factoryPrograms();
    for (int index = 0; index < programs.count(); ++index)
        all.push_back({programs.at(index).name, programs.at(index).category, index, {}});
    std::vector<LibrarySound> user = userSounds();
    all.insert(all.end(), user.begin(), user.end());
    return all;
}

std::vector<LibrarySound> SoundLibrary::userSounds() const
{
    std::vector<LibrarySound> user;
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error))
        return user;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    {
        const fs::path& path = it->path();
        std::error_code typeError;
        if (path.extension() != kSoundFileExtension || !it->is_regular_file(typeError))
            continue;
        const std::string name = utf8FromPath(path.stem());
        // The factory sounds installed beside the user's are in the menu already, as programs.
        if (name.empty() || isFactoryName(name))
            continue;
        user.push_back({name, kUserCategory, -1, path});
    }
    std::sort(user.begin(), user.end(),
              [](const LibrarySound& a, const LibrarySound& b) { return lowered(a.name) < lowered(b.name); });
    return user;
}

std::optional<SoundFileContents> SoundLibrary::readUserSound(const LibrarySound& sound) const
{
    if (sound.file.empty())
        return std::nullopt;
    const std::optional<std::vector<std::uint8_t>> bytes = readFileBytes(sound.file);
    if (!bytes)
        return std::nullopt;
    return decodeSoundFile(*bytes);
}

std::string SoundLibrary::nameProblem(const std::string& name)
{
    const std::string trimmed = trimmedName(name);
    if (trimmed.empty())
        return "Type a name for the sound";
    if (trimmed.size() > kMaxSoundNameBytes || !isValidUtf8(trimmed))
        return "That name is too long";
    for (unsigned char c : trimmed)
        if (c < 0x20 || c == 0x7F || std::strchr(kForbiddenCharacters, c))
            return std::string("A name cannot contain ") + kForbiddenCharacters;
    if (trimmed.front() == '.')
        return "A name cannot begin with a dot";
    if (isFactoryName(trimmed))
        return "\"" + trimmed + "\" is a factory sound: choose another name";
    return {};
}

SaveOutcome SoundLibrary::save(const std::string& name, const presets::SoundValues& values,
                               const std::string& category, const ControllerState& controllerState) const
{
    SaveOutcome outcome;
    const std::string problem = nameProblem(name);
    if (!problem.empty())
    {
        outcome.message = problem;
        return outcome;
    }
    if (folder.empty())
    {
        outcome.message = "Cannot save: there is no home folder";
        return outcome;
    }
    try
    {
        const std::string trimmed = trimmedName(name);
        outcome.file = folder / pathFromUtf8(trimmed + kSoundFileExtension);
        std::error_code error;
        fs::create_directories(folder, error);
        if (error || !fs::is_directory(folder, error))
        {
            outcome.message = "Cannot save: cannot make the preset folder (" +
                              (error ? error.message() : std::string("not a folder")) + ")";
            return outcome;
        }
        ControllerState saved = controllerState;
        saved.soundName = trimmed;
        saved.soundEdited = false;
        const std::vector<std::uint8_t> bytes = encodeSoundFile(values, saved, category);
        if (bytes.empty())
        {
            outcome.message = "Cannot save: the preset could not be encoded";
            return outcome;
        }
        const bool replacing = fs::exists(outcome.file, error);
        error = writeFileReplacing(outcome.file, bytes);
        if (error)
        {
            outcome.message = "Cannot save: the preset folder refuses the file (" + error.message() + ")";
            return outcome;
        }
        outcome.saved = true;
        outcome.message = (replacing ? "Replaced \"" : "Saved \"") + trimmed + "\"";
    }
    catch (const std::exception& e)
    {
        outcome.saved = false;
        outcome.message = std::string("Cannot save: ") + e.what();
    }
    return outcome;
}

} // namespace talvane
