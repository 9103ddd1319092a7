#include "HeadlessSession.h"

#include "Clock.h"
#include "Connection.h"
#include "ConsolePrompts.h"
#include "DatabaseChoice.h"
#include "EventPump.h"
#include "FileNames.h"
#include "OutputFile.h"
#include "ProductSetup.h"
#include "ProfileReader.h"
#include "QueryBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTextStream>
#include <cstdio>

namespace {

// The results database the product's configuration names, with the files SQLite keeps beside it;
// none for a data source or a server.
QStringList databaseFiles(const QString& ateIni, const QString& productsIni, const QString& product)
{
    DatabaseSettings settings;
    settings.databaseName = ReadINI(QStringLiteral("Database"), QStringLiteral("DatabaseName"), ateIni);
    const DatabaseChoice choice =
        ChooseDatabase(settings, product, ReadINI(product, QStringLiteral("TableName"), productsIni));
    const QString file = ConnectionValue(choice.connectionText, QStringLiteral("Data Source"));
    if (file.isEmpty()) {
        return {};
    }
    return {file, file + QStringLiteral("-journal"), file + QStringLiteral("-wal"), file + QStringLiteral("-shm")};
}

// Where path leads once every link is resolved; a file that does not exist yet is named in its
// folder's resolved path, so that a file SQLite makes only while it writes is known too.
QString resolvedPath(const QString& path)
{
    const QFileInfo file(path);
    if (file.exists()) {
        return file.canonicalFilePath();
    }
    const QString folder = file.absoluteDir().canonicalPath();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + file.fileName();
}

// A usage error when an output file is one the command reads or one SQLite makes beside the
// database, whether it exists yet or not. Paths are compared once every link is resolved.
int refuseInputsAsOutputs(const QString& command, const QStringList& outputs,
                          const QList<std::pair<QString, QString>>& inputs)
{
    for (const QString& output : outputs) {
        const QString canonical = resolvedPath(output);
        for (const auto& [input, what] : inputs) {
            if (!canonical.isEmpty() && output != QLatin1String("-") && canonical == resolvedPath(input)) {
                return HeadlessFail(
                    command, HeadlessStatus::kUsage,
                    QStringLiteral("will not write %1: it is %2").arg(QDir::toNativeSeparators(output), what));
            }
        }
    }
    return HeadlessStatus::kOk;
}

// Opens the product as the main window does when it is chosen; a status other than kOk when the
// configuration or the command line cannot be used.
int openSession(const SelectionOptions& o, const QStringList& outputs, HeadlessSession& session, Prompts& prompts,
                const EventPump& pump)
{
    const QString& command = session.command;
    const QString ateIni = FindFileNoCase(QDir::currentPath(), QStringLiteral("ATE.INI"));
    const QString productsIni = FindFileNoCase(QDir::currentPath(), QStringLiteral("PRODUCTS.INI"));
    const QStringList products = ateIni.isEmpty() || productsIni.isEmpty()
                                     ? QStringList()
                                     : SplitList(ReadINI(kATEConfiguration, QStringLiteral("TestProduct"), ateIni));
    if (products.isEmpty()) {
        return HeadlessFail(command, HeadlessStatus::kConfiguration, ProductListProblem(QDir::currentPath()));
    }
    const qsizetype product = FindListText(products, o.product);
    if (product < 0) {
        return HeadlessFail(command, HeadlessStatus::kUsage,
                            QStringLiteral("no product \"%1\" in ATE.INI").arg(o.product));
    }
    session.product = products.at(product).trimmed();
    QList<std::pair<QString, QString>> inputs{{ateIni, QStringLiteral("the configuration's ATE.INI")},
                                              {productsIni, QStringLiteral("the configuration's PRODUCTS.INI")}};
    for (const QString& file : databaseFiles(ateIni, productsIni, products.at(product))) {
        inputs.append({file, QStringLiteral("the results database or a file of it")});
    }
    if (const int status = refuseInputsAsOutputs(command, outputs, inputs); status != HeadlessStatus::kOk) {
        return status;
    }
    session.testIds = QStringList{kAll} + SplitList(ReadINI(kATEConfiguration, QStringLiteral("TestID"), ateIni));
    const QString wanted = ReadINI(kATEConfiguration, QStringLiteral("TestIDDefault"), ateIni);
    session.defaultTestId = session.testIds.contains(wanted) ? wanted : kAll;

    session.state.gConnection = std::make_unique<Connection>();
    session.state.gINIFolder = QDir::currentPath();
    const SpecificationList list = LoadProductDefinition(session.state, productsIni, products.at(product));
    if (list.outcome != SpecificationList::Outcome::Complete) {
        prompts.message(list.message(), MsgIcon::Exclamation, MsgButtons::OK);
    }
    for (const ParameterSpec& spec : list.parameters) {
        session.parameters.append(spec.listText());
    }
    for (const QString& warning : UnreadLimitWarnings(list, productsIni, products.at(product))) {
        QTextStream(stderr) << "tessaly " << command << ": warning: " << warning << Qt::endl;
    }
    const ProductDatabase database =
        OpenProductDatabase(session.state, ateIni, productsIni, products.at(product), pump);
    if (!database.opened) {
        prompts.message(database.message, MsgIcon::Exclamation, MsgButtons::OK);
        return HeadlessFail(command, HeadlessStatus::kConfiguration,
                            QStringLiteral("the database of \"%1\" cannot be opened").arg(session.product));
    }
    for (const QString& note : session.state.gConnection->notes()) { // how the database is read, e.g. a snapshot
        QTextStream(stderr) << "tessaly " << command << ": note: " << note << Qt::endl;
    }
    for (const QString& warning : database.warnings) { // records left out, e.g. a log of another header
        QTextStream(stderr) << "tessaly " << command << ": warning: " << warning << Qt::endl;
    }
    session.sources = database.sources;
    return HeadlessStatus::kOk;
}

// The selection the options describe, as the main window would hold it.
int readSelection(const SelectionOptions& o, HeadlessSession& session, Selection& selection)
{
    const QString& command = session.command;
    selection.product = session.product;
    if (!RangeTexts().contains(o.range)) {
        return HeadlessFail(command, HeadlessStatus::kUsage, QStringLiteral("no range \"%1\"").arg(o.range));
    }
    selection.range = o.range;
    session.state.gCustomDateFrom = o.from;
    session.state.gCustomDateTo = o.to;
    if (o.source && !o.source->isEmpty()) {
        const qsizetype source = FindListText(session.sources, *o.source);
        if (source < 0) {
            return HeadlessFail(command, HeadlessStatus::kUsage,
                                QStringLiteral("no source \"%1\" in the database").arg(*o.source));
        }
        selection.source = session.sources.at(source);
    }
    selection.testId = session.defaultTestId;
    if (o.testId) {
        const qsizetype id = FindListText(session.testIds, *o.testId);
        if (id < 0) {
            return HeadlessFail(command, HeadlessStatus::kUsage,
                                QStringLiteral("no test ID \"%1\" in ATE.INI").arg(*o.testId));
        }
        selection.testId = session.testIds.at(id);
    }
    selection.serialFilter = o.serial.value_or(QString());
    selection.passOnly = !o.allResults;
    selection.lastDataOnly = !o.allRecords;
    selection.acceptZero = !o.noZero;
    return HeadlessStatus::kOk;
}

} // namespace

