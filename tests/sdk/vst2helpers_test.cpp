// The pieces the VST 2 wrapper builds on: preallocated parameter changes and events, latest-value
// slots between threads, MIDI decoding and the editor frame's run loop.
#include "sdk/editorframe.h"
#include "sdk/fixedprocessdata.h"
#include "sdk/midimessage.h"
#include "sdk/pendingparametervalues.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::vector<std::pair<int32, ParamValue>> pointsOf(IParamValueQueue& queue)
{
    std::vector<std::pair<int32, ParamValue>> points;
    for (int32 i = 0; i < queue.getPointCount(); ++i)
    {
        int32 offset = 0;
        ParamValue value = 0.0;
        EXPECT_EQ(queue.getPoint(i, offset, value), kResultOk);
        points.emplace_back(offset, value);
    }
    return points;
}

using Points = std::vector<std::pair<int32, ParamValue>>;

} // namespace

TEST(FixedParamValueQueue, KeepsPointsInOrderAndTheLastValueWhenFull)
{
    FixedParamValueQueue queue(3);
    queue.reset(42);
    int32 index = -1;
    queue.addPoint(10, 0.1, index);
    queue.addPoint(2, 0.2, index);
    EXPECT_EQ(index, 0);
    queue.addPoint(10, 0.3, index); // same offset: replaced
    EXPECT_EQ(pointsOf(queue), (Points{{2, 0.2}, {10, 0.3}}));
    queue.addPoint(20, 0.4, index);
    queue.addPoint(30, 0.5, index); // full: the last point makes way for a later one
    EXPECT_EQ(pointsOf(queue), (Points{{2, 0.2}, {10, 0.3}, {30, 0.5}}));
    EXPECT_EQ(queue.addPoint(5, 0.6, index), kResultFalse) << "an earlier point does not fit";
    EXPECT_EQ(queue.getParameterId(), 42u);
    int32 offset;
    ParamValue value;
    EXPECT_NE(queue.getPoint(3, offset, value), kResultOk);
    EXPECT_NE(queue.getPoint(-1, offset, value), kResultOk);
}

TEST(FixedParameterChanges, HandsOutOneQueuePerSlotInOrderOfUseAndClears)
{
    FixedParameterChanges changes(4, 8);
    EXPECT_TRUE(changes.add(3, 103, 0, 0.5));
    EXPECT_TRUE(changes.add(1, 101, 4, 0.25));
    EXPECT_TRUE(changes.add(3, 103, 9, 0.75));
    EXPECT_FALSE(changes.add(4, 104, 0, 0.5));
    EXPECT_FALSE(changes.add(-1, 99, 0, 0.5));
    ASSERT_EQ(changes.getParameterCount(), 2);
    EXPECT_EQ(changes.getParameterData(0)->getParameterId(), 103u);
    EXPECT_EQ(pointsOf(*changes.getParameterData(0)), (Points{{0, 0.5}, {9, 0.75}}));
    EXPECT_EQ(changes.getParameterData(1)->getParameterId(), 101u);
    EXPECT_EQ(changes.getParameterData(2), nullptr);
    int32 index = -1;
    EXPECT_EQ(changes.addParameterData(101, index), changes.getParameterData(1));
    EXPECT_EQ(index, 1);

    changes.clear();
    EXPECT_TRUE(changes.empty());
    changes.add(1, 101, 0, 1.0);
    ASSERT_EQ(changes.getParameterCount(), 1);
    EXPECT_EQ(pointsOf(*changes.getParameterData(0)), (Points{{0, 1.0}})) << "no points left from before";
}

TEST(FixedEventList, RefusesEventsBeyondItsCapacity)
{
    FixedEventList list(2);
    Event e{};
    e.sampleOffset = 1;
    EXPECT_EQ(list.addEvent(e), kResultOk);
    e.sampleOffset = 2;
    EXPECT_EQ(list.addEvent(e), kResultOk);
    EXPECT_EQ(list.addEvent(e), kOutOfMemory);
    ASSERT_EQ(list.getEventCount(), 2);
    Event out{};
    EXPECT_EQ(list.getEvent(1, out), kResultOk);
    EXPECT_EQ(out.sampleOffset, 2);
    EXPECT_NE(list.getEvent(2, out), kResultOk);
    list.clear();
    EXPECT_EQ(list.getEventCount(), 0);
}

