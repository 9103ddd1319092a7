#pragma once

#include <QString>
#include <functional>

// What a headless load is doing, on standard error when that is a terminal: one line, written
// over as the load goes on and erased when it ends (""). Empty (nothing to call) when standard
// error is a file or a pipe, so that logs of scheduled reports keep only the messages.
std::function<void(const QString&)> TerminalStatus();
