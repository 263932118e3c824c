// The host's side of a plug-in editor on Windows, as a DAW does it: a top-level window whose client
// area holds the view, a plug frame that takes the view's resize requests, and the message loop of
// the user-interface thread. The loop keeps account of what the plug-in's own code is given to
// handle (messages to windows whose procedure lies in the module, and the module's timer
// callbacks), so that a caller can tell whether a view still runs after it was closed.
#pragma once

#include "sdk/refcounting.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <windows.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <vector>

namespace talvane::host {

// The code of one loaded module: which addresses are its own.
class ModuleCode
{
public:
    // `anyAddress`: an address inside the module, e.g. one of its exported functions.
    explicit ModuleCode(const void* anyAddress);

    bool contains(const void* address) const;
    HMODULE handle() const { return module; }

private:
    HMODULE module = nullptr;
};

// The message loop of the user-interface thread, run for a while at a time. The host itself starts
// no timers.
class HostMessageLoop
{
public:
    using Clock = std::chrono::steady_clock;

    explicit HostMessageLoop(const ModuleCode& pluginCode) : plugin(pluginCode) {}

    // Dispatches every message of this thread for `span`.
    void run(std::chrono::milliseconds span);
    // Dispatches messages until one of `messages` has gone to a window of the plug-in, at most for
    // `timeout`; answers whether one did.
    bool runUntilPluginReceives(std::initializer_list<UINT> messages, std::chrono::milliseconds timeout);

    // What the plug-in was given since the last reset.
    struct PluginActivity
    {
        // Posted messages to the plug-in's windows.
        int windowMessages = 0;
        // The plug-in's timer callbacks, with the time each was dispatched and the timer's number.
        std::vector<Clock::time_point> timerTicks;
        std::vector<UINT_PTR> timerIds;
    };
    const PluginActivity& activity() const { return seen; }
    void resetActivity() { seen = PluginActivity(); }

    // The windows of this thread (top-level ones and all their descendants) whose window procedure
    // is the plug-in's.
    std::vector<HWND> pluginWindows() const;

private:
    // Answers whether the message goes to a window of the plug-in.
    bool account(const MSG& message);
    bool pump(std::chrono::milliseconds span, std::initializer_list<UINT> awaited);

    const ModuleCode& plugin;
    PluginActivity seen;
};

// A top-level window holding one editor view of a controller.
class EditorWindow : public Steinberg::OwnerManaged<Steinberg::IPlugFrame>
{
public:
    EditorWindow();
    // Removes and releases a view still open and destroys the window, as a host closing down.
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // A visible top-level window whose client area is `width` x `height`, at `left`, `top`.
    bool createWindow(int left, int top, int width, int height, std::string& error);
    HWND window() const { return hostWindow; }
    // The host closes its window, whatever the view does; the view is not told.
    void destroyWindow();

    // What a host does to show a controller's editor: createView("editor"), a check that the view
    // takes an HWND, setFrame, attached. The view goes into `parent`, a window of the host's inside
    // its top-level one (hosts that frame the editor with their own controls), or into the top-level
    // window itself if null. On failure the view is released and `error` says why.
    bool openEditor(Steinberg::Vst::IEditController* controller, std::string& error, HWND parent = nullptr);
    Steinberg::IPlugView* view() const { return plugView; }
    // IPlugView::removed; the view stays referenced.
    Steinberg::tresult removeEditor();
    // Drops the frame and the host's reference to the view; answers the count release() returned.
    Steinberg::uint32 releaseEditor();

    // The host resizes the view: the size the view accepts (checkSizeConstraint), given to the
    // window and then to the view (onSize). Answers the size given.
    Steinberg::ViewRect resizeEditor(int width, int height);

    // The size of the last resizeView request of the view.
    const Steinberg::ViewRect& lastResizeRequest() const { return requested; }

    // IPlugFrame: the host takes every size the view asks for.
    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override;

private:
    void setClientSize(int width, int height);

    HWND hostWindow = nullptr;
    Steinberg::IPlugView* plugView = nullptr;
    bool attached = false;
    Steinberg::ViewRect requested;
};

} // namespace talvane::host
