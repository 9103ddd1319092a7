#include "Clock.h"
#include "ConsolePrompts.h"
#include "EventPump.h"
#include "InstanceGuard.h"
#include "ReportCommand.h"
#include "SettingsStore.h"
#include "WidgetPrompts.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

namespace {

// TESSALY_SNAPSHOT=file.png: start, plot the saved selection, render the main window into that
// file and end without saving anything. Used where there is no display.
int saveSnapshot(frmMain& window, const QString& path)
{
    window.resize(1280, 800);
    window.show();
    QCoreApplication::processEvents();
    window.form().cmdPlotChart->click();
    QCoreApplication::processEvents();
    const bool saved = window.grab().save(path, "PNG");
    QTextStream(stdout) << (saved ? QStringLiteral("Main window rendered to ") + path
                                  : QStringLiteral("Could not write ") + path)
                        << Qt::endl;
    window.DoShutdownProgram();
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool report = argc > 1 && qstrcmp(argv[1], "report") == 0;
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // a report never needs a display
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    if (report) {
        const QStringList arguments = QApplication::arguments().mid(2);
        if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
            QTextStream(stdout) << ReportCommand::HelpText();
            return 0;
        }
        return ReportCommand::Run(arguments);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Statistical process control of production test results.\n"
                       "tessaly report --help describes the control-chart reports made without a window."));
    parser.addHelpOption();
    const QCommandLineOption configOption(QStringLiteral("config"),
                                          QStringLiteral("Use <folder> as the configuration folder for this run."),
                                          QStringLiteral("folder"));
    parser.addOption(configOption);
    parser.process(app);

    QString configFolder;
    if (parser.isSet(configOption)) {
        const QFileInfo folder(parser.value(configOption));
        if (!folder.isDir()) {
            QTextStream(stderr) << "tessaly: no such configuration folder: " << parser.value(configOption) << Qt::endl;
            return 2;
        }
        configFolder = folder.absoluteFilePath();
    }

    // A snapshot run has no user to answer: its messages go to standard error.
    const QString snapshot = qEnvironmentVariable("TESSALY_SNAPSHOT");
    WidgetPrompts windowPrompts(QStringLiteral("Tessaly"));
    ConsolePrompts consolePrompts;
    Prompts& prompts = snapshot.isEmpty() ? static_cast<Prompts&>(windowPrompts) : consolePrompts;
    SettingsStore settings(SettingsStore::defaultFilePath());
    const SystemClock clock;
    const EventPump pump;
    frmMain window(AppServices{prompts, settings, clock, pump, InstanceGuard::defaultLockPath(),
                               snapshot.isEmpty() ? 400 : 0, configFolder});
    windowPrompts.setParentWindow(&window);

    if (!window.Load()) {
        return 0;
    }
    if (!snapshot.isEmpty()) {
        return saveSnapshot(window, snapshot);
    }
    window.show();
    return QApplication::exec();
}
