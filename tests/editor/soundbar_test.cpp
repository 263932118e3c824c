// The editor's sound bar through the offscreen backend: where it sits, what the buttons, the menu
// and the name entry do, what reaches the host, and what a musician reads when saving fails.
#include "tests/editor/editortest.h"
#include "tests/gui/guitest.h"

#include "source/editor/editorlayout.h"
#include "source/editor/soundbar.h"
#include "source/presets/programs.h"

#include "gui/menupopup.h"

#include "host/dynamiclibrary.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace VSTGUI;
using talvane::presets::factoryPrograms;
using talvane::testing::editTriple;
using talvane::testing::HostEdit;
namespace fs = std::filesystem;

namespace {

CRect toCRect(const talvane::PixelRect& r)
{
    return CRect(r.left, r.top, r.right, r.bottom);
}

class SoundBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 ("talvane-soundbar-" + std::to_string(talvane::host::currentProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        plugin.controller->soundLibrary().setUserFolder(folder / "Talvane");
        editor = plugin.createEditor();
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
        screen = OffscreenFrame::of(editor->getFrame());
        ASSERT_NE(screen, nullptr);
        bar = editor->getSoundBar();
        ASSERT_NE(bar, nullptr);
        plugin.handler.edits.clear();
    }
    void TearDown() override
    {
        editor->removed();
        editor->release();
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, ignored);
        fs::remove_all(folder, ignored);
    }

    TalvaneController& controller() { return *plugin.controller; }
    void click(const CView* view) { screen->click(view->getViewSize().getCenter()); }
    std::string shownName() const { return bar->getMenu()->getShownName(); }
    std::string message() const { return bar->getMessage()->getText(); }
    // Opens the menu and answers the index of the entry titled `title`, or -1.
    int32_t openMenuAt(const std::string& title)
    {
        click(bar->getMenu());
        EXPECT_TRUE(screen->isPopupOpen());
        for (int32_t i = 0; i < bar->getMenu()->getNbEntries(); ++i)
            if (bar->getMenu()->getEntry(i)->getTitle() == title)
                return i;
        return -1;
    }
    void chooseEntry(int32_t index)
    {
        const MenuPopup* popup = editor->getFrame()->getPopup();
        ASSERT_NE(popup, nullptr);
        screen->popupMouseDown(popup->entryRect(index).getCenter());
    }
    // Saves through the bar: SAVE, the name typed, Return.
    void saveAs(const std::string& name)
    {
        click(bar->getSaveButton());
        ASSERT_TRUE(bar->getNameEntry()->isEditing());
        screen->key(kVirtualKeyHome);
        while (bar->getNameEntry()->getCaret() < std::string(bar->getNameEntry()->getText()).size())
            screen->key(kVirtualKeyDelete);
        screen->type(name);
        screen->key(kVirtualKeyReturn);
    }

    talvane::testing::ControllerWithHost plugin;
    TalvaneEditorView* editor = nullptr;
    OffscreenFrame* screen = nullptr;
    SoundBar* bar = nullptr;
    fs::path folder;
};

} // namespace

TEST_F(SoundBarTest, SitsInTheHeaderAboveTheCommonPanelClearOfEveryControl)
{
    const CRect barArea = toCRect(talvane::kSoundBarRect);
    EXPECT_GE(barArea.left, 0);
    EXPECT_LE(barArea.right, talvane::kEditorWidth);
    for (const CView* view : std::initializer_list<const CView*>{
             bar->getPreviousButton(), bar->getNextButton(), bar->getMenu(), bar->getSaveButton()})
    {
        CRect inside = view->getViewSize();
        inside.bound(barArea);
        EXPECT_EQ(inside, view->getViewSize()) << "within the bar";
    }
    // Nothing the layout places is covered: no control, caption, switcher or version text.
    std::vector<CRect> taken{toCRect({0, 0, 200, 20}),
                             CRect(talvane::kPageSwitcherX, talvane::kPageSwitcherY,
                                   talvane::kPageSwitcherX + talvane::kPageSwitcherBitmap.width,
                                   talvane::kPageSwitcherY + talvane::kPageSwitcherBitmap.frameHeight())};
    auto addTable = [&](const talvane::LayoutTable& table) {
        for (const talvane::ControlPlacement& placement : table)
        {
            taken.push_back(toCRect(talvane::controlRect(placement)));
            if (talvane::hasCaption(placement))
                taken.push_back(toCRect(talvane::captionRect(placement)));
        }
    };
    addTable(talvane::alwaysPresentLayout());
    for (int page = 0; page < talvane::kNumPages; ++page)
        addTable(talvane::pageLayout(page));
    for (const talvane::PixelRect& mine : {talvane::kSoundBarRect, talvane::kSoundMessageRect})
        for (const CRect& other : taken)
            EXPECT_FALSE(toCRect(mine).rectOverlap(other))
                << mine.left << "," << mine.top << " meets " << other.left << "," << other.top;
    // The common panel's first row of controls starts well below the bar.
    EXPECT_LT(barArea.bottom + 30, editor->getControl(talvane::kGlobalVolume)->getViewSize().top);
}