TEST(PendingParameterValues, KeepsTheLatestValuePerSlotUntilTaken)
{
    PendingParameterValues pending(3);
    pending.post(2, 0.5f);
    pending.post(0, 0.1f);
    pending.post(2, 0.75f);
    pending.post(3, 1.0f); // out of range: ignored
    std::vector<std::pair<int32, float>> taken;
    pending.takeAll([&](int32 slot, float value) { taken.emplace_back(slot, value); });
    EXPECT_EQ(taken, (std::vector<std::pair<int32, float>>{{0, 0.1f}, {2, 0.75f}}));
    taken.clear();
    pending.takeAll([&](int32 slot, float value) { taken.emplace_back(slot, value); });
    EXPECT_TRUE(taken.empty());
    pending.post(1, 0.3f);
    pending.discard();
    pending.takeAll([&](int32 slot, float value) { taken.emplace_back(slot, value); });
    EXPECT_TRUE(taken.empty());
}

TEST(MidiMessage, DecodesNotesControllersAndTheWheel)
{
    MidiMessage on = MidiMessage::decode(0x93, 60, 127);
    EXPECT_EQ(on.kind, MidiMessage::Kind::NoteOn);
    EXPECT_EQ(on.channel, 3);
    EXPECT_EQ(on.pitch, 60);
    EXPECT_FLOAT_EQ(on.velocity, 1.0f);
    // A note-on with velocity 0 is a note-off.
    EXPECT_EQ(MidiMessage::decode(0x90, 60, 0).kind, MidiMessage::Kind::NoteOff);
    MidiMessage off = MidiMessage::decode(0x8F, 61, 64);
    EXPECT_EQ(off.kind, MidiMessage::Kind::NoteOff);
    EXPECT_EQ(off.channel, 15);
    EXPECT_FLOAT_EQ(off.velocity, 64.0f / 127.0f);

    MidiMessage wheel = MidiMessage::decode(0xB0, 1, 127);
    EXPECT_EQ(wheel.kind, MidiMessage::Kind::Controller);
    EXPECT_EQ(wheel.controller, kCtrlModWheel);
    EXPECT_DOUBLE_EQ(wheel.value, 1.0);
    EXPECT_EQ(MidiMessage::decode(0xD2, 127, 0x90).controller, kAfterTouch) << "two-byte message";

    auto bend = [](int32 position) {
        return MidiMessage::decode(0xE0, static_cast<uint8>(position & 0x7F),
                                   static_cast<uint8>(position >> 7));
    };
    EXPECT_EQ(bend(0).controller, kPitchBend);
    EXPECT_DOUBLE_EQ(bend(0).value, 0.0);
    EXPECT_DOUBLE_EQ(bend(8192).value, 0.5) << "a wheel at rest bends nothing";
    EXPECT_DOUBLE_EQ(bend(16383).value, 1.0);
    EXPECT_LT(bend(8191).value, 0.5);
    EXPECT_GT(bend(8193).value, 0.5);

    EXPECT_EQ(MidiMessage::decode(0x40, 1, 2).kind, MidiMessage::Kind::Ignored) << "no status byte";
    EXPECT_EQ(MidiMessage::decode(0x90, 0x80, 2).kind, MidiMessage::Kind::Ignored) << "a status as data";
    EXPECT_EQ(MidiMessage::decode(0xC0, 5, 0).kind, MidiMessage::Kind::Ignored) << "program change";
    EXPECT_EQ(MidiMessage::decode(0xF8, 0, 0).kind, MidiMessage::Kind::Ignored) << "clock";
}

