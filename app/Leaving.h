#pragma once

// Ends the process with `status` once the event loop has returned. The window
// is gone by then and nothing is left to save, so the platform's teardown is
// skipped: on Wayland it can wait forever for a compositor that no longer
// answers.
[[noreturn]] void leaveWithoutTeardown(int status);
