#include "Connection.h"

#include "ImportCache.h"
#include "MariaDbDialect.h"
#include "OdbcInfo.h"
#include "PostgresDialect.h"
#include "QueryBuilder.h"
#include "ReadOnlyTransaction.h"
#include "SqlQuoting.h"
#include "SqliteEngine.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessaly-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The table a statement reads: the name after FROM, without its brackets.
QString tableOf(const QString& sql)
{
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+(\\[[^\\]]+\\]|[^\\s;]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString table = from.match(sql).captured(1);
    if (table.startsWith(QLatin1Char('[')) && table.endsWith(QLatin1Char(']'))) {
        table = table.mid(1, table.size() - 2);
    }
    return table;
}

} // namespace

QString ConnectionValue(const QString& connectionText, const QString& key)
{
    const QChar quote = QLatin1Char('"');
    qsizetype pos = 0;
    while (pos < connectionText.size()) {
        const qsizetype eq = connectionText.indexOf(QLatin1Char('='), pos);
        if (eq < 0) {
            break;
        }
        const QString name = connectionText.mid(pos, eq - pos).trimmed();
        const qsizetype valueStart = eq + 1;
        qsizetype end = 0;
        QString value;
        if (connectionText.mid(valueStart).trimmed().startsWith(quote)) {
            // Up to the quote that is not written twice.
            qsizetype at = connectionText.indexOf(quote, valueStart) + 1;
            qsizetype close = -1;
            while ((close = connectionText.indexOf(quote, at)) >= 0 && connectionText.mid(close + 1, 1) == quote) {
                value += QStringView(connectionText).mid(at, close + 1 - at);
                at = close + 2;
            }
            value += QStringView(connectionText).mid(at, close < 0 ? -1 : close - at);
            end = close < 0 ? connectionText.size() : connectionText.indexOf(QLatin1Char(';'), close);
        } else {
            end = connectionText.indexOf(QLatin1Char(';'), valueStart);
            value = connectionText.mid(valueStart, end < 0 ? -1 : end - valueStart).trimmed();
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0) {
            return value;
        }
        if (end < 0) {
            break;
        }
        pos = end + 1;
    }
    return {};
}

QString QuotedConnectionValue(const QString& value)
{
    const QChar quote = QLatin1Char('"');
    if (!value.contains(QLatin1Char(';')) && !value.contains(quote) && value.trimmed() == value) {
        return value;
    }
    return quote + QString(value).replace(quote, QStringLiteral("\"\"")) + quote;
}

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

bool Connection::open(const QString& connectionText)
{
    close();
    m_lastError.clear();
    const QString provider = ConnectionValue(connectionText, QStringLiteral("Provider"));
    bool opened = false;
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        opened = openSQLite(ConnectionValue(connectionText, QStringLiteral("Data Source")));
    } else if (provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive) ||
               provider.startsWith(QLatin1String("Microsoft.ACE.OLEDB"), Qt::CaseInsensitive)) {
        // Jet reads Excel 97-2003 workbooks ("Excel 8.0"), its successor ACE also .xlsx ("Excel 12.0
        // Xml") and folders of text files ("text").
        const QString properties = ConnectionValue(connectionText, QStringLiteral("Extended Properties"));
        const auto names = [&properties](const char* kind) {
            return properties.startsWith(QLatin1String(kind), Qt::CaseInsensitive);
        };
        const Engine engine = names("Excel 8") ? Engine::ExcelImport
                              : names("Excel") ? Engine::XlsxImport
                              : names("text")  ? Engine::CsvImport
                                               : Engine::JetImport;
        opened = openImport(ConnectionValue(connectionText, QStringLiteral("Data Source")), engine);
    } else if (provider.compare(QLatin1String("MSDASQL"), Qt::CaseInsensitive) == 0) {
        opened = openOdbc(OdbcTextForDataSource(connectionText), ConnectionValue(connectionText, QStringLiteral("DSN")));
    } else if (provider.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0) {
        opened = openOdbc(OdbcTextForSqlServer(connectionText), QString());
    } else {
        m_lastError = QStringLiteral("Provider cannot be found. It may not be properly installed.");
    }
    if (!opened) {
        close();
    }
    return opened;
}