namespace {

// A handler that counts its calls and can unregister itself (or another) from inside its callback.
class CountingHandler : public Linux::ITimerHandler, public Linux::IEventHandler
{
public:
    void PLUGIN_API onTimer() override
    {
        ++timerCalls;
        if (unregisterOnCall)
            loop->unregisterTimer(unregisterOnCall);
    }
    void PLUGIN_API onFDIsSet(Linux::FileDescriptor fd) override
    {
        char byte;
        EXPECT_EQ(read(fd, &byte, 1), 1);
        ++fdCalls;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return static_cast<uint32>(++refs); }
    uint32 PLUGIN_API release() override { return static_cast<uint32>(--refs); }

    int refs = 1;
    int timerCalls = 0;
    int fdCalls = 0;
    Linux::IRunLoop* loop = nullptr;
    Linux::ITimerHandler* unregisterOnCall = nullptr;
};

} // namespace

TEST(EditorFrame, FiresDueTimersOnceAndHandlesReadableDescriptors)
{
    EditorFrame frame(nullptr);
    CountingHandler a, b;
    const auto start = EditorFrame::Clock::now();
    ASSERT_EQ(frame.registerTimer(&a, 100), kResultTrue);
    EXPECT_EQ(a.refs, 2) << "the frame holds the handler";
    frame.idle(start);
    EXPECT_EQ(a.timerCalls, 0);
    frame.idle(start + std::chrono::milliseconds(1000));
    EXPECT_EQ(a.timerCalls, 1) << "a late timer fires once";
    frame.idle(start + std::chrono::milliseconds(1050));
    EXPECT_EQ(a.timerCalls, 1);
    frame.idle(start + std::chrono::milliseconds(1100));
    EXPECT_EQ(a.timerCalls, 2);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(frame.registerEventHandler(&b, fds[0]), kResultTrue);
    frame.idle();
    EXPECT_EQ(b.fdCalls, 0);
    ASSERT_EQ(write(fds[1], "y", 1), 1);
    frame.idle();
    EXPECT_EQ(b.fdCalls, 1);

    EXPECT_EQ(frame.unregisterTimer(&a), kResultTrue);
    EXPECT_EQ(frame.unregisterTimer(&a), kResultFalse);
    EXPECT_EQ(a.refs, 1);
    EXPECT_EQ(frame.registerEventHandler(nullptr, 3), kInvalidArgument);
    EXPECT_EQ(frame.registerEventHandler(&b, -1), kInvalidArgument);
    frame.clear();
    EXPECT_EQ(b.refs, 1) << "clear releases what is left";
    EXPECT_EQ(frame.eventHandlerCount(), 0u);
    close(fds[0]);
    close(fds[1]);
}

TEST(EditorFrame, AHandlerUnregisteredByAnEarlierOneIsNotCalled)
{
    EditorFrame frame(nullptr);
    CountingHandler first, second;
    first.loop = &frame;
    first.unregisterOnCall = &second;
    frame.registerTimer(&first, 0);
    frame.registerTimer(&second, 0);
    frame.idle(EditorFrame::Clock::now() + std::chrono::seconds(1));
    EXPECT_EQ(first.timerCalls, 1);
    EXPECT_EQ(second.timerCalls, 0);
    EXPECT_EQ(frame.timerCount(), 1u);
    EXPECT_EQ(second.refs, 1);
    frame.clear();
}

TEST(EditorFrame, OffersTheRunLoopAndRefusesResizesWithoutViewOrSize)
{
    int asked = 0;
    EditorFrame frame([&](IPlugView*, const ViewRect&) {
        ++asked;
        return true;
    });
    Linux::IRunLoop* loop = nullptr;
    ASSERT_EQ(frame.queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop)), kResultOk);
    EXPECT_EQ(loop, static_cast<Linux::IRunLoop*>(&frame));
    loop->release();
    ViewRect size(0, 0, 300, 200);
    EXPECT_EQ(frame.resizeView(nullptr, &size), kInvalidArgument);
    EXPECT_EQ(asked, 0);
}
