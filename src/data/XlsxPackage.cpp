#include "XlsxPackage.h"

#include "FileDamage.h"

#include <QFile>
#include <vector>
#include <zip.h>

namespace {

constexpr qint64 kPiece = 1 << 18;

struct ZipFileCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

XlsxPackage::XlsxPackage() = default;

XlsxPackage::~XlsxPackage()
{
    if (m_archive) {
        zip_discard(m_archive);
    }
}

bool XlsxPackage::open(const QString& path, QString& error, bool& notZip)
{
    m_path = path;
    QFile file(path);
    notZip = !file.open(QIODevice::ReadOnly) || file.read(4) != QByteArrayLiteral("PK\x03\x04");
    int code = 0;
    m_archive = notZip ? nullptr : zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!m_archive) {
        error = notZip ? file.errorString()
                       : damaged(QStringLiteral("it cannot be read as a ZIP archive (%1)").arg(zipErrorText(code)));
        return false;
    }
    return true;
}

bool XlsxPackage::contains(const QString& part) const
{
    return zip_name_locate(m_archive, part.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

bool XlsxPackage::read(const QString& part, QByteArray& bytes, QString& error) const
{
    bytes.clear();
    return stream(
        part,
        [&bytes](const char* data, qint64 size) {
            bytes.append(data, size);
            return true;
        },
        error);
}

bool XlsxPackage::stream(const QString& part, const std::function<bool(const char*, qint64)>& take,
                         QString& error) const
{
    const zip_int64_t index = zip_name_locate(m_archive, part.toUtf8().constData(), ZIP_FL_NOCASE);
    const std::unique_ptr<zip_file_t, ZipFileCloser> file(index < 0 ? nullptr : zip_fopen_index(m_archive, index, 0));
    if (!file) {
        error = damaged(
            QStringLiteral("its part '%1' cannot be read (%2)")
                .arg(part, index < 0 ? QStringLiteral("it is missing") : QString::fromUtf8(zip_strerror(m_archive))));
        return false;
    }
    std::vector<char> piece(kPiece);
    zip_int64_t got = 0;
    while ((got = zip_fread(file.get(), piece.data(), piece.size())) > 0) {
        if (!take(piece.data(), got)) {
            return true;
        }
    }
    if (got < 0) {
        error = damaged(QStringLiteral("its part '%1' cannot be read (%2)")
                            .arg(part, QString::fromUtf8(zip_file_strerror(file.get()))));
        return false;
    }
    return true;
}

QString XlsxPackage::damaged(const QString& what) const
{
    return DamagedFileMessage(m_path, what);
}
