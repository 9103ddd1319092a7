#include "ImportProcess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <cstring>

namespace {

const QString kHelperName = QStringLiteral("tessaly-import");
constexpr int kImported = 0;
constexpr int kNotImported = 3; // the helper wrote the description on its standard output

// Beside the program (its place in the build folder and wherever it is copied with the
// program), else where the build made it.
QString helperPath()
{
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + kHelperName;
    return QFileInfo(beside).isExecutable() ? beside : QStringLiteral(TESSALY_IMPORT_HELPER);
}

// The signal's name in lower case, as in "segmentation fault".
QString signalName(int signal)
{
    const char* name = strsignal(signal);
    return name ? QString::fromLocal8Bit(name).toLower() : QStringLiteral("signal %1").arg(signal);
}

} // namespace

QString ImportInHelperProcess(ImportFormat format, const QString& file, const QString& table, const QString& targetName,
                              const QString& databaseFile)
{
    QProcess helper;
    // What the libraries print about a file is not for the user; the answer says it all.
    helper.setStandardErrorFile(QProcess::nullDevice());
    helper.start(helperPath(), {ImportFormatName(format), file, table, targetName, databaseFile});
    if (!helper.waitForStarted(-1)) {
        return QStringLiteral("The import program '%1' cannot be started: %2")
            .arg(helper.program(), helper.errorString());
    }
    helper.closeWriteChannel();
    helper.waitForFinished(-1);
    const QString stopped = QStringLiteral("File '%1' is damaged: the import stopped (%2)");
    if (helper.exitStatus() == QProcess::CrashExit) {
        return stopped.arg(file, signalName(helper.exitCode()));
    }
    switch (helper.exitCode()) {
    case kImported:
        return {};
    case kNotImported:
        return QString::fromUtf8(helper.readAllStandardOutput());
    default:
        return stopped.arg(file, QStringLiteral("exit status %1").arg(helper.exitCode()));
    }
}