bool Connection::openSQLite(const QString& file)
{
    if (!QFileInfo(file).isFile()) {
        m_lastError = QStringLiteral("Could not find file '%1'.").arg(file);
        return false;
    }
    m_lastError = SqliteFileDamage(file);
    if (!m_lastError.isEmpty()) {
        return false;
    }
    m_sourceFile = file;
    m_engine = Engine::SQLiteFile;
    m_dialect = Dialect::SQLite;
    // A WAL database is read through the writer's files only while they exist (SqliteFile.h).
    const bool wal = IsWalDatabase(file);
    if (!wal || WalFilesExist(file)) {
        if (openSQLiteDatabase(false)) {
            return true;
        }
        if (!wal || !m_snapshot) {
            return false;
        }
    }
    if (!openSQLiteDatabase(true)) {
        return false;
    }
    const QString note = SnapshotNote(file);
    if (!note.isEmpty()) {
        m_notes.append(note);
    }
    return true;
}

// A failed open of a WAL database whose log cannot be shared leaves m_snapshot set: read a
// snapshot instead.
bool Connection::openSQLiteDatabase(bool snapshot)
{
    if (!m_name.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
    }
    m_name = uniqueConnectionName();
    m_snapshot = snapshot;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(snapshot ? SnapshotUri(m_sourceFile) : m_sourceFile);
    db.setConnectOptions(snapshot ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI")
                                  : QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        m_lastError = describe(db.lastError());
        return false;
    }
    sqlite3* engine = SqliteHandle(db);
    UseUnicodeNoCase(engine);
    const SqliteProbe probe = ProbeSqliteFile(engine, IsWalDatabase(m_sourceFile), m_sourceFile, m_lastError);
    if (probe != SqliteProbe::Readable) {
        m_snapshot = probe == SqliteProbe::LogNotShared;
        db.close();
        return false;
    }
    m_stampBefore = SqliteFileStamp::of(m_sourceFile);
    // Chart queries group and sort up to millions of rows. SQLite sorts them in pieces of about
    // the cache's size and merges the pieces from temporary files, which it removes at once: that
    // is as fast as sorting everything in memory, and costs a tenth of the memory.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = -8192"));
    return true;
}

bool Connection::openImport(const QString& file, Engine engine)
{
    // The file is read when a query first names one of its tables; here it only has to exist.
    const QString name = ImportCache::DatabaseFor(file, m_lastError, engine == Engine::CsvImport);
    if (name.isEmpty()) {
        return false;
    }
    m_name = name;
    m_sourceFile = file;
    m_engine = engine;
    m_dialect = Dialect::SQLite;
    return true;
}

bool Connection::openOdbc(const QString& odbcText, const QString& dataSource)
{
    m_name = uniqueConnectionName();
    m_engine = Engine::Odbc;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    db.setDatabaseName(odbcText);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY;SQL_ATTR_LOGIN_TIMEOUT=15"));
    if (!db.open()) {
        m_lastError = describe(db.lastError());
        return false;
    }
    // SQL Server and Access read the program's SQL as it is; SQLite needs its own dates, PostgreSQL
    // its own names and dates as well.
    const QString dbms = OdbcDbmsName(db);
    if (dbms.contains(QLatin1String("SQLite"), Qt::CaseInsensitive)) {
        m_dialect = Dialect::SQLite;
        return makeSessionReadOnly(QStringLiteral("PRAGMA query_only = 1"), QStringLiteral("PRAGMA query_only"),
                                   QStringLiteral("1"));
    }
    if (dbms.contains(QLatin1String("SQL Server"))) {
        m_serverTransaction = QString(); // SQL Server has no read-only transaction: the rollback undoes
        return true;
    }
    if (dbms == QLatin1String("PostgreSQL")) {
        m_dialect = Dialect::Postgres;
        m_serverTransaction = QStringLiteral("SET TRANSACTION READ ONLY");
        // psqlODBC reads a whole result into memory before it hands out the first row, unless it
        // reads through a cursor in blocks: a million-row chart would hold its rows twice. A cursor
        // keeps the server from sorting in parallel, so its sort gets the memory to stay off the
        // disk instead (a million rows take about 100 MB; the server's default is 4 MB).
        if (!odbcText.contains(QLatin1String("UseDeclareFetch"), Qt::CaseInsensitive)) {
            db.close();
            db.setDatabaseName(odbcText +
                               QStringLiteral(";UseDeclareFetch=1;Fetch=10000;ConnSettings={SET work_mem='256MB'}"));
            if (!db.open()) {
                m_lastError = describe(db.lastError());
                return false;
            }
        }
        return makeSessionReadOnly(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"),
                                   QStringLiteral("SHOW default_transaction_read_only"), QStringLiteral("on"));
    }
    if (dbms == QLatin1String("MariaDB") || dbms == QLatin1String("MySQL")) {
        m_dialect = Dialect::MariaDb;
        m_serverTransaction = QStringLiteral("SET TRANSACTION READ ONLY");
        // MariaDB's driver, too, reads a whole result before the first row, unless the data source's
        // options say "don't cache results of forward-only cursors": then rows come as they are read.
        // Texts are read from it in UTF-8 (see OdbcRowReader.cpp).
        constexpr uint kStreamResults = 1u << 20;
        const uint options = OdbcDataSourceValue(dataSource, QStringLiteral("OPTIONS")).toUInt();
        if (!dataSource.isEmpty()) {
            db.close();
            db.setDatabaseName(odbcText + QStringLiteral(";OPTIONS=%1;CHARSET=utf8mb4").arg(options | kStreamResults));
            if (!db.open()) {
                m_lastError = describe(db.lastError());
                return false;
            }
        }
        return prepareMariaDbSession();
    }
    return true;
}

