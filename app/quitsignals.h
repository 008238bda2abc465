#pragma once

#include <functional>

// Once per run: calls `quit` on the GUI thread when the session asks the program to end
// (SIGTERM at log-out, SIGINT from a terminal, SIGHUP when the terminal
// goes), so that it ends as its own quit action ends it: the event reader
// stopped, the capture removed, the window torn down in order, exit code 0.
// Windows ends programs through its own messages; there it does nothing.
#ifdef _WIN32
inline void quitOnTerminationSignals(std::function<void()>) {}
#else
void quitOnTerminationSignals(std::function<void()> quit);
#endif
