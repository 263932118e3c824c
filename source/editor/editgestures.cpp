#include "source/editor/editgestures.h"

#include <algorithm>

namespace talvane {

namespace {

bool isParameter(ParamId id)
{
    return id < static_cast<ParamId>(kNumParams);
}

} // namespace

EditGestures::Gesture* EditGestures::find(ParamId id)
{
    const auto found = std::find_if(open.begin(), open.end(), [id](const Gesture& g) { return g.id == id; });
    return found == open.end() ? nullptr : &*found;
}

bool EditGestures::isOpen(ParamId id) const
{
    return std::any_of(open.begin(), open.end(), [id](const Gesture& g) { return g.id == id; });
}

template <typename Predicate>
void EditGestures::endEach(Predicate shouldEnd)
{
    for (auto found = std::find_if(open.begin(), open.end(), shouldEnd); found != open.end();
         found = std::find_if(open.begin(), open.end(), shouldEnd))
    {
        const ParamId id = found->id;
        open.erase(found);
        target.gestureEnded(id);
    }
}

void EditGestures::take(ParamId id, Hold how)
{
    const bool wheelGoesOn = how == Hold::WheelStep;
    endEach([&](const Gesture& g) { return g.holds == 0 && !(wheelGoesOn && g.id == id); });
    if (!isParameter(id))
        return;
    if (Gesture* gesture = find(id))
    {
        ++gesture->holds;
        return;
    }
    open.push_back({id, 1, Clock::time_point()});
    target.gestureBegan(id);
}

void EditGestures::change(ParamId id, double value)
{
    if (!isParameter(id))
        return;
    if (isOpen(id))
    {
        target.gestureChanged(id, value);
        return;
    }
    target.gestureBegan(id);
    target.gestureChanged(id, value);
    target.gestureEnded(id);
}

void EditGestures::release(ParamId id, Hold how, Clock::time_point now)
{
    Gesture* gesture = find(id);
    if (!gesture || gesture->holds == 0 || --gesture->holds > 0)
        return;
    if (how == Hold::WheelStep)
    {
        gesture->pauseEnds = now + kWheelPause;
        return;
    }
    endEach([id](const Gesture& g) { return g.id == id; });
}

void EditGestures::finishWheel(ParamId id)
{
    endEach([id](const Gesture& g) { return g.id == id && g.holds == 0; });
}

void EditGestures::idle(Clock::time_point now)
{
    endEach([now](const Gesture& g) { return g.holds == 0 && g.pauseEnds <= now; });
}

void EditGestures::endAll()
{
    endEach([](const Gesture&) { return true; });
}

} // namespace talvane
