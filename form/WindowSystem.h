#pragma once

#include <functional>

class QWidget;

namespace form {

// A repaint hands the pixels to the window system and goes on. An X server
// may draw them only later, so that on a busy machine two pictures show
// closer together than they were painted. This returns once the server has
// drawn everything painted so far; elsewhere it returns at once.
void waitUntilDrawn();

// Calls `closeRequested` as soon as the window system asks `window` to close,
// even while input that came before the request still waits to be handled,
// and `destroyed` when another program destroys the window outright. Only on
// X11; elsewhere neither is called.
void watchWindow(QWidget *window, std::function<void()> closeRequested,
                 std::function<void()> destroyed);

// Asks a compositing window manager to keep compositing `window` even when it
// fills the screen, as it does in step with the display's refresh, rather than
// handing the screen to it directly, where a frame can show half drawn. Only
// on X11, before the window is shown; elsewhere a frame always shows whole
// (Wayland) or nothing can be asked.
void keepComposited(QWidget *window);

// Whether watchWindow sees the window system's requests, so that input is
// best handled a turn of the event loop later, after the requests behind it.
bool clicksWaitTheirTurn();

} // namespace form
