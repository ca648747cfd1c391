#pragma once

namespace form {

// A repaint hands the pixels to the window system and goes on. An X server
// may draw them only later, so that on a busy machine two pictures show
// closer together than they were painted. This returns once the server has
// drawn everything painted so far; elsewhere it returns at once.
void waitUntilDrawn();

} // namespace form
