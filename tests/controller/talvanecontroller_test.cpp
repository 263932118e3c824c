// The controller's dealings with open editors, driven directly with stand-in views.
#include "source/controller/parameterdisplay.h"
#include "source/controller/talvanecontroller.h"

#include "host/plugininstance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

struct Notification
{
    int view;
    ParamID id;
    ParamValue value;
    bool operator==(const Notification& other) const
    {
        return view == other.view && id == other.id && value == other.value;
    }
};

using Log = std::vector<Notification>;

class FakeEditor : public EditorView, public ParameterDisplay
{
public:
    FakeEditor(EditController* controller, int tagIn, Log& logIn)
        : EditorView(controller), tag(tagIn), log(logIn)
    {}
    void updateParameterDisplay(ParamID id, ParamValue value) override { log.push_back({tag, id, value}); }

private:
    int tag;
    Log& log;
};

class Controller : public ::testing::Test
{
protected:
    Controller() : controller(new TalvaneController())
    {
        EXPECT_EQ(controller->initialize(&talvane::host::PluginInstance::hostContext()), kResultOk);
    }
    ~Controller() override
    {
        controller->terminate();
        controller->release();
    }

    FakeEditor* openEditor(int tag)
    {
        auto* editor = new FakeEditor(controller, tag, log);
        editor->attached(nullptr, kPlatformTypeX11EmbedWindowID);
        return editor;
    }

    TalvaneController* controller;
    Log log;
};

} // namespace

TEST_F(Controller, TellsAttachedDisplaysInOrderUntilTheyAreRemoved)
{
    FakeEditor* first = openEditor(1);
    FakeEditor* second = openEditor(2);
    auto* notADisplay = new EditorView(controller);
    notADisplay->attached(nullptr, kPlatformTypeX11EmbedWindowID);

    EXPECT_EQ(controller->setParamNormalized(talvane::kFCutoff, 0.25), kResultTrue);
    EXPECT_EQ(log, (Log{{1, talvane::kFCutoff, 0.25}, {2, talvane::kFCutoff, 0.25}}));
    EXPECT_EQ(controller->getParamNormalized(talvane::kFCutoff), 0.25);

    log.clear();
    first->removed();
    first->removed(); // not in the list any more: nothing happens
    notADisplay->removed();
    controller->setParamNormalized(talvane::kO1Mix, 0.5);
    EXPECT_EQ(log, (Log{{2, talvane::kO1Mix, 0.5}}));

    second->removed();
    first->release();
    second->release();
    notADisplay->release();
}

TEST_F(Controller, RemovingAViewAttachedTwiceRemovesOneEntry)
{
    FakeEditor* editor = openEditor(7);
    editor->attached(nullptr, kPlatformTypeX11EmbedWindowID);
    editor->removed();
    controller->setParamNormalized(talvane::kPortamento, 1.0);
    EXPECT_EQ(log, (Log{{7, talvane::kPortamento, 1.0}}));
    editor->removed();
    editor->release();
}

TEST_F(Controller, ForgetsAViewDestroyedWhileAttachedAndAllViewsOnTerminate)
{
    FakeEditor* destroyed = openEditor(1);
    destroyed->release(); // the host dropped it without removing it
    controller->setParamNormalized(talvane::kFQ, 0.5);
    EXPECT_TRUE(log.empty());

    FakeEditor* open = openEditor(2);
    controller->terminate();
    controller->setParamNormalized(talvane::kFQ, 0.75);
    EXPECT_TRUE(log.empty());
    open->release();
}

TEST_F(Controller, LoadedStateReachesTheDisplaysInIdOrder)
{
    FakeEditor* editor = openEditor(1);
    talvane::host::MemoryStream state;
    ASSERT_EQ(controller->setComponentState(&state), kResultFalse) << "an empty stream";
    EXPECT_TRUE(log.empty());

    std::vector<std::uint8_t> bytes = {0, 0, 0, 0, 87, 0, 0, 0, 0, 0, 0, 0};
    const std::uint8_t half[] = {0x00, 0x00, 0x00, 0x3F}; // 0.5f
    bytes.insert(bytes.end(), half, half + 4);
    bytes.insert(bytes.end(), half, half + 4);
    talvane::host::MemoryStream twoValues(bytes);
    EXPECT_EQ(controller->setComponentState(&twoValues), kResultFalse);
    EXPECT_EQ(log, (Log{{1, talvane::kGlobalVolume, 0.5}, {1, talvane::kPortamento, 0.5}}));
    editor->removed();
    editor->release();
}

TEST_F(Controller, UnknownIdsAreAnsweredSafely)
{
    FakeEditor* editor = openEditor(1);
    EXPECT_EQ(controller->setParamNormalized(talvane::kNumParams, 0.5), kInvalidArgument);
    EXPECT_EQ(controller->setParamNormalized(0xFFFFFFFFu, 0.5), kInvalidArgument);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(controller->getParamNormalized(talvane::kNumParams), 0.0);

    String128 text;
    text[0] = u'x';
    EXPECT_EQ(controller->getParamStringByValue(talvane::kNumParams, 0.5, text), kInvalidArgument);
    EXPECT_EQ(text[0], 0);
    editor->removed();
    editor->release();
}

TEST_F(Controller, ValueTextsAreSixteenBitWithASingleDegreeUnit)
{
    String128 text;
    ASSERT_EQ(controller->getParamStringByValue(talvane::kLfo1InitPhase, 0.5, text), kResultOk);
    EXPECT_EQ(std::u16string(text), u"180 \u00B0");

    ASSERT_EQ(controller->getParamStringByValue(talvane::kLfo1Freq, 0.0, text), kResultOk);
    EXPECT_EQ(std::u16string(text), u"0.10 Hz");
    controller->setParamNormalized(talvane::kLfo1Sync, 1.0);
    ASSERT_EQ(controller->getParamStringByValue(talvane::kLfo1Freq, 0.0, text), kResultOk);
    EXPECT_EQ(std::u16string(text), u"16 D") << "the sync switch as the controller holds it";
}

TEST_F(Controller, OffersTheEditorViewOnlyByItsExactName)
{
    EXPECT_EQ(controller->createView(nullptr), nullptr);
    EXPECT_EQ(controller->createView(""), nullptr);
    EXPECT_EQ(controller->createView("editorx"), nullptr);
    EXPECT_EQ(controller->createView("edito"), nullptr);
    EXPECT_EQ(controller->createView("Editor"), nullptr);
}

TEST_F(Controller, KnobsAreLinearAndASecondInitializeRegistersNothingMore)
{
    EXPECT_EQ(EditController::getHostKnobMode(), kLinearMode);
    controller->setKnobMode(kCircularMode);
    EXPECT_EQ(controller->initialize(&talvane::host::PluginInstance::hostContext()), kResultFalse);
    EXPECT_EQ(EditController::getHostKnobMode(), kLinearMode) << "set even when the base refuses";
    EXPECT_EQ(controller->getParameterCount(), talvane::kNumParams + 1) << "and the program change";
}
