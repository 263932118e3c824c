// Pictures of the real editor, one per modulation page and one with a destination list open, saved
// under the build tree (screenshots/editor-*.png) for people to look at.
#include "tests/editor/editortest.h"

#include "source/editor/editorlayout.h"

#include "gui/platform/offscreenframe.h"

#include <sys/stat.h>

#include <cairo.h>

#include <string>

using namespace Steinberg;
using namespace VSTGUI;

namespace {

std::string screenshotPath(const std::string& name)
{
    mkdir(TALVANE_SCREENSHOT_DIR, 0755);
    return std::string(TALVANE_SCREENSHOT_DIR) + "/" + name;
}

// The saved picture's size, read back from the file.
std::pair<int, int> pngSize(const std::string& path)
{
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    std::pair<int, int> size{0, 0};
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS)
        size = {cairo_image_surface_get_width(image), cairo_image_surface_get_height(image)};
    cairo_surface_destroy(image);
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

} // namespace
