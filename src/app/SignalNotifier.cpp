#include "SignalNotifier.h"

#include "Formats.h"

#include <QApplication>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {

// More lines than this make a notification the desktop cuts short.
constexpr std::size_t kLinesShown = 3;

} // namespace

SignalNotifier::SignalNotifier(std::function<void()> beep, QObject* parent)
    : QObject(parent), m_beep(beep ? std::move(beep) : [] { QApplication::beep(); })
{
}

SignalNotifier::~SignalNotifier() = default;

std::pair<QString, QString> SignalNotifier::Message(const std::vector<LiveSignal>& fresh, const QString& chartTitle)
{
    const QString count = fresh.size() == 1 ? QStringLiteral("New signal")
                                            : QString::number(fresh.size()) + QStringLiteral(" new signals");
    QStringList lines;
    for (std::size_t i = 0; i < fresh.size() && i < kLinesShown; ++i) {
        const LiveSignal& s = fresh[i];
        lines.append(QStringLiteral("Point %1 at %2: %3, %4")
                         .arg(s.sequence + 1)
                         .arg(FormatDate(s.time, QStringLiteral("hh:nn:ss")), FormatNumber(s.value, kValueFormat),
                              s.rules.value(0)));
    }
    if (fresh.size() > kLinesShown) {
        lines.append(QStringLiteral("and %1 more").arg(fresh.size() - kLinesShown));
    }
    return {count + QStringLiteral(": ") + chartTitle, lines.join(QLatin1Char('\n'))};
}

void SignalNotifier::announce(const std::vector<LiveSignal>& fresh, const QString& chartTitle)
{
    if (fresh.empty()) {
        return;
    }
    if (!m_tray && QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = std::make_unique<QSystemTrayIcon>(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
        m_tray->setToolTip(QStringLiteral("Tessaly"));
        m_tray->show();
    }
    if (m_tray) {
        const auto [title, text] = Message(fresh, chartTitle);
        m_tray->showMessage(title, text, QSystemTrayIcon::Warning);
    }
    if (m_sound) {
        m_beep();
    }
}
