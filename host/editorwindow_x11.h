// The host's side of a plug-in editor on X11, as a Linux host does it: a top-level window the view
// is embedded in, a plug frame that takes the view's resize requests, and the run loop the view
// registers its descriptors and timers with (Linux::IRunLoop), run by the host's GUI thread.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <string>

namespace talvane::host {

class X11EditorWindow : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop
{
public:
    using Clock = std::chrono::steady_clock;

    X11EditorWindow() = default;
    ~X11EditorWindow();
    X11EditorWindow(const X11EditorWindow&) = delete;
    X11EditorWindow& operator=(const X11EditorWindow&) = delete;

    // Connects to the display ($DISPLAY), makes a window of the view's size titled `title`, shows
    // it and attaches the view. False, with error() saying why, when any step fails.
    bool open(Steinberg::IPlugView* view, const std::string& title);
    // Detaches the view and destroys the window.
    void close();

    void setTitle(const std::string& title);

    // Runs the loop for up to `span`: the display's events, the view's descriptors when readable,
    // its timers when due. Answers false once the window was closed by its user (or its server).
    bool run(std::chrono::milliseconds span);

    bool isOpen() const { return window != 0; }
    const std::string& error() const { return lastError; }
    Display* display() const { return connection; }
    Window windowId() const { return window; }

    // IPlugFrame
    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override;
    // IRunLoop
    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                       Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval milliseconds) override;
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;
    // FUnknown: the window is owned by the host; counting does not delete it.
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    struct Timer
    {
        std::chrono::milliseconds interval;
        Clock::time_point due;
    };

    void handleDisplayEvents();
    void runDueTimer();
    int millisecondsToNextTimer(Clock::time_point end) const;

    Display* connection = nullptr;
    Window window = 0;
    Atom deleteWindow = 0;
    Steinberg::IPlugView* attachedView = nullptr;
    bool closedByUser = false;
    std::map<Steinberg::Linux::IEventHandler*, Steinberg::Linux::FileDescriptor> handlers;
    std::map<Steinberg::Linux::ITimerHandler*, Timer> timers;
    std::string lastError;
};

} // namespace talvane::host
