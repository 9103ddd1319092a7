#include "CsvImport.h"

#include "CsvParser.h"
#include "CsvValues.h"
#include "FileDamage.h"
#include "SerialDateTime.h"
#include "TypedRows.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <map>
#include <optional>

namespace {

// What the copy keeps beside the records: the files read, and the columns they gave.
const QString kFilesTable = QStringLiteral("tessaly_csv_files");
const QString kColumnsTable = QStringLiteral("tessaly_csv_columns");

// A record's rowid holds its file's key above its number in the file, so that a scan of the table
// meets the records in the order of the files' names. Keys are spread out, so that a file that
// comes between two others later gets a key between theirs.
constexpr int kRecordBits = 32;
constexpr qint64 kLastRecord = (qint64(1) << kRecordBits) - 1;
constexpr qint64 kLastKey = (qint64(1) << 31) - 1;
constexpr qint64 kKeySpacing = qint64(1) << 16;

struct CsvFile
{
    QString name;
    QString path;
    qint64 size = 0;
    qint64 modified = 0; // ms since the epoch
};

QList<CsvFile> csvFiles(const QString& source)
{
    const QFileInfo info(source);
    QFileInfoList entries;
    if (info.isDir()) {
        for (const QFileInfo& entry : QDir(source).entryInfoList(QDir::Files, QDir::NoSort)) {
            if (entry.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
                entries.append(entry);
            }
        }
    } else if (info.isFile()) {
        entries.append(info);
    }
    QList<CsvFile> files;
    for (const QFileInfo& entry : entries) {
        files.append({entry.fileName(), entry.filePath(), entry.size(), entry.lastModified().toMSecsSinceEpoch()});
    }
    std::sort(files.begin(), files.end(), [](const CsvFile& a, const CsvFile& b) { return a.name < b.name; });
    return files;
}

// The order of day and month the user's locale writes dates in.
DateForm localeSlashOrder()
{
    const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    return format.indexOf(QLatin1Char('d')) < format.indexOf(QLatin1Char('M')) ? DateForm::SlashDayFirst
                                                                               : DateForm::SlashMonthFirst;
}

bool isSlashForm(DateForm form)
{
    return form == DateForm::SlashDayFirst || form == DateForm::SlashMonthFirst;
}

// The names of a header row: blank or repeated names become F<n> (n from 1).
QStringList headerNames(const std::vector<std::string_view>& fields)
{
    QStringList names;
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::string_view field = CsvTrimmed(fields[i]);
        QString name = QString::fromUtf8(field.data(), qsizetype(field.size()));
        if (name.isEmpty() || names.contains(name, Qt::CaseInsensitive)) {
            name = QStringLiteral("F%1").arg(i + 1);
        }
        names.append(name);
    }
    return names;
}

bool sameNames(const QStringList& a, const QStringList& b)
{
    return a.size() == b.size() && std::equal(a.cbegin(), a.cend(), b.cbegin(), [](const QString& x, const QString& y) {
               return x.compare(y, Qt::CaseInsensitive) == 0;
           });
}

// The columns of the copy. A column's type is guessed from its first value and its date form
// decided by it; what the values after it show may call for a second reading.
struct Columns
{
    QStringList names;
    std::optional<std::vector<bool>> real; // until the first record
    std::vector<DateForm> forms;
    std::vector<bool> decided;       // the form is known: the column had a value
    std::vector<bool> notMonthFirst; // a value with slashes showed a first number above 12
    std::vector<bool> notDayFirst;   // ... a second number above 12

    explicit Columns(QStringList header = {})
        : names(std::move(header)), forms(size_t(names.size()), DateForm::None), decided(size_t(names.size()), false),
          notMonthFirst(size_t(names.size()), false), notDayFirst(size_t(names.size()), false)
    {
    }

    // The form the values seen call for, for a column read with slashes.
    DateForm foundForm(size_t c) const
    {
        if (!isSlashForm(forms[c]) || (notMonthFirst[c] && notDayFirst[c])) {
            return notMonthFirst[c] && notDayFirst[c] ? DateForm::None : forms[c];
        }
        if (forms[c] == DateForm::SlashMonthFirst && notMonthFirst[c]) {
            return DateForm::SlashDayFirst;
        }
        if (forms[c] == DateForm::SlashDayFirst && notDayFirst[c]) {
            return DateForm::SlashMonthFirst;
        }
        return forms[c];
    }
    bool formsHeld() const
    {
        for (size_t c = 0; c < forms.size(); ++c) {
            if (foundForm(c) != forms[c]) {
                return false;
            }
        }
        return true;
    }
};

