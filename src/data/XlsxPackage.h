#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

struct zip;

// The parts of an Office Open XML package (a ZIP archive), read through libzip. Part names are
// found without regard to case. Failures are described for the user: a file that is no ZIP
// archive at all, or one that is cut off or whose parts do not inflate, is said to be damaged.
class XlsxPackage
{
public:
    XlsxPackage();
    ~XlsxPackage();
    XlsxPackage(const XlsxPackage&) = delete;
    XlsxPackage& operator=(const XlsxPackage&) = delete;

    // Opens the package; false with the description in error. notZip: the file does not even
    // begin as a ZIP archive (a file of another kind).
    bool open(const QString& path, QString& error, bool& notZip);

    bool contains(const QString& part) const;
    // The whole part; false with the description in error.
    bool read(const QString& part, QByteArray& bytes, QString& error) const;
    // Hands the inflated part to take in pieces, in order, until take returns false; false with
    // the description in error when the part cannot be read whole.
    bool stream(const QString& part, const std::function<bool(const char* data, qint64 size)>& take,
                QString& error) const;

    // "File '<path>' is damaged: <what>".
    QString damaged(const QString& what) const;

private:
    QString m_path;
    zip* m_archive = nullptr;
};