int HeadlessFail(const QString& command, int status, const QString& text)
{
    QTextStream(stderr) << "tessaly " << command << ": " << text << Qt::endl;
    return status;
}

qsizetype FindListText(const QStringList& texts, const QString& wanted)
{
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (texts.at(i).trimmed().compare(wanted.trimmed(), Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

int RunHeadless(const QString& command, const SelectionOptions& options, const QStringList& outputs,
                const HeadlessWork& work)
{
    if (!QFileInfo(options.config).isDir()) {
        return HeadlessFail(command, HeadlessStatus::kConfiguration,
                            QStringLiteral("no such configuration folder: ") + options.config);
    }
    // The configuration folder is the current directory while the product is read, as in the
    // window; the options named their files before.
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(options.config);
    const auto restoreFolder = qScopeGuard([&previousFolder] { QDir::setCurrent(previousFolder); });

    ConsolePrompts prompts;
    const SystemClock clock;
    const EventPump pump;
    HeadlessSession session;
    session.command = command;
    Selection selection;
    if (const int status = openSession(options, outputs, session, prompts, pump); status != HeadlessStatus::kOk) {
        return status;
    }
    if (const int status = readSelection(options, session, selection); status != HeadlessStatus::kOk) {
        return status;
    }
    return work(session, selection, prompts, clock, pump);
}

QJsonObject SelectionJson(const HeadlessSession& session, const Selection& selection, const QDate& today)
{
    const SqlText between = GetTestedRange(selection.range, QStringLiteral("SQLITE"), today,
                                           session.state.gCustomDateFrom, session.state.gCustomDateTo);
    const auto end = [&between](int i) {
        return between.dates.value(i).dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    return QJsonObject{{QStringLiteral("range"), selection.range},
                       {QStringLiteral("from"), end(0)},
                       {QStringLiteral("to"), end(1)},
                       {QStringLiteral("source"), selection.source.isEmpty() ? kAll : selection.source},
                       {QStringLiteral("serial"), selection.serialFilter},
                       {QStringLiteral("testId"), selection.testId},
                       {QStringLiteral("passOnly"), selection.passOnly},
                       {QStringLiteral("lastRecordOnly"), selection.lastDataOnly},
                       {QStringLiteral("acceptZero"), selection.acceptZero}};
}

int WriteHeadlessOutput(const QString& command, const QString& path, const QByteArray& bytes)
{
    if (path == QLatin1String("-")) {
        QFile out;
        if (out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered) && WriteEveryByte(out, bytes)) {
            return HeadlessStatus::kOk;
        }
        return HeadlessFail(command, HeadlessStatus::kCannotWrite,
                            CannotWriteMessage(QStringLiteral("standard output"), out.errorString()));
    }
    QString error;
    return WriteOutputFile(path, bytes, &error) ? HeadlessStatus::kOk
                                                : HeadlessFail(command, HeadlessStatus::kCannotWrite, error);
}