struct KnownFile
{
    qint64 size = 0;
    qint64 modified = 0;
    qint64 key = 0;
    bool hasHeader = false;
    QString note; // why it was skipped

    bool isVersionOf(const CsvFile& file) const { return size == file.size && modified == file.modified; }
};

// One import of a source into the copy: all of it, or what changed since the last one.
class CsvImporter
{
public:
    CsvImporter(QSqlDatabase& db, const QString& source, const QString& table)
        : m_db(db), m_source(source), m_table(table)
    {
    }

    QString run();

private:
    enum class Outcome
    {
        Done,
        ReadAgain // the columns' types or forms did not hold: read everything with the ones found
    };

    QString headerOf(const CsvFile& file, QStringList& names) const;
    bool loadKnown(Columns& columns, std::map<QString, KnownFile>& known);
    QString importAll(Outcome& outcome);
    QString update(const std::map<QString, KnownFile>& known, Outcome& outcome);
    QString importFile(const CsvFile& file, qint64 key);
    void toCells(const std::vector<std::string_view>& fields);
    QString ensureTable();
    QString record(const CsvFile& file);
    QString saveColumns();
    Outcome outcome();
    QString exec(const QString& sql, const QVariantList& values = {});

    QSqlDatabase& m_db;
    const QString m_source;
    const QString m_table;
    QList<CsvFile> m_files;
    QString m_firstHeaderFile; // the file whose header names the columns
    Columns m_columns;
    std::optional<TableWriter> m_writer;
    std::optional<TypedRows> m_rows;
    std::vector<ImportedCell> m_cells;
    std::vector<std::string> m_isoTexts;
    std::map<QString, KnownFile> m_read; // the files read by this import, by name
};

QString CsvImporter::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(m_db);
    query.prepare(sql);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    return query.exec() ? QString() : query.lastError().text();
}

// The names of the file's header row; none for a file without any line.
QString CsvImporter::headerOf(const CsvFile& file, QStringList& names) const
{
    QFile f(file.path);
    if (!f.open(QIODevice::ReadOnly)) {
        return QStringLiteral("The CSV file '%1' cannot be read: %2").arg(file.path, f.errorString());
    }
    // A header row longer than this is not a log's.
    const QByteArray start = f.read(1 << 20);
    CsvParser parser(std::string_view(start.constData(), size_t(start.size())));
    parser.detectDelimiter();
    std::vector<std::string_view> fields;
    if (parser.next(fields) == CsvParser::Result::Record) {
        names = headerNames(fields);
    }
    return {};
}

bool CsvImporter::loadKnown(Columns& columns, std::map<QString, KnownFile>& known)
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT name, real, form FROM %1 ORDER BY position").arg(kColumnsTable))) {
        return false;
    }
    QStringList names;
    std::vector<bool> real;
    std::vector<DateForm> forms;
    std::vector<bool> decided;
    while (query.next()) {
        names.append(query.value(0).toString());
        real.push_back(query.value(1).toBool());
        forms.push_back(DateForm(query.value(2).toInt()));
        decided.push_back(!query.value(2).isNull());
    }
    columns = Columns(names);
    columns.real = real;
    columns.forms = forms;
    columns.decided = decided;
    if (!query.exec(
            QStringLiteral("SELECT name, size, modified, file_key, has_header, note FROM %1").arg(kFilesTable))) {
        return false;
    }
    while (query.next()) {
        known[query.value(0).toString()] = {query.value(1).toLongLong(), query.value(2).toLongLong(),
                                            query.value(3).toLongLong(), query.value(4).toBool(),
                                            query.value(5).toString()};
    }
    return !names.isEmpty();
}

