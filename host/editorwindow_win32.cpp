#include "host/editorwindow_win32.h"

#include <algorithm>

namespace talvane::host {

using namespace Steinberg;

namespace {

constexpr const wchar_t* kHostWindowClass = L"TalvaneHostWindow";
constexpr DWORD kHostWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr const char* kEditorViewName = "editor";

HMODULE moduleAt(const void* address)
{
    HMODULE module = nullptr;
    if (!address ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return nullptr;
    return module;
}

bool registerHostWindowClass()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kHostWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered;
}

struct WindowSearch
{
    const ModuleCode* plugin;
    std::vector<HWND>* found;
};

BOOL CALLBACK collectPluginWindow(HWND window, LPARAM search)
{
    const auto* what = reinterpret_cast<const WindowSearch*>(search);
    const auto procedure = reinterpret_cast<const void*>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (what->plugin->contains(procedure))
        what->found->push_back(window);
    return TRUE;
}

BOOL CALLBACK collectTopLevelAndDescendants(HWND window, LPARAM search)
{
    collectPluginWindow(window, search);
    EnumChildWindows(window, &collectPluginWindow, search);
    return TRUE;
}

} // namespace

ModuleCode::ModuleCode(const void* anyAddress) : module(moduleAt(anyAddress)) {}

bool ModuleCode::contains(const void* address) const
{
    return module && moduleAt(address) == module;
}

void HostMessageLoop::run(std::chrono::milliseconds span)
{
    pump(span, {});
}

bool HostMessageLoop::runUntilPluginReceives(std::initializer_list<UINT> messages, std::chrono::milliseconds timeout)
{
    return pump(timeout, messages);
}

bool HostMessageLoop::pump(std::chrono::milliseconds span, std::initializer_list<UINT> awaited)
{
    const auto end = Clock::now() + span;
    for (;;)
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            const bool toPlugin = account(message);
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (toPlugin && std::find(awaited.begin(), awaited.end(), message.message) != awaited.end())
                return true;
        }
        const auto now = Clock::now();
        if (now >= end)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left) + 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool HostMessageLoop::account(const MSG& message)
{
    // A timer message carries its callback, if it has one, in lParam: the function itself on
    // Windows, a handle standing for it under Wine. A callback timer of the thread without a window
    // is the plug-in's either way, since the host starts none.
    if (message.message == WM_TIMER && message.lParam &&
        (!message.hwnd || plugin.contains(reinterpret_cast<const void*>(message.lParam))))
    {
        seen.timerTicks.push_back(Clock::now());
        seen.timerIds.push_back(message.wParam);
        return false;
    }
    if (message.hwnd &&
        plugin.contains(reinterpret_cast<const void*>(GetWindowLongPtrW(message.hwnd, GWLP_WNDPROC))))
    {
        ++seen.windowMessages;
        return true;
    }
    return false;
}

std::vector<HWND> HostMessageLoop::pluginWindows() const
{
    std::vector<HWND> found;
    WindowSearch search{&plugin, &found};
    EnumThreadWindows(GetCurrentThreadId(), &collectTopLevelAndDescendants, reinterpret_cast<LPARAM>(&search));
    return found;
}

EditorWindow::EditorWindow() = default;

EditorWindow::~EditorWindow()
{
    removeEditor();
    releaseEditor();
    destroyWindow();
}

bool EditorWindow::createWindow(int left, int top, int width, int height, std::string& error)
{
    if (!registerHostWindowClass())
    {
        error = "cannot register the host's window class";
        return false;
    }
    RECT bounds{0, 0, width, height};
    AdjustWindowRectEx(&bounds, kHostWindowStyle, FALSE, 0);
    hostWindow = CreateWindowExW(0, kHostWindowClass, L"Talvane", kHostWindowStyle, left, top,
                                 bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!hostWindow)
    {
        error = "cannot create a top-level window (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    ShowWindow(hostWindow, SW_SHOWNORMAL);
    UpdateWindow(hostWindow);
    SetForegroundWindow(hostWindow);
    return true;
}

void EditorWindow::destroyWindow()
{
    if (hostWindow)
        DestroyWindow(hostWindow);
    hostWindow = nullptr;
}

bool EditorWindow::openEditor(Vst::IEditController* controller, std::string& error, HWND parent)
{
    if (plugView || !hostWindow)
    {
        error = plugView ? "a view is open already" : "no window";
        return false;
    }
    plugView = controller->createView(kEditorViewName);
    if (!plugView)
    {
        error = "the controller offers no \"editor\" view";
        return false;
    }
    if (plugView->isPlatformTypeSupported(kPlatformTypeHWND) != kResultTrue)
    {
        error = "the view does not take an HWND";
        releaseEditor();
        return false;
    }
    ViewRect size;
    if (plugView->getSize(&size) == kResultTrue)
        setClientSize(size.getWidth(), size.getHeight());
    plugView->setFrame(this);
    if (plugView->attached(parent ? parent : hostWindow, kPlatformTypeHWND) != kResultTrue)
    {
        error = "the view refused to attach to the window";
        releaseEditor();
        return false;
    }
    attached = true;
    return true;
}

tresult EditorWindow::removeEditor()
{
    if (!plugView || !attached)
        return kResultFalse;
    attached = false;
    return plugView->removed();
}

uint32 EditorWindow::releaseEditor()
{
    if (!plugView)
        return 0;
    plugView->setFrame(nullptr);
    const uint32 remaining = plugView->release();
    plugView = nullptr;
    return remaining;
}

ViewRect EditorWindow::resizeEditor(int width, int height)
{
    ViewRect size(0, 0, width, height);
    if (!plugView)
        return size;
    plugView->checkSizeConstraint(&size);
    setClientSize(size.getWidth(), size.getHeight());
    plugView->onSize(&size);
    return size;
}

tresult PLUGIN_API EditorWindow::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize)
        return kInvalidArgument;
    requested = *newSize;
    setClientSize(newSize->getWidth(), newSize->getHeight());
    view->onSize(newSize);
    return kResultTrue;
}

void EditorWindow::setClientSize(int width, int height)
{
    if (!hostWindow)
        return;
    RECT bounds{0, 0, width, height};
    AdjustWindowRectEx(&bounds, kHostWindowStyle, FALSE, 0);
    SetWindowPos(hostWindow, nullptr, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace talvane::host
