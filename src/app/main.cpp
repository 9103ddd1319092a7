#include "Clock.h"
#include "ConsolePrompts.h"
#include "EventPump.h"
#include "FreedMemory.h"
#include "InstanceGuard.h"
#include "LimitsCommand.h"
#include "ReportCommand.h"
#include "ScreenCommand.h"
#include "SettingsStore.h"
#include "VersionText.h"
#include "WatchCommand.h"
#include "WidgetPrompts.h"
#include "frmMain.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QScreen>
#include <QTimer>
#include <csignal>

namespace {

constexpr int kTitleBarRoom = 32;

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

const QCommandLineOption kConfigOption(QStringLiteral("config"),
                                       QStringLiteral("Use <folder> as the configuration folder for this run."),
                                       QStringLiteral("folder"));

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Statistical process control of production test results.\n"
                       "tessaly report --help describes the control-chart reports made without a window;\n"
                       "tessaly screen --help the screening of every parameter of a product;\n"
                       "tessaly limits --help the frozen control limits and stages of a configuration;\n"
                       "tessaly watch --help the control chart that follows new records and announces signals."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(kConfigOption);
}

// Whether the command line asks only for the help or the version text, which need no display.
bool asksForText(int argc, char* argv[])
{
    static const QByteArrayList kTextOptions{"-h", "-?", "--help", "--help-all", "-v", "--version"};
    for (int i = 1; i < argc; ++i) {
        if (kTextOptions.contains(QByteArray(argv[i]))) {
            return true;
        }
    }
    return false;
}

// Qt's notices that say nothing to the user: the session names no runtime folder (a report
// started by a scheduler has none), and the offscreen platform of a run without a display cannot
// pass on a window's size hints. Standard error is for the program's own messages.
void keepQtNoticesOffStandardError()
{
    static const QtMessageHandler qtHandler =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) &&
                message != QLatin1String("This plugin does not support propagateSizeHints()")) {
                qtHandler(type, context, message);
            }
        });
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tessaly"));
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane"));
    QCoreApplication::setApplicationVersion(VersionText());
}

} // namespace

int main(int argc, char* argv[])
{
    ReturnLargeBlocksAtOnce();
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN); // a file beyond the size limit is a failed write ("File too large"), not an end
#endif
    const bool report = argc > 1 && qstrcmp(argv[1], "report") == 0;
    const bool screen = argc > 1 && qstrcmp(argv[1], "screen") == 0;
    const bool limits = argc > 1 && qstrcmp(argv[1], "limits") == 0;
    const bool watch = argc > 1 && qstrcmp(argv[1], "watch") == 0;
    keepQtNoticesOffStandardError();
    if (report || screen || limits || watch) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen"); // a report never needs a display
        }
    } else if (asksForText(argc, argv)) {
        const QCoreApplication app(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        describeCommandLine(parser);
        parser.process(QCoreApplication::arguments()); // ends the program once the text is written
        return 0;
    }
    QApplication app(argc, argv);
    nameApplication();

    if (report || screen || limits || watch) {
        const QStringList arguments = QApplication::arguments().mid(2);
        // Options after watch's --exec belong to the program it runs.
        const qsizetype exec = watch ? arguments.indexOf(QStringLiteral("--exec")) : -1;
        const QStringList own = exec < 0 ? arguments : arguments.first(exec);
        if (own.contains(QStringLiteral("--help")) || own.contains(QStringLiteral("-h"))) {
            QTextStream(stdout) << (report   ? ReportCommand::HelpText()
                                    : screen ? ScreenCommand::HelpText()
                                    : watch  ? WatchCommand::HelpText()
                                             : LimitsCommand::HelpText());
            return 0;
        }
        return report   ? ReportCommand::Run(arguments)
               : screen ? ScreenCommand::Run(arguments)
               : watch  ? WatchCommand::Run(arguments)
                        : LimitsCommand::Run(arguments);
    }

    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    QString configFolder;
    if (parser.isSet(kConfigOption)) {
        const QFileInfo folder(parser.value(kConfigOption));
        if (!folder.isDir()) {
            QTextStream(stderr) << "tessaly: no such configuration folder: " << parser.value(kConfigOption) << Qt::endl;
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
                               snapshot.isEmpty() ? 400 : 0, configFolder, {}});
    windowPrompts.setParentWindow(&window);

    if (!window.Load()) {
        return 0;
    }
    if (!snapshot.isEmpty()) {
        return saveSnapshot(window, snapshot);
    }
    // Within the screen, leaving room for a title bar.
    if (const QScreen* screen = window.screen()) {
        window.resize(window.size().boundedTo(screen->availableGeometry().size() - QSize(0, kTitleBarRoom)));
    }
    window.show();
    return QApplication::exec();
}
