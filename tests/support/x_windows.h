#pragma once
// Another process's windows as the X server sees them (DISPLAY), for tests
// and benchmarks that start the program under Xvfb.

#include <sys/types.h>

#include <chrono>

namespace testsupport {

// Waits until a top-level window of pid (by its _NET_WM_PID), or a client
// window inside a window manager's frame, is viewable. False when there is
// no X server, the process ends or the time runs out first.
bool waitForViewableWindow(pid_t pid, std::chrono::milliseconds limit);

} // namespace testsupport
