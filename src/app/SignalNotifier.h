#pragma once

#include "LiveChart.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QSystemTrayIcon;

// Tells the user about the new signals of one refresh beyond the window: a desktop notification
// through the system tray where the desktop has one, and, when the user wants it, one beep.
class SignalNotifier : public QObject
{
    Q_OBJECT

public:
    // beep: the sound; QApplication::beep when none is given.
    explicit SignalNotifier(std::function<void()> beep = {}, QObject* parent = nullptr);
    ~SignalNotifier() override;

    void setSound(bool on) { m_sound = on; }

    // One notification and at most one beep for the signals of one refresh; nothing for none.
    void announce(const std::vector<LiveSignal>& fresh, const QString& chartTitle);

    // The notification: a title counting the signals and a line for each of the first three.
    static std::pair<QString, QString> Message(const std::vector<LiveSignal>& fresh, const QString& chartTitle);

private:
    std::function<void()> m_beep;
    bool m_sound = false;
    std::unique_ptr<QSystemTrayIcon> m_tray; // made at the first announcement, where the desktop has a tray
};
