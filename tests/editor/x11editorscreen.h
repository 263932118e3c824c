// A private X server with one host window the size of the editor, and the mouse of that server
// driven through XTEST over the editor inside it, for tests of the built module's editor on X11.
// Every input is synchronised with the server and followed by a turn of the host's loop (`pump`),
// so that the editor has handled it before the next one comes and no two mouse moves merge.
#pragma once

// GoogleTest before Xlib, whose macros (None, Bool) would break its templates.
#include <gtest/gtest.h>

#include "tests/gui/x11testhost.h"

#include "source/editor/editorlayout.h"

#include <chrono>
#include <functional>
#include <string>

namespace talvane::testing {

class X11EditorScreen
{
public:
    // Runs the host's loop for a while: the plug-in handles its window's events and timers.
    using Pump = std::function<void(std::chrono::milliseconds)>;

    // A time long enough for the editor to take one input.
    static constexpr std::chrono::milliseconds kInputTurn{30};
    // A point of the screen outside the host window.
    static constexpr int kOutsideX = kEditorWidth + 100;
    static constexpr int kOutsideY = kEditorHeight + 100;

    X11EditorScreen() : display(server.name)
    {
        whyNot = server.whyNoInput();
        if (!whyNot.empty())
            return;
        Display* x = server.display;
        hostWindow = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, kEditorWidth, kEditorHeight, 0, 0, 0);
        XMapWindow(x, hostWindow);
        XSync(x, False);
    }
    ~X11EditorScreen()
    {
        if (hostWindow)
            XDestroyWindow(server.display, hostWindow);
    }
    X11EditorScreen(const X11EditorScreen&) = delete;
    X11EditorScreen& operator=(const X11EditorScreen&) = delete;

    // Empty when the screen is usable, else why not (the test skips).
    const std::string& unavailable() const { return whyNot; }
    Display* connection() const { return server.display; }
    // The host's window, the editor's parent.
    Window window() const { return hostWindow; }
    void setPump(Pump hostLoop) { pump = std::move(hostLoop); }

    // The host hides its window (the editor's with it): the server ends a drag's grab.
    void hideWindow()
    {
        XUnmapWindow(server.display, hostWindow);
        settle();
    }

    // The pointer to editor coordinates (which may lie beyond the window).
    void pointAt(int x, int y) { pointAtScreen(x, y); }
    void pointAt(ParamId id) { pointAt(rectOf(id)); }
    void pointOutside() { pointAtScreen(kOutsideX, kOutsideY); }
    void press() { button(1, true); }
    void release() { button(1, false); }
    void click()
    {
        press();
        release();
    }
    // Typed on the server's keyboard, to whichever window has its focus.
    void type(const std::string& text)
    {
        typeText(server.display, text);
        settle();
    }
    void key(KeySym keysym)
    {
        pressKey(server.display, keysym);
        settle();
    }
    // The pointer to the middle of `rect` (editor coordinates).
    void pointAt(const PixelRect& rect) { pointAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2); }
    // Positive notches turn the wheel away from the user (X button 4), negative ones towards (5).
    void wheel(int notches)
    {
        for (int i = 0; i < (notches < 0 ? -notches : notches); ++i)
        {
            button(notches > 0 ? 4 : 5, true);
            button(notches > 0 ? 4 : 5, false);
        }
    }
    // A drag from the centre of `id`'s control, `steps` moves of `pixelsUp` each, the button held.
    void dragUp(ParamId id, int steps, int pixelsUp)
    {
        const PixelRect rect = rectOf(id);
        const int x = (rect.left + rect.right) / 2;
        const int y = (rect.top + rect.bottom) / 2;
        pointAt(x, y);
        press();
        for (int step = 1; step <= steps; ++step)
            pointAt(x, y - step * pixelsUp);
    }

    // The list's pop-up (an override-redirect window of the plug-in's), or 0.
    Window popup() const
    {
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(server.display, DefaultRootWindow(server.display), &rootReturn, &parentReturn, &children,
                   &count);
        Window found = 0;
        for (unsigned i = count; i-- > 0 && !found;)
        {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(server.display, children[i], &attributes) &&
                attributes.override_redirect && attributes.map_state == IsViewable)
                found = children[i];
        }
        if (children)
            XFree(children);
        return found;
    }
    // The pointer to the middle of entry `index` of the open pop-up of a one-column list of `count`
    // entries, which share its height inside a one-pixel border; false if no pop-up is open.
    bool pointAtPopupEntry(int index, int count)
    {
        const Window shown = popup();
        if (!shown)
            return false;
        XWindowAttributes attributes{};
        XGetWindowAttributes(server.display, shown, &attributes);
        const int entryHeight = (attributes.height - 2) / count;
        int rootX = 0, rootY = 0;
        Window unused = 0;
        XTranslateCoordinates(server.display, shown, DefaultRootWindow(server.display), attributes.width / 2,
                              1 + index * entryHeight + entryHeight / 2, &rootX, &rootY, &unused);
        moveScreenPointer(rootX, rootY);
        return true;
    }

    // The pointer to row `row` (from 0) of the first column of the open pop-up, whose rows are
    // `rowHeight` pixels high inside a one-pixel border; false if no pop-up is open.
    bool pointAtPopupRow(int row, int rowHeight)
    {
        const Window shown = popup();
        if (!shown)
            return false;
        int rootX = 0, rootY = 0;
        Window unused = 0;
        XTranslateCoordinates(server.display, shown, DefaultRootWindow(server.display), rowHeight,
                              1 + row * rowHeight + rowHeight / 2, &rootX, &rootY, &unused);
        moveScreenPointer(rootX, rootY);
        return true;
    }

    static PixelRect rectOf(ParamId id)
    {
        for (const auto* table : {&alwaysPresentLayout(), &pageLayout(kEnvelopePage), &pageLayout(kLfoPage),
                                  &pageLayout(kMatrixPage)})
            for (const ControlPlacement& placement : *table)
                if (placement.id == id)
                    return controlRect(placement);
        ADD_FAILURE() << "no control for " << id;
        return PixelRect{};
    }

private:
    void pointAtScreen(int x, int y)
    {
        int rootX = 0, rootY = 0;
        Window unused = 0;
        XTranslateCoordinates(server.display, hostWindow, DefaultRootWindow(server.display), x, y, &rootX,
                              &rootY, &unused);
        moveScreenPointer(rootX, rootY);
    }
    void moveScreenPointer(int rootX, int rootY)
    {
        XTestFakeMotionEvent(server.display, DefaultScreen(server.display), rootX, rootY, 0);
        settle();
    }
    void button(unsigned number, bool down)
    {
        XTestFakeButtonEvent(server.display, number, down ? True : False, 0);
        settle();
    }
    void settle()
    {
        XSync(server.display, False);
        if (pump)
            pump(kInputTurn);
    }

    Xvfb server;
    ScopedDisplay display;
    Window hostWindow = 0;
    std::string whyNot;
    Pump pump;
};

} // namespace talvane::testing