bool Connection::prepareMariaDbSession()
{
    if (!makeSessionReadOnly(QStringLiteral("SET SESSION TRANSACTION READ ONLY"),
                             QStringLiteral("SELECT @@session.tx_read_only"), QStringLiteral("1"))) {
        return false;
    }
    QSqlQuery query(database());
    // A backslash in a text is an ordinary character, and "MAX (" calls the function, as on the
    // other engines.
    if (!query.exec(QStringLiteral("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@sql_mode, ''), "
                                   "'NO_BACKSLASH_ESCAPES', 'IGNORE_SPACE')"))) {
        m_lastError = describe(query.lastError());
        return false;
    }
    return true;
}

// The ODBC access mode is a hint that neither psqlODBC nor the SQLite driver enforces: the session
// itself must refuse to write.
bool Connection::makeSessionReadOnly(const QString& statement, const QString& check, const QString& readOnly)
{
    QSqlQuery query(database());
    if (!query.exec(statement) || !query.exec(check)) {
        m_lastError = describe(query.lastError());
        return false;
    }
    if (!query.next() || query.value(0).toString() != readOnly) {
        m_lastError = QStringLiteral("The data source cannot be opened read-only.");
        return false;
    }
    return true;
}

bool Connection::catalogNames(const QString& table, QStringList& names)
{
    const QString key = table.toLower();
    if (const auto known = m_catalogNames.constFind(key); known != m_catalogNames.cend()) {
        names = *known;
        return true;
    }
    const ReadOnlyTransaction transaction(OdbcConnectionHandle(database()), *m_serverTransaction);
    if (!transaction.error().isEmpty()) {
        m_lastError = transaction.error();
        return false;
    }
    QSqlQuery query(database());
    query.setForwardOnly(true);
    bool asked = false;
    if (m_dialect == Dialect::Postgres) {
        query.prepare(QStringLiteral(
            "SELECT c.relname, a.attname FROM pg_catalog.pg_class c "
            "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
            "WHERE c.relkind IN ('r', 'v', 'm', 'f', 'p') AND pg_catalog.pg_table_is_visible(c.oid) "
            "AND lower(c.relname::text) = lower(?) ORDER BY c.relname::text = ? DESC, c.relname, a.attnum"));
        query.addBindValue(table);
        query.addBindValue(table);
        asked = query.exec();
    } else {
        // MariaDB's driver receives a bound text with Qt's terminating zero: the name goes into the
        // statement instead (the session reads backslashes as ordinary characters).
        const QString name = SqlTextLiteral(table);
        asked = query.exec(QStringLiteral("SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.COLUMNS "
                                          "WHERE TABLE_SCHEMA = DATABASE() AND LOWER(TABLE_NAME) = LOWER(%1) "
                                          "ORDER BY BINARY TABLE_NAME = %1 DESC, BINARY TABLE_NAME, ORDINAL_POSITION")
                               .arg(name));
    }
    if (!asked) {
        m_lastError = describe(query.lastError());
        return false;
    }
    names.clear();
    // The rows of the first table only: the one spelled exactly as named, if there is one.
    while (query.next() && (names.isEmpty() || query.value(0).toString() == names.first())) {
        if (names.isEmpty()) {
            names.append(query.value(0).toString());
        }
        names.append(query.value(1).toString());
    }
    m_catalogNames.insert(key, names);
    return true;
}