void CsvImporter::toCells(const std::vector<std::string_view>& fields)
{
    for (size_t c = 0; c < fields.size(); ++c) {
        const std::string_view value = CsvTrimmed(fields[c]);
        ImportedCell& cell = m_cells[c];
        if (value.empty()) {
            cell = ImportedCell();
            continue;
        }
        const std::optional<double> number = CsvNumber(value);
        if (!m_columns.decided[c]) {
            m_columns.decided[c] = true;
            const DateShape shape = number ? DateShape() : CsvDateShape(value);
            m_columns.forms[c] = shape.slashesEitherWay ? localeSlashOrder() : shape.form;
        }
        if (number) {
            cell = ImportedCell::numberOf(*number, value.data(), int(value.size()));
            continue;
        }
        const DateForm form = m_columns.forms[c];
        std::string& iso = m_isoTexts[c];
        if (form != DateForm::None && CsvIsoDateTime(value, form, iso.data())) {
            cell = ImportedCell::textOf(iso.data(), kIsoDateTimeLength);
            continue;
        }
        if (isSlashForm(form)) {
            const DateShape shape = CsvDateShape(value);
            m_columns.notMonthFirst[c] = m_columns.notMonthFirst[c] || shape.notMonthFirst;
            m_columns.notDayFirst[c] = m_columns.notDayFirst[c] || shape.notDayFirst;
        }
        cell = ImportedCell::textOf(fields[c].data(), int(fields[c].size()));
    }
}

QString CsvImporter::ensureTable()
{
    if (m_rows) {
        return {};
    }
    if (!m_columns.real) {
        m_columns.real = TypedRows::GuessRealColumns(m_cells);
    }
    m_writer.emplace(m_db);
    const QString error =
        m_writer->create(m_table, TypedRows::Definitions(m_columns.names, *m_columns.real), /*explicitRowid=*/true);
    if (error.isEmpty()) {
        m_rows.emplace(*m_writer, *m_columns.real);
    }
    return error;
}

QString CsvImporter::importFile(const CsvFile& file, qint64 key)
{
    m_read[file.name] = {file.size, file.modified, key, false, QString()};
    QFile f(file.path);
    if (!f.open(QIODevice::ReadOnly)) {
        return QStringLiteral("The CSV file '%1' cannot be read: %2").arg(file.path, f.errorString());
    }
    const qint64 size = f.size();
    QByteArray copy;
    const char* data = size > 0 ? reinterpret_cast<const char*>(f.map(0, size)) : "";
    if (!data) { // a file that cannot be mapped is read
        copy = f.readAll();
        data = copy.constData();
    }
    CsvParser parser(std::string_view(data, size_t(copy.isEmpty() ? size : copy.size())));
    parser.detectDelimiter();
    std::vector<std::string_view> fields;
    CsvParser::Result result = parser.next(fields);
    const auto unclosed = [&] {
        return DamagedFileMessage(
            file.path, QStringLiteral("the quoted field that begins on line %1 is not closed").arg(parser.line()));
    };
    if (result == CsvParser::Result::End) {
        return {}; // no header yet: a log that is just being started
    }
    if (result == CsvParser::Result::UnclosedQuote) {
        return unclosed();
    }
    m_read[file.name].hasHeader = true;
    if (!sameNames(headerNames(fields), m_columns.names)) {
        m_read[file.name].note = QStringLiteral("The CSV file '%1' is skipped: its header differs from that of '%2'.")
                                     .arg(file.path, m_firstHeaderFile);
        return {};
    }
    const size_t columns = size_t(m_columns.names.size());
    m_cells.assign(columns, ImportedCell());
    m_isoTexts.assign(columns, std::string(kIsoDateTimeLength, ' '));
    for (qint64 number = 1; (result = parser.next(fields)) == CsvParser::Result::Record; ++number) {
        if (fields.size() != columns) {
            return DamagedFileMessage(file.path, QStringLiteral("line %1 has %2 fields, the header has %3")
                                                     .arg(parser.line())
                                                     .arg(fields.size())
                                                     .arg(columns));
        }
        if (number > kLastRecord) {
            return DamagedFileMessage(file.path, QStringLiteral("it holds more records than can be read"));
        }
        toCells(fields);
        QString error = ensureTable();
        if (!error.isEmpty()) {
            return error;
        }
        m_writer->bindRowid(key << kRecordBits | number);
        error = m_rows->insert(m_cells);
        if (!error.isEmpty()) {
            return error;
        }
    }
    return result == CsvParser::Result::UnclosedQuote ? unclosed() : QString();
}

CsvImporter::Outcome CsvImporter::outcome()
{
    if ((!m_rows || m_rows->typesHeld()) && m_columns.formsHeld()) {
        return Outcome::Done;
    }
    if (m_rows) {
        m_columns.real = m_rows->foundRealColumns();
    }
    for (size_t c = 0; c < m_columns.forms.size(); ++c) {
        m_columns.forms[c] = m_columns.foundForm(c);
    }
    return Outcome::ReadAgain;
}

