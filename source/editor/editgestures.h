// The edit gestures of an editor, on their way to the controller and the host. A gesture is one
// touch of one parameter: it begins when the musician takes hold of a control (the button goes
// down), carries every value the parameter takes while held, and ends when the control is let go,
// however that happens. Hosts write touch and latch automation only within a gesture and make one
// undo step of it, so a drag must be one gesture, not one per mouse step.
//
// Every change the editor makes goes through here. A change of a parameter that nobody holds (a
// pitch-bend wheel re-centring itself after the pointer left, say) is a gesture of its own.
//
// The mouse wheel holds a control only for the moment of one step; steps on the same control in
// quick succession belong to one gesture, which ends once the wheel rests for kWheelPause, when
// the pointer leaves the control (finishWheel), when any control is taken hold of, or when the
// editor closes (endAll). Only the user-interface thread uses this class; the pause is measured by
// the editor's idle timer, which calls idle().
#pragma once

#include "source/params/paramids.h"

#include <chrono>
#include <vector>

namespace talvane {

// Where the gestures go: the controller, which tells the host (or, in another plug-in format, its
// counterpart).
class EditGestureTarget
{
public:
    virtual ~EditGestureTarget() = default;

    virtual void gestureBegan(ParamId id) = 0;
    // The parameter takes the normalized `value`, within its gesture.
    virtual void gestureChanged(ParamId id, double value) = 0;
    virtual void gestureEnded(ParamId id) = 0;
};

class EditGestures
{
public:
    using Clock = std::chrono::steady_clock;

    // How long the wheel must rest before its gesture ends.
    static constexpr std::chrono::milliseconds kWheelPause{300};

    // How a control is held: by a pressed button (until released), or by one step of the wheel.
    enum class Hold
    {
        Button,
        WheelStep,
    };

    explicit EditGestures(EditGestureTarget& target) : target(target) {}
    EditGestures(const EditGestures&) = delete;
    EditGestures& operator=(const EditGestures&) = delete;

    // The control of `id` is taken hold of. Whatever the wheel still holds ends first, except a
    // wheel step on the control it already holds, which goes on with that gesture. An ID that is
    // no parameter (a control of the editor's own) begins nothing.
    void take(ParamId id, Hold how);
    // The parameter changes: within its gesture, or as a gesture of its own if none is open.
    void change(ParamId id, double value);
    // The control is let go. After a wheel step its gesture waits kWheelPause from `now` for the
    // next step.
    void release(ParamId id, Hold how, Clock::time_point now);
    // The pointer left the control: a gesture of the wheel waiting for its pause ends now.
    void finishWheel(ParamId id);
    // Ends the wheel's gestures that have waited their pause by `now`.
    void idle(Clock::time_point now);
    // Ends every open gesture, held or not: the editor closes.
    void endAll();

    bool isOpen(ParamId id) const;

private:
    struct Gesture
    {
        ParamId id;
        int holds; // controls holding it; none while a wheel gesture waits for its pause
        Clock::time_point pauseEnds;
    };

    Gesture* find(ParamId id);
    // Ends the first open gesture that `shouldEnd` picks, until none is left. The target hears of
    // each after the gesture is gone, so that whatever it does meanwhile finds the list in order.
    template <typename Predicate>
    void endEach(Predicate shouldEnd);

    EditGestureTarget& target;
    std::vector<Gesture> open;
};

} // namespace talvane
