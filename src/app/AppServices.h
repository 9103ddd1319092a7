#pragma once

#include <QString>
#include <functional>

class Clock;
class EventPump;
class Prompts;
class SettingsStore;

// What the main window needs from outside: the user's answers, the saved choices, the time,
// the event pump, and the facts of this run.
struct AppServices
{
    Prompts& prompts;
    SettingsStore& settings;
    const Clock& clock;
    const EventPump& pump;
    QString instanceLockPath;   // the single-instance lock file
    int splashMilliseconds = 0; // how long the splash window stays
    QString configFolder;       // --config: used instead of the remembered folder; "" for none
    std::function<void()> beep; // the sound of new signals; empty: the desktop's beep
};