QString CsvImporter::record(const CsvFile& file)
{
    const KnownFile& read = m_read[file.name];
    return exec(
        QStringLiteral("INSERT OR REPLACE INTO %1 (name, size, modified, file_key, has_header, note) "
                       "VALUES (?, ?, ?, ?, ?, ?)")
            .arg(kFilesTable),
        {file.name, read.size, read.modified, read.key, read.hasHeader, read.note.isEmpty() ? QVariant() : read.note});
}

// The columns as the copy has them; a column without any value yet has no date form (Null).
QString CsvImporter::saveColumns()
{
    QString error = exec(QStringLiteral("DELETE FROM ") + kColumnsTable);
    for (qsizetype c = 0; c < m_columns.names.size() && error.isEmpty(); ++c) {
        const size_t i = size_t(c);
        error =
            exec(QStringLiteral("INSERT INTO %1 (position, name, real, form) VALUES (?, ?, ?, ?)").arg(kColumnsTable),
                 {c, m_columns.names[c], bool((*m_columns.real)[i]),
                  m_columns.decided[i] ? QVariant(int(m_columns.forms[i])) : QVariant()});
    }
    return error;
}

QString CsvImporter::importAll(Outcome& result)
{
    m_rows.reset();
    m_writer.reset();
    m_read.clear();
    for (const QString& table : {kFilesTable, kColumnsTable}) {
        const QString error = exec(QStringLiteral("DROP TABLE IF EXISTS ") + table);
        if (!error.isEmpty()) {
            return error;
        }
    }
    const qint64 spacing = std::min(kKeySpacing, kLastKey / (m_files.size() + 1));
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const QString error = importFile(m_files[i], (i + 1) * spacing);
        if (!error.isEmpty()) {
            return error;
        }
    }
    result = outcome();
    if (result == Outcome::ReadAgain) {
        return {};
    }
    if (!m_rows) { // no file holds a record: the columns are text
        m_columns.real = std::vector<bool>(size_t(m_columns.names.size()), false);
        const QString error = ensureTable();
        if (!error.isEmpty()) {
            return error;
        }
    }
    QString error = exec(QStringLiteral("CREATE TABLE %1 (name TEXT PRIMARY KEY, size INTEGER, modified INTEGER, "
                                        "file_key INTEGER, has_header INTEGER, note TEXT)")
                             .arg(kFilesTable));
    if (error.isEmpty()) {
        error = exec(QStringLiteral("CREATE TABLE %1 (position INTEGER PRIMARY KEY, name TEXT, real INTEGER, form "
                                    "INTEGER)")
                         .arg(kColumnsTable));
    }
    if (error.isEmpty()) {
        error = saveColumns();
    }
    for (const CsvFile& file : m_files) {
        if (error.isEmpty()) {
            error = record(file);
        }
    }
    return error;
}

