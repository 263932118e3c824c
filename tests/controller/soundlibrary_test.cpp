// The user's sounds on disk: where they are, how they are listed, saved and read back, and what a
// musician is told when a name or a folder does not do.
#include "source/controller/soundlibrary.h"
#include "source/presets/programs.h"

#include "host/dynamiclibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace talvane;
namespace fs = std::filesystem;

namespace {

class ScratchFolder
{
public:
    ScratchFolder()
        : path(fs::temp_directory_path() /
               ("talvane-library-" + std::to_string(host::currentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~ScratchFolder() { fs::remove_all(path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path path;
};

void touch(const fs::path& path, const std::string& content = "x")
{
    std::ofstream(path) << content;
}

const presets::Program& program(const char* name)
{
    return presets::factoryPrograms().at(presets::factoryPrograms().findNamed(name));
}

} // namespace

TEST(SoundLibrary, TheUserFolderIsTheVst3UserPresetFolder)
{
    const char* previous = std::getenv("HOME");
    const std::string saved = previous ? previous : "";
    setenv("HOME", "/home/musician", 1);
    EXPECT_EQ(SoundLibrary::defaultUserFolder(),
              fs::path("/home/musician/.vst3/presets/Talvane Audio/Talvane"));
    EXPECT_EQ(SoundLibrary().userFolder(), SoundLibrary::defaultUserFolder());
    if (previous)
        setenv("HOME", saved.c_str(), 1);
    else
        unsetenv("HOME");
}

TEST(SoundLibrary, SavesListsAndReadsBackTheUsersSounds)
{
    ScratchFolder scratch;
    SoundLibrary library;
    library.setUserFolder(scratch.path / "presets" / "Talvane"); // made on the first save

    presets::SoundValues values = program("Acid Bass").values;
    values[kFCutoff] = 0.125f;
    const SaveOutcome saved =
        library.save("  My Acid  ", values, "Basses", {"Acid Bass", true, 12, std::nullopt});
    ASSERT_TRUE(saved.saved) << saved.message;
    EXPECT_EQ(saved.message, "Saved \"My Acid\"");
    EXPECT_EQ(saved.file, library.userFolder() / "My Acid.vstpreset");
    EXPECT_TRUE(fs::is_regular_file(saved.file));

    const std::vector<LibrarySound> user = library.userSounds();
    ASSERT_EQ(user.size(), 1u);
    EXPECT_EQ(user[0].name, "My Acid");
    EXPECT_EQ(user[0].category, kUserCategory);
    EXPECT_EQ(user[0].program, -1);
    const std::optional<SoundFileContents> read = library.readUserSound(user[0]);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->values, values);
    EXPECT_EQ(read->name, "My Acid");
    ASSERT_TRUE(read->controllerState);
    EXPECT_EQ(read->controllerState->soundName, "My Acid") << "saved under its new name";
    EXPECT_FALSE(read->controllerState->soundEdited);

    const SaveOutcome again = library.save("My Acid", values, "Basses", {"My Acid", false, 12, std::nullopt});
    EXPECT_TRUE(again.saved);
    EXPECT_EQ(again.message, "Replaced \"My Acid\"");
    EXPECT_EQ(library.userSounds().size(), 1u);
    EXPECT_FALSE(fs::exists(saved.file.string() + ".part")) << "nothing half-written left behind";
}

TEST(SoundLibrary, ListsTheFactoryProgramsThenTheUsersSoundsByName)
{
    ScratchFolder scratch;
    SoundLibrary library;
    library.setUserFolder(scratch.path);
    const presets::SoundValues values = presets::defaultValues();
    ASSERT_TRUE(library.save("zebra", values, "", {}).saved);
    ASSERT_TRUE(library.save("Alpha", values, "", {}).saved);
    // Factory files installed beside them, other files and folders are not the user's sounds.
    touch(scratch.path / "Warm Pad.vstpreset");
    touch(scratch.path / "notes.txt");
    fs::create_directories(scratch.path / "Folder.vstpreset");

    const std::vector<LibrarySound> all = library.sounds();
    const int programs = presets::factoryPrograms().count();
    ASSERT_EQ(all.size(), static_cast<std::size_t>(programs) + 2);
    EXPECT_EQ(all[0].name, "Init");
    EXPECT_EQ(all[0].program, 0);
    EXPECT_EQ(all[1].name, "Warm Pad");
    EXPECT_EQ(all[1].category, "Pads");
    EXPECT_EQ(all[static_cast<std::size_t>(programs)].name, "Alpha");
    EXPECT_EQ(all[static_cast<std::size_t>(programs) + 1].name, "zebra");

    // A file that is no sound of ours is listed by name but cannot be read.
    touch(scratch.path / "Broken.vstpreset", "not a preset");
    const std::vector<LibrarySound> user = library.userSounds();
    ASSERT_EQ(user.size(), 3u);
    EXPECT_EQ(user[1].name, "Broken");
    EXPECT_FALSE(library.readUserSound(user[1]));

    library.setUserFolder(scratch.path / "missing");
    EXPECT_TRUE(library.userSounds().empty());
}

TEST(SoundLibrary, NamesThatCannotBeSavedAreExplained)
{
    EXPECT_EQ(SoundLibrary::nameProblem("Lead 2"), "");
    EXPECT_EQ(SoundLibrary::nameProblem("Ch\xC5\x93ur"), "");
    EXPECT_EQ(SoundLibrary::nameProblem(""), "Type a name for the sound");
    EXPECT_EQ(SoundLibrary::nameProblem("   "), "Type a name for the sound");
    EXPECT_EQ(SoundLibrary::nameProblem("a/b"), "A name cannot contain \\/:*?\"<>|");
    EXPECT_EQ(SoundLibrary::nameProblem("what?"), "A name cannot contain \\/:*?\"<>|");
    EXPECT_EQ(SoundLibrary::nameProblem("tab\there"), "A name cannot contain \\/:*?\"<>|");
    EXPECT_EQ(SoundLibrary::nameProblem(".hidden"), "A name cannot begin with a dot");
    EXPECT_EQ(SoundLibrary::nameProblem(std::string(300, 'a')), "That name is too long");
    EXPECT_EQ(SoundLibrary::nameProblem("warm pad"), "\"warm pad\" is a factory sound: choose another name");
    EXPECT_EQ(SoundLibrary::nameProblem("Init"), "\"Init\" is a factory sound: choose another name");
}

TEST(SoundLibrary, AFolderThatCannotBeWrittenIsReportedAndNothingIsSaved)
{
    // A file where the folder would be: no one, not even the superuser, can make the folder there.
    ScratchFolder scratch;
    touch(scratch.path / "presets");
    SoundLibrary library;
    library.setUserFolder(scratch.path / "presets" / "Talvane");
    const SaveOutcome outcome = library.save("Mine", presets::defaultValues(), "", {});
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.message, "Cannot save: cannot make the preset folder (Not a directory)");
    EXPECT_FALSE(library.save("bad/name", presets::defaultValues(), "", {}).saved);

    // A folder that exists but refuses new files (for users other than the superuser).
    library.setUserFolder(scratch.path / "readonly");
    fs::create_directories(library.userFolder());
    fs::permissions(library.userFolder(), fs::perms::owner_read | fs::perms::owner_exec);
    std::ofstream probe(library.userFolder() / "probe");
    const bool writable = probe.good();
    probe.close();
    if (!writable)
    {
        const SaveOutcome refused = library.save("Mine", presets::defaultValues(), "", {});
        EXPECT_FALSE(refused.saved);
        EXPECT_EQ(refused.message, "Cannot save: the preset folder refuses the file (Permission denied)");
        EXPECT_TRUE(fs::is_empty(library.userFolder()));
    }
    fs::permissions(library.userFolder(), fs::perms::owner_all);
}
