#include "TerminalStatus.h"

#include <cstdio>
#include <unistd.h>

std::function<void(const QString&)> TerminalStatus()
{
    if (!isatty(STDERR_FILENO)) {
        return {};
    }
    return [shown = QString()](const QString& text) mutable {
        if (text == shown) {
            return;
        }
        // Back to the line's start, the text, and the rest of the line cleared.
        std::fprintf(stderr, "\r%s\033[K", text.toLocal8Bit().constData());
        std::fflush(stderr);
        shown = text;
    };
}
