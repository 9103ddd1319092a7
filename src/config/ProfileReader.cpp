#include "ProfileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QStringDecoder>
#include <memory>

namespace {

struct ParsedFile
{
    // Lower-cased section name -> lower-cased key -> value, first occurrence only.
    QHash<QString, QHash<QString, QString>> sections;
    bool blank = true; // no line holds anything but blanks
};

// The text of an INI file: UTF-8, or UTF-16 in either byte order, when a byte-order mark says so
// (Notepad saves "Unicode" files as UTF-16 with one); otherwise UTF-8 when the bytes are valid
// UTF-8, else Windows-1252.
QString decode(const QByteArray& bytes)
{
    if (const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder cp1252("windows-1252");
    return cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
}

QString stripQuotes(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            return value.mid(1, value.size() - 2);
        }
    }
    return value;
}

std::shared_ptr<const ParsedFile> parse(const QString& text)
{
    auto parsed = std::make_shared<ParsedFile>();
    QHash<QString, QString>* current = nullptr;
    bool sectionSeenBefore = false;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : text.split(lineEnd)) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty()) {
            continue;
        }
        parsed->blank = false;
        if (trimmed.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            const QString name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed().toLower();
            // Only the first section of a name is read.
            sectionSeenBefore = parsed->sections.contains(name);
            current = sectionSeenBefore ? nullptr : &parsed->sections[name];
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        const QString key = (eq < 0 ? trimmed : trimmed.left(eq)).trimmed().toLower();
        if (key.isEmpty() || current->contains(key)) {
            continue;
        }
        const QString value = eq < 0 ? QString() : stripQuotes(trimmed.mid(eq + 1).trimmed());
        current->insert(key, value.left(kMaxProfileValueLength));
    }
    return parsed;
}

// Parsed files are kept while their size and modification time stay the same, so the many
// single-key reads of a product choice parse each file once.
struct CacheEntry
{
    qint64 size = -1;
    QDateTime modified;
    std::shared_ptr<const ParsedFile> parsed;
};

std::shared_ptr<const ParsedFile> load(const QString& path)
{
    static QMutex mutex;
    static QHash<QString, CacheEntry> cache;

    const QFileInfo info(path);
    if (!info.isFile()) {
        return {};
    }
    const QMutexLocker lock(&mutex);
    CacheEntry& entry = cache[info.absoluteFilePath()];
    if (entry.parsed && entry.size == info.size() && entry.modified == info.lastModified()) {
        return entry.parsed;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cache.remove(info.absoluteFilePath());
        return {};
    }
    entry.parsed = parse(decode(file.readAll()));
    entry.size = info.size();
    entry.modified = info.lastModified();
    return entry.parsed;
}

} // namespace

QString ReadINI(const QString& strSectionName, const QString& strKeyName, const QString& strINIPath)
{
    const std::shared_ptr<const ParsedFile> parsed = load(strINIPath);
    if (!parsed) {
        return {};
    }
    const auto section = parsed->sections.constFind(strSectionName.trimmed().toLower());
    if (section == parsed->sections.cend()) {
        return {};
    }
    return section->value(strKeyName.trimmed().toLower());
}

QString MissingINIValue(const QString& strSectionName, const QString& strKeyName, const QString& strINIPath)
{
    const QString file = QDir::toNativeSeparators(strINIPath);
    const std::shared_ptr<const ParsedFile> parsed = load(strINIPath);
    if (!parsed) {
        const QFileInfo info(strINIPath);
        if (!info.exists()) {
            return file + QStringLiteral(" does not exist");
        }
        QFile unreadable(strINIPath);
        return file + QStringLiteral(" cannot be read: ") +
               (info.isFile() && !unreadable.open(QIODevice::ReadOnly) ? unreadable.errorString()
                                                                       : QStringLiteral("it is not a file"));
    }
    if (parsed->blank) {
        return file + QStringLiteral(" is empty");
    }
    if (parsed->sections.isEmpty()) {
        return file + QStringLiteral(" holds no section (no line \"[name]\"): it is not an INI file");
    }
    const auto section = parsed->sections.constFind(strSectionName.trimmed().toLower());
    if (section == parsed->sections.cend()) {
        return QStringLiteral("%1 has no section [%2]").arg(file, strSectionName);
    }
    const auto value = section->constFind(strKeyName.trimmed().toLower());
    if (value == section->cend()) {
        return QStringLiteral("%1 has no key %2 in section [%3]").arg(file, strKeyName, strSectionName);
    }
    if (value->isEmpty()) {
        return QStringLiteral("Key %1 in section [%2] of %3 is empty").arg(strKeyName, strSectionName, file);
    }
    return {};
}

QStringList SplitList(const QString& text)
{
    if (text.isEmpty()) {
        return {};
    }
    return text.split(QLatin1Char(','));
}
