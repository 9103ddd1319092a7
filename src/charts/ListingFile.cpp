#include "ListingFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr qint64 kBlockSize = 1 << 16;

} // namespace

QStringList ListingSerials(const QString& path, qint64 records, qint64 first, qint64 count)
{
    QFile file(path);
    if (first < 0 || count <= 0 || first + count > records || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // The wanted records start after the (records - first + 1)-th line end from the end of the
    // file, the last record's own line end being the first.
    const qint64 endsToPass = records - first + 1;
    qint64 endsSeen = 0;
    qint64 start = 0;
    QByteArray tail;
    for (qint64 at = file.size(); at > 0 && endsSeen < endsToPass;) {
        const qint64 from = std::max<qint64>(at - kBlockSize, 0);
        file.seek(from);
        const QByteArray block = file.read(at - from);
        qint64 i = block.size();
        while (i > 0 && endsSeen < endsToPass) {
            if (block[--i] == '\n') {
                ++endsSeen;
            }
        }
        tail.prepend(block);
        start = endsSeen == endsToPass ? i + 1 : 0;
        at = from;
    }
    QStringList serials;
    for (QByteArrayView rest = QByteArrayView(tail).sliced(start); serials.size() < count && !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView line = rest.first(end < 0 ? rest.size() : end);
        const qsizetype tab = line.indexOf('\t');
        serials.append(QString::fromUtf8(line.first(tab < 0 ? line.size() : tab)).trimmed());
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
    }
    return serials;
}

bool DropListingRecords(const QString& path, qint64 count, QString* error)
{
    QFile in(path);
    QSaveFile out(path);
    const auto failed = [&](const QString& reason) {
        *error = QStringLiteral("Cannot write the raw-data listing %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (!in.open(QIODevice::ReadOnly)) {
        return failed(in.errorString());
    }
    if (!out.open(QIODevice::WriteOnly)) {
        return failed(out.errorString());
    }
    out.write(in.readLine()); // the head line
    for (qint64 i = 0; i < count && !in.atEnd(); ++i) {
        in.readLine();
    }
    while (!in.atEnd()) {
        out.write(in.read(kBlockSize));
    }
    return out.commit() || failed(out.errorString());
}
