#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QFileDevice;

// Files the program writes for the user. A regular file is written under a temporary name beside
// its target and renamed once every byte is on disk, so a failed write leaves neither a partial
// file nor the temporary one. A device, a pipe, a socket or a name under /dev or /proc (standard
// output, a shell's process substitution) is written straight through: renaming over it would
// replace the device or the pipe with a regular file. A failure reads "Cannot write <file>:
// <reason>", the reason as the system gave it ("No space left on device", "File too large").

QString CannotWriteMessage(const QString& path, const QString& reason);

class OutputFile
{
public:
    explicit OutputFile(const QString& path);
    // A file not committed is given up, its temporary file with it.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file, or opens the device or pipe, unbuffered, so that a write that
    // fails is seen where it happens and not lost at the end.
    bool open(QString* error);
    // Writes bytes into the opened file and gives it its name.
    bool commit(const QByteArray& bytes, QString* error);
    QString fileName() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QFileDevice> m_file;
};

// Opens, writes and commits an OutputFile in one.
bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString* error);

// Writes every byte to a device opened unbuffered. A short write (the disk or the size limit
// reached) is retried, so that a failure comes with its reason in device.errorString().
bool WriteEveryByte(QFileDevice& device, const QByteArray& bytes);
