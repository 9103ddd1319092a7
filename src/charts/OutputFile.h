#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;
class QSaveFile;

// Files the program writes for the user. Each is written under a temporary name beside its
// target and renamed once every byte is on disk, so a failed write leaves neither a partial file
// nor the temporary one. A failure reads "Cannot write <file>: <reason>", the reason as the
// system gave it ("No space left on device", "File too large").

QString CannotWriteMessage(const QString& path, const QString& reason);

// Creates the temporary file of file, unbuffered, so that a write that fails is seen where it
// happens and not lost at the end.
bool OpenOutputFile(QSaveFile& file, QString* error);

// Writes bytes into a file opened by OpenOutputFile and gives it its name.
bool CommitOutputFile(QSaveFile& file, const QByteArray& bytes, QString* error);

// OpenOutputFile and CommitOutputFile in one.
bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString* error);

// Writes every byte to a device opened unbuffered. A short write (the disk or the size limit
// reached) is retried, so that a failure comes with its reason in device.errorString().
bool WriteEveryByte(QFileDevice& device, const QByteArray& bytes);
