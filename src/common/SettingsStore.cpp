#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <algorithm>

namespace {

const QString kRootPrefix = QStringLiteral("HKLM\\SOFTWARE\\Korvane\\Tessaly\\");

struct ValueName
{
    QString section;
    QString name;
};

ValueName split(const QString& fullName)
{
    QString path = fullName;
    if (path.startsWith(kRootPrefix, Qt::CaseInsensitive)) {
        path = path.mid(kRootPrefix.size());
    }
    const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0) {
        return {QString(), path};
    }
    return {path.left(cut), path.mid(cut + 1)};
}

// Values are stored on one line each: backslash, carriage return and line feed are escaped.
QString escape(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\')) {
            out += QLatin1String("\\\\");
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\n");
        } else if (c == QLatin1Char('\r')) {
            out += QLatin1String("\\r");
        } else {
            out += c;
        }
    }
    return out;
}

QString unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text.at(++i);
            out += next == QLatin1Char('n') ? QChar('\n') : next == QLatin1Char('r') ? QChar('\r') : next;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

SettingsStore::SettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}

QString SettingsStore::defaultFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable("TESSALY_SETTINGS");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Korvane/Tessaly.ini");
}

QList<SettingsStore::Section> SettingsStore::load() const
{
    QList<Section> sections;
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return sections;
    }
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            sections.append({unescape(trimmed.mid(1, trimmed.size() - 2)), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || trimmed.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (sections.isEmpty()) {
            sections.append({QString(), {}});
        }
        sections.last().entries.append({line.left(eq).trimmed(), unescape(line.mid(eq + 1))});
    }
    return sections;
}

namespace {

template <typename List, typename Name> auto findNamed(List& list, const QString& wanted, Name nameOf)
{
    return std::find_if(list.begin(), list.end(),
                        [&](const auto& item) { return nameOf(item).compare(wanted, Qt::CaseInsensitive) == 0; });
}

} // namespace

QString SettingsStore::read(const QString& fullName) const
{
    const ValueName v = split(fullName);
    const QList<Section> sections = load();
    const auto section = findNamed(sections, v.section, [](const Section& s) { return s.name; });
    if (section == sections.end()) {
        return {};
    }
    const auto entry = findNamed(section->entries, v.name, [](const auto& e) { return e.first; });
    return entry == section->entries.end() ? QString() : entry->second;
}

bool SettingsStore::write(const QString& fullName, const QString& value)
{
    if (m_filePath.isEmpty()) {
        return false;
    }
    // Rewrites the whole file, keeping the order and spelling of what it already holds.
    QList<Section> sections = load();
    const ValueName v = split(fullName);
    auto section = findNamed(sections, v.section, [](const Section& s) { return s.name; });
    if (section == sections.end()) {
        sections.append({v.section, {}});
        section = sections.end() - 1;
    }
    auto entry = findNamed(section->entries, v.name, [](const auto& e) { return e.first; });
    if (entry == section->entries.end()) {
        section->entries.append({v.name, value});
    } else {
        entry->second = value;
    }

    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    for (const Section& s : sections) {
        out << '[' << escape(s.name) << "]\n";
        for (const auto& [key, text] : s.entries) {
            out << key << '=' << escape(text) << '\n';
        }
        out << '\n';
    }
    out.flush();
    return file.commit();
}
