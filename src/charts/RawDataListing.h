#pragma once

#include <QByteArrayView>
#include <QString>
#include <QTemporaryFile>
#include <cstring>
#include <vector>

// The raw-data listing of a load in progress: a new file beside the listing, readable by the user
// only, put in the listing's place when the load is kept. Renaming replaces a file or link of
// that name that someone else put in the shared folder rather than following it. Text is
// written as UTF-8, gathered into large writes.
//
// A listing opened to append (a chart that follows its data) writes to the end of the listing
// itself instead, and commit() only writes what is gathered.
class RawDataListing
{
public:
    enum class Mode
    {
        Replace,
        Append
    };
    explicit RawDataListing(const QString& path, Mode mode = Mode::Replace);

    // Creates the new file (opens the listing); false with errorString() when it cannot be.
    bool open();
    // Lines are written a piece of a few bytes at a time, so the pieces are copied inline
    // rather than through a call to the library's copy.
    void append(QByteArrayView bytes)
    {
        auto size = static_cast<size_t>(bytes.size());
        if (m_used + size > m_buffer.size()) {
            flush(size);
        }
        char* out = m_buffer.data() + m_used;
        const char* in = bytes.data();
        m_used += size;
        if (size > 32) {
            copyLarge(out, in, size);
            return;
        }
        // Two overlapping copies of a fixed size cover every length from that size to twice it.
        if (size >= 16) {
            std::memcpy(out, in, 16);
            std::memcpy(out + size - 16, in + size - 16, 16);
        } else if (size >= 8) {
            std::memcpy(out, in, 8);
            std::memcpy(out + size - 8, in + size - 8, 8);
        } else if (size >= 4) {
            std::memcpy(out, in, 4);
            std::memcpy(out + size - 4, in + size - 4, 4);
        } else if (size > 0) {
            out[0] = in[0];
            out[size / 2] = in[size / 2];
            out[size - 1] = in[size - 1];
        }
    }
    void append(char c) { append(QByteArrayView(&c, 1)); }
    // Writes what is gathered and renames the file into the listing's place; false with
    // errorString() when either fails.
    bool commit();
    // "Cannot write the raw-data listing <path>: <the system's reason>".
    QString errorString() const { return m_error; }

private:
    // Writes what is gathered; room for at least `needed` bytes afterwards.
    bool flush(size_t needed = 0);
    static void copyLarge(char* out, const char* in, size_t size);
    // Keeps the first failure's reason; false.
    bool fail(const QString& reason);

    QFile& output() { return m_mode == Mode::Append ? m_appended : m_file; }

    QString m_path;
    Mode m_mode;
    QTemporaryFile m_file;
    QFile m_appended;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    QString m_error;
};
