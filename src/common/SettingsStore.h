#pragma once

#include <QList>
#include <QString>

// The store of the user's saved choices. Values are addressed by their full registry-style
// name, "HKLM\SOFTWARE\Korvane\Tessaly\SaveConfig\INIPath": everything before the last
// backslash names the section, the rest is the value name, kept verbatim ("HideUSL/LSL" is one
// name). On disk it is a small INI file: TESSALY_SETTINGS when set, else Korvane/Tessaly.ini in
// the user's configuration folder.
class SettingsStore
{
public:
    explicit SettingsStore(QString filePath);
    static QString defaultFilePath();

    const QString& filePath() const { return m_filePath; }

    // "" when the value, its section or the file is missing or unreadable.
    QString read(const QString& fullName) const;

    // Writes the whole file anew; false when it cannot be written.
    bool write(const QString& fullName, const QString& value);

    struct Section
    {
        QString name;
        QList<std::pair<QString, QString>> entries;
    };

private:
    QList<Section> load() const;

    QString m_filePath;
};

// The key under which every saved choice of the program lives.
inline const QString kSaveConfigKey = QStringLiteral("HKLM\\SOFTWARE\\Korvane\\Tessaly\\SaveConfig\\");