void Connection::close()
{
    const bool ownsDatabase = m_engine == Engine::SQLiteFile || m_engine == Engine::Odbc;
    if (ownsDatabase && QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_name.clear();
    m_sourceFile.clear();
    m_table.clear();
    m_engine = Engine::None;
    m_dialect = Dialect::AsWritten;
    m_catalogNames.clear();
    m_serverTransaction.reset();
    m_warnings.clear();
    m_snapshot = false;
    m_notes.clear();
}

int Connection::state() const
{
    return m_engine != Engine::None && QSqlDatabase::contains(m_name) ? 1 : 0;
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Connection::prepareImport(const QString& sql)
{
    QString table = tableOf(sql);
    QString name;
    if (m_engine == Engine::CsvImport) {
        name = ImportCache::CsvDatabase(m_sourceFile, table, m_lastError, m_warnings);
    } else {
        const bool sheet = m_engine != Engine::JetImport;
        if (sheet && table.endsWith(QLatin1Char('$'))) {
            table.chop(1);
        }
        const ImportFormat format = m_engine == Engine::JetImport     ? ImportFormat::Jet
                                    : m_engine == Engine::ExcelImport ? ImportFormat::Excel
                                                                      : ImportFormat::Xlsx;
        name = ImportCache::DatabaseWith(m_sourceFile, format, table, m_lastError);
    }
    if (name.isEmpty()) {
        return false;
    }
    m_name = name;
    m_table = table;
    return true;
}

bool Connection::prepare(const SqlText& sql, QString& engineSql)
{
    if (m_engine == Engine::None) {
        m_lastError = QStringLiteral("Operation is not allowed when the object is closed.");
        return false;
    }
    if (imported() && !prepareImport(sql.text)) {
        return false;
    }
    if (m_engine == Engine::SQLiteFile && (m_sqliteLost || SqliteFileStamp::of(m_sourceFile).inode != m_stampBefore.inode)) {
        // The file was moved away or written anew since it was opened: the open handle would go on
        // reading the old one, so the name is opened again (and again next time, until it opens).
        m_sqliteLost = !openSQLite(m_sourceFile);
        if (m_sqliteLost) {
            return false;
        }
    }
    if (m_engine == Engine::SQLiteFile && m_snapshot) {
        // A writer that started since keeps its log beside the file: the newest records are there.
        if (WalFilesExist(m_sourceFile) && !openSQLiteDatabase(false) && !(m_snapshot && openSQLiteDatabase(true))) {
            return false;
        }
        m_stampBefore = SqliteFileStamp::of(m_sourceFile);
    }
    switch (m_dialect) {
    case Dialect::AsWritten:
        engineSql = sql.text;
        break;
    case Dialect::SQLite:
        engineSql = ToSQLiteDialect(sql, m_engine != Engine::Odbc);
        break;
    case Dialect::Postgres:
    case Dialect::MariaDb: {
        QStringList names;
        if (!catalogNames(tableOf(sql.text), names)) {
            return false;
        }
        engineSql =
            m_dialect == Dialect::Postgres ? ToPostgresDialect(sql, names) : ToMariaDbDialect(sql, names);
        break;
    }
    }
    return true;
}

QString Connection::describe(const QSqlError& error) const
{
    const QString text = error.databaseText().trimmed();
    return explain(text.isEmpty() ? error.driverText().trimmed() : text);
}

QString Connection::describe(sqlite3* engine) const
{
    return explain(DescribeSqliteFailure(engine, m_sourceFile));
}

QString Connection::explain(const QString& engineText) const
{
    static const QRegularExpression noSuchColumn(QStringLiteral("^no such column: (.+)$"));
    const QRegularExpressionMatch missing = noSuchColumn.match(engineText);
    if (!missing.hasMatch()) {
        return engineText;
    }
    if (m_engine == Engine::ExcelImport || m_engine == Engine::XlsxImport) {
        return QStringLiteral("The header row of worksheet '%1' in '%2' lacks column %3")
            .arg(m_table, m_sourceFile, missing.captured(1));
    }
    if (m_engine == Engine::CsvImport) {
        return (QFileInfo(m_sourceFile).isDir()
                    ? QStringLiteral("The header row of the CSV files in '%1' lacks column %2")
                    : QStringLiteral("The header row of '%1' lacks column %2"))
            .arg(m_sourceFile, missing.captured(1));
    }
    return engineText;
}

bool Connection::snapshotIntact() const
{
    return !m_snapshot || SqliteFileStamp::of(m_sourceFile) == m_stampBefore;
}