TEST_F(SoundBarTest, ShowsTheSoundsNameMarkedOnceItIsEdited)
{
    EXPECT_EQ(shownName(), "Init");
    const int32_t program = factoryPrograms().findNamed("Glass Pad");
    controller().setParamNormalized(talvane::presets::kProgramChangeId,
                                    static_cast<double>(program) / (factoryPrograms().count() - 1));
    EXPECT_EQ(shownName(), "Glass Pad");
    // A knob turned in the editor marks it; so does the host's automation.
    screen->wheel(editor->getControl(talvane::kFCutoff)->getViewSize().getCenter(), -10);
    EXPECT_EQ(shownName(), "Glass Pad *");
    editor->getFrame()->idle();
    EXPECT_EQ(plugin.handler.performed(talvane::kFCutoff).size(), 1u);
}

TEST_F(SoundBarTest, NextAndPreviousStepThroughTheProgramsAsEditsTheHostRecords)
{
    click(bar->getNextButton());
    EXPECT_EQ(shownName(), "Warm Pad");
    EXPECT_EQ(controller().getProgramIndex(), 1);
    const talvane::presets::SoundValues& warmPad = factoryPrograms().at(1).values;
    talvane::testing::HostEdits expected;
    for (ParamID id = 0; id < static_cast<ParamID>(talvane::kNumParams); ++id)
        if (warmPad[id] != talvane::presets::defaultValues()[id])
            for (const HostEdit& edit : editTriple(id, warmPad[id]))
                expected.push_back(edit);
    EXPECT_EQ(plugin.handler.edits, expected);

    click(bar->getNextButton());
    EXPECT_EQ(shownName(), factoryPrograms().at(2).name);
    click(bar->getPreviousButton());
    click(bar->getPreviousButton());
    EXPECT_EQ(shownName(), "Init");
    // Before Init comes the last sound of the list.
    click(bar->getPreviousButton());
    EXPECT_EQ(shownName(), factoryPrograms().at(factoryPrograms().count() - 1).name);
    click(bar->getNextButton());
    EXPECT_EQ(shownName(), "Init");
    EXPECT_EQ(controller().getSoundValues(), talvane::presets::defaultValues());
}

TEST_F(SoundBarTest, TheMenuGroupsTheSoundsByCategoryAndLoadsTheOneChosen)
{
    const int32_t marimba = openMenuAt("Marimba");
    ASSERT_GT(marimba, 0);
    const COptionMenu* menu = bar->getMenu();
    EXPECT_EQ(menu->getEntry(0)->getTitle(), "Init");
    EXPECT_EQ(menu->getCurrentIndex(), 0) << "the loaded sound is checked";
    // Each category is a heading over its sounds, in the categories' order; headings are never chosen.
    std::vector<std::string> headings;
    int columns = 1;
    for (int32_t i = 0; i < menu->getNbEntries(); ++i)
    {
        const CMenuItem* entry = menu->getEntry(i);
        columns += entry->startsColumn() ? 1 : 0;
        if (!entry->isTitle())
            continue;
        headings.push_back(entry->getTitle());
        EXPECT_FALSE(entry->isSelectable());
        ASSERT_NE(bar->soundOfEntry(i + 1), nullptr);
        EXPECT_EQ(bar->soundOfEntry(i + 1)->category, entry->getTitle());
    }
    const std::vector<std::string> categories{"Pads",
                                              "Basses",
                                              "Leads",
                                              "Keys",
                                              "Bells & Mallets",
                                              "Plucks",
                                              "Brass & Strings",
                                              "Effects & Textures",
                                              "Tempo-Synced Motion"};
    EXPECT_EQ(headings, categories);
    EXPECT_GE(columns, 3);
    const MenuPopup* popup = editor->getFrame()->getPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->getNbColumns(), columns);
    EXPECT_LE(screen->getPopupArea().right, talvane::kEditorWidth) << "inside the editor";
    EXPECT_EQ(popup->entryAt(popup->entryRect(1).getCenter()), -1) << "a heading";

    chooseEntry(marimba);
    EXPECT_FALSE(screen->isPopupOpen());
    EXPECT_EQ(shownName(), "Marimba");
    EXPECT_EQ(controller().getSoundValues(),
              factoryPrograms().at(factoryPrograms().findNamed("Marimba")).values);
    EXPECT_FALSE(plugin.handler.edits.empty());
}

