#pragma once

#include <QAbstractListModel>
#include <QFile>
#include <vector>

// The record lines of a raw-data listing file as a read-only list. The file's first line is a
// header and is not a row; every further line is one row, shown as written without its line end
// (CR LF or LF). The file stays mapped into memory while the model lives and only the lines on
// screen are ever decoded, so a listing of a million records opens at once.
class RawDataModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit RawDataModel(QObject* parent = nullptr);
    ~RawDataModel() override;

    // Shows the record lines of the listing at path (UTF-8). False when it cannot be read:
    // the list is then empty and errorString() holds the file system's description.
    bool open(const QString& path);
    QString errorString() const { return m_errorString; }
    // The widest text of each tab-separated field over the record lines, in characters.
    const std::vector<qsizetype>& fieldWidths() const { return m_fieldWidths; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void indexLines();
    void measureFields(const char* from, const char* end);

    QFile m_file;
    QString m_errorString;
    const char* m_text = nullptr; // the mapped file; null when it is empty or not open
    qint64 m_size = 0;
    // Offset of every record line's first byte, followed by the file size.
    std::vector<qint64> m_lineStarts;
    std::vector<qsizetype> m_fieldWidths;
};
