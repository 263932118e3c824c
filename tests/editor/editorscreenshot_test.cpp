// Pictures of the real editor, one per modulation page, one with a destination list open and two of
// the sound bar (with its menu open), saved under the build tree (screenshots/editor-*.png) for
// people to look at.
#include "tests/editor/editortest.h"

#include "source/editor/editorlayout.h"
#include "source/presets/programs.h"

#include "gui/platform/nativegraphics.h"
#include "gui/platform/offscreenframe.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace VSTGUI;

namespace {

std::string screenshotPath(const std::string& name)
{
    std::error_code ignored;
    std::filesystem::create_directories(TALVANE_SCREENSHOT_DIR, ignored);
    return std::string(TALVANE_SCREENSHOT_DIR) + "/" + name;
}

// The saved picture's size, read back from the file.
std::pair<int, int> pngSize(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                           std::istreambuf_iterator<char>());
    NativeImage* image = decodePngImage(bytes.data(), bytes.size());
    const std::pair<int, int> size{getImageWidth(image), getImageHeight(image)};
    destroyImage(image);
    return size;
}

TEST(EditorScreenshots, SavesEachPageAndAnOpenList)
{
    talvane::testing::ControllerWithHost plugin;
    Vst::TalvaneEditorView* editor = plugin.createEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
    OffscreenFrame* screen = OffscreenFrame::of(editor->getFrame());
    ASSERT_NE(screen, nullptr);

    for (int page : {talvane::kLfoPage, talvane::kEnvelopePage, talvane::kMatrixPage})
    {
        editor->switchPage(page);
        editor->getFrame()->idle();
        const std::string path = screenshotPath("editor-page-" + std::to_string(page) + ".png");
        ASSERT_TRUE(screen->saveScreenshot(path)) << path;
        EXPECT_EQ(pngSize(path), std::make_pair(talvane::kEditorWidth, talvane::kEditorHeight));
    }

    // The first LFO's first destination, its 84 entries in seven columns over the editor.
    editor->switchPage(talvane::kLfoPage);
    CPoint list = editor->getControl(talvane::kLfo1Dest1)->getViewSize().getCenter();
    screen->click(list);
    ASSERT_TRUE(screen->isPopupOpen());
    editor->getFrame()->idle();
    const std::string path = screenshotPath("editor-destinations.png");
    ASSERT_TRUE(screen->saveScreenshot(path)) << path;
    EXPECT_GT(pngSize(path).first, talvane::kEditorWidth);

    editor->removed();
    editor->release();
}

TEST(EditorScreenshots, SavesTheSoundBarWithItsMenuOpen)
{
    talvane::testing::ControllerWithHost plugin;
    Vst::TalvaneEditorView* editor = plugin.createEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->attached(nullptr, kPlatformTypeOffscreen), kResultTrue);
    OffscreenFrame* screen = OffscreenFrame::of(editor->getFrame());
    ASSERT_NE(screen, nullptr);

    // A factory sound, edited: its name is marked.
    plugin.controller->loadProgram(talvane::presets::factoryPrograms().findNamed("Glass Pad"));
    plugin.controller->setParamNormalized(talvane::kFCutoff, 0.4);
    editor->getFrame()->idle();
    ASSERT_TRUE(screen->saveScreenshot(screenshotPath("editor-sound-bar.png")));

    screen->click(CRect(talvane::kSoundNameRect.left, talvane::kSoundNameRect.top, talvane::kSoundNameRect.right,
                        talvane::kSoundNameRect.bottom)
                      .getCenter());
    ASSERT_TRUE(screen->isPopupOpen());
    editor->getFrame()->idle();
    const std::string path = screenshotPath("editor-sound-menu.png");
    ASSERT_TRUE(screen->saveScreenshot(path)) << path;
    const std::pair<int, int> size = pngSize(path);
    EXPECT_EQ(size.first, talvane::kEditorWidth) << "the menu opens inside the editor";
    EXPECT_GE(size.second, talvane::kEditorHeight);

    editor->removed();
    editor->release();
}

} // namespace