TEST_F(SoundBarTest, SavesIntoTheUsersFolderAndListsTheSoundUnderUser)
{
    click(bar->getNextButton()); // Warm Pad
    controller().setParamNormalized(talvane::kFCutoff, 0.21);
    EXPECT_EQ(shownName(), "Warm Pad *");

    click(bar->getSaveButton());
    EXPECT_FALSE(bar->getMenu()->isVisible());
    EXPECT_TRUE(bar->getNameEntry()->isVisible());
    EXPECT_STREQ(bar->getNameEntry()->getText(), "") << "a factory sound is saved under a new name";
    EXPECT_EQ(screen->getKeyboardFocusRequests(), 1);
    screen->type("Dark Pad");
    screen->key(kVirtualKeyReturn);

    const fs::path file = folder / "Talvane" / "Dark Pad.vstpreset";
    ASSERT_TRUE(fs::is_regular_file(file)) << message();
    EXPECT_EQ(message(), "Saved \"Dark Pad\"");
    EXPECT_FALSE(bar->isErrorShown());
    EXPECT_EQ(shownName(), "Dark Pad");
    EXPECT_TRUE(bar->getMenu()->isVisible());
    EXPECT_FALSE(bar->getNameEntry()->isVisible());

    // Another sound, then the saved one from the menu, under its group.
    click(bar->getNextButton());
    EXPECT_NE(controller().getSoundValues()[talvane::kFCutoff], 0.21f);
    const int32_t mine = openMenuAt("Dark Pad");
    ASSERT_GT(mine, 0);
    EXPECT_EQ(bar->getMenu()->getEntry(mine - 1)->getTitle(), "User");
    chooseEntry(mine);
    EXPECT_EQ(shownName(), "Dark Pad");
    EXPECT_FLOAT_EQ(controller().getSoundValues()[talvane::kFCutoff], 0.21f);

    // Saved again under its own name: the entry starts with it, and the file is replaced.
    controller().setParamNormalized(talvane::kFQ, 0.6);
    click(bar->getSaveButton());
    EXPECT_STREQ(bar->getNameEntry()->getText(), "Dark Pad");
    screen->key(kVirtualKeyReturn);
    EXPECT_EQ(message(), "Replaced \"Dark Pad\"");
    EXPECT_EQ(shownName(), "Dark Pad");
}

TEST_F(SoundBarTest, ANameThatCannotBeUsedKeepsTheEntryOpenAndEscapeCancels)
{
    saveAs("Warm Pad");
    EXPECT_TRUE(bar->isErrorShown());
    EXPECT_EQ(message(), "\"Warm Pad\" is a factory sound: choose another name");
    EXPECT_TRUE(bar->getNameEntry()->isEditing()) << "open for another name";
    screen->key(kVirtualKeyBack);
    screen->type("s?");
    screen->key(kVirtualKeyReturn);
    EXPECT_EQ(message(), "A name cannot contain \\/:*?\"<>|");
    EXPECT_TRUE(bar->getNameEntry()->isEditing());

    screen->key(kVirtualKeyEscape);
    EXPECT_FALSE(bar->getNameEntry()->isVisible());
    EXPECT_TRUE(bar->getMenu()->isVisible());
    EXPECT_EQ(message(), "");
    EXPECT_FALSE(fs::exists(folder / "Talvane"));
    EXPECT_EQ(shownName(), "Init");

    // A click elsewhere while naming cancels as well.
    click(bar->getSaveButton());
    screen->type("Elsewhere");
    screen->click(CPoint(400, 100));
    EXPECT_FALSE(bar->getNameEntry()->isVisible());
    EXPECT_FALSE(fs::exists(folder / "Talvane"));
}

TEST_F(SoundBarTest, AFolderThatCannotBeWrittenIsReportedAndTheSoundKeepsItsName)
{
    // A file where the preset folder would be: no one can make the folder there.
    fs::create_directories(folder);
    std::ofstream(folder / "Talvane") << "in the way";
    saveAs("Mine");
    EXPECT_TRUE(bar->isErrorShown());
    EXPECT_EQ(message(), "Cannot save: cannot make the preset folder (Not a directory)");
    EXPECT_FALSE(bar->getNameEntry()->isVisible()) << "no name would help";
    EXPECT_EQ(shownName(), "Init");
    EXPECT_TRUE(fs::is_regular_file(folder / "Talvane"));

    // A user sound whose file went bad is reported when chosen.
    fs::remove(folder / "Talvane");
    fs::create_directories(folder / "Talvane");
    std::ofstream(folder / "Talvane" / "Broken.vstpreset") << "not a preset";
    const int32_t broken = openMenuAt("Broken");
    ASSERT_GT(broken, 0);
    chooseEntry(broken);
    EXPECT_TRUE(bar->isErrorShown());
    EXPECT_EQ(message(), "Cannot load \"Broken\": it is no Talvane sound");
    EXPECT_EQ(shownName(), "Init");
}