QString CsvImporter::update(const std::map<QString, KnownFile>& known, Outcome& result)
{
    // Keys for the files to read, between those of their unchanged neighbours.
    std::vector<qint64> keys(size_t(m_files.size()), 0);
    std::vector<size_t> toRead;
    std::vector<size_t> pending;
    qint64 previous = 0;
    const auto place = [&](qint64 next) {
        if (next - previous <= qint64(pending.size())) {
            return false;
        }
        for (size_t i = 0; i < pending.size(); ++i) {
            keys[pending[i]] = previous + (next - previous) * qint64(i + 1) / qint64(pending.size() + 1);
        }
        pending.clear();
        return true;
    };
    std::vector<qint64> dropped; // keys whose records go
    for (size_t i = 0; i < size_t(m_files.size()); ++i) {
        const CsvFile& file = m_files[qsizetype(i)];
        const auto old = known.find(file.name);
        if (old != known.end() && old->second.isVersionOf(file)) {
            if (!place(old->second.key)) {
                result = Outcome::ReadAgain;
                return {};
            }
            keys[i] = previous = old->second.key;
            continue;
        }
        if (old != known.end()) {
            dropped.push_back(old->second.key);
        }
        pending.push_back(i);
        toRead.push_back(i);
    }
    if (!place(std::min(kLastKey + 1, previous + kKeySpacing * qint64(pending.size() + 1)))) {
        result = Outcome::ReadAgain;
        return {};
    }
    for (const auto& old : known) {
        const QString& name = old.first;
        const bool gone =
            std::none_of(m_files.cbegin(), m_files.cend(), [&name](const CsvFile& f) { return f.name == name; });
        if (gone) {
            dropped.push_back(old.second.key);
            const QString error = exec(QStringLiteral("DELETE FROM %1 WHERE name = ?").arg(kFilesTable), {name});
            if (!error.isEmpty()) {
                return error;
            }
        }
    }
    for (const qint64 key : dropped) {
        const QString error =
            exec(QStringLiteral("DELETE FROM %1 WHERE rowid BETWEEN ? AND ?").arg(QuotedSqlName(m_table)),
                 {key << kRecordBits, key << kRecordBits | kLastRecord});
        if (!error.isEmpty()) {
            return error;
        }
    }
    m_writer.emplace(m_db);
    QString error =
        m_writer->appendTo(m_table, TypedRows::Definitions(m_columns.names, *m_columns.real), /*explicitRowid=*/true);
    if (!error.isEmpty()) {
        return error;
    }
    m_rows.emplace(*m_writer, *m_columns.real);
    for (const size_t i : toRead) {
        error = importFile(m_files[qsizetype(i)], keys[i]);
        if (!error.isEmpty()) {
            return error;
        }
    }
    result = outcome();
    if (result == Outcome::ReadAgain) {
        return {};
    }
    for (const size_t i : toRead) {
        if (error.isEmpty()) {
            error = record(m_files[qsizetype(i)]);
        }
    }
    return error.isEmpty() ? saveColumns() : error;
}

QString CsvImporter::run()
{
    m_files = csvFiles(m_source);
    Columns stored;
    std::map<QString, KnownFile> known;
    const bool copied = loadKnown(stored, known);
    // The first file with a header row names the columns; one that was read before as it is now,
    // and not skipped, names them as the copy has them.
    QStringList header;
    for (const CsvFile& file : m_files) {
        const auto old = known.find(file.name);
        if (copied && old != known.end() && old->second.isVersionOf(file)) {
            if (old->second.hasHeader && old->second.note.isEmpty()) {
                header = stored.names;
            } else if (!old->second.hasHeader) {
                continue;
            }
        }
        if (header.isEmpty()) {
            const QString error = headerOf(file, header);
            if (!error.isEmpty()) {
                return error;
            }
        }
        if (!header.isEmpty()) {
            m_firstHeaderFile = file.path;
            break;
        }
    }
    if (header.isEmpty()) {
        return QFileInfo(m_source).isDir()
                   ? QStringLiteral("The folder '%1' holds no CSV file with a header row.").arg(m_source)
                   : QStringLiteral("The CSV file '%1' holds no header row.").arg(m_source);
    }
    if (!m_db.transaction()) {
        return m_db.lastError().text();
    }
    Outcome result = Outcome::ReadAgain;
    QString error;
    if (copied && sameNames(stored.names, header)) {
        m_columns = stored;
        error = update(known, result);
    } else {
        m_columns = Columns(header);
    }
    // Each reading again changes a column's type or form for good, so this ends.
    while (error.isEmpty() && result == Outcome::ReadAgain) {
        error = importAll(result);
    }
    m_rows.reset();
    if (error.isEmpty() && m_writer) {
        error = m_writer->commit();
    }
    m_writer.reset();
    if (error.isEmpty() && !m_db.commit()) {
        error = m_db.lastError().text();
    }
    return error;
}

} // namespace

QString ImportCsvLogs(const QString& source, QSqlDatabase& target, const QString& targetName)
{
    if (!QFileInfo::exists(source)) {
        return QStringLiteral("Could not find file '%1'.").arg(source);
    }
    return CsvImporter(target, source, targetName).run();
}

QStringList CsvImportNotes(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    QStringList notes;
    if (query.exec(QStringLiteral("SELECT note FROM %1 WHERE note IS NOT NULL ORDER BY name").arg(kFilesTable))) {
        while (query.next()) {
            notes.append(query.value(0).toString());
        }
    }
    return notes;
}

QStringList CsvFileVersions(const QString& source)
{
    QStringList versions;
    for (const CsvFile& file : csvFiles(source)) {
        versions.append(QStringLiteral("%1|%2|%3").arg(file.name).arg(file.size).arg(file.modified));
    }
    return versions;
}
