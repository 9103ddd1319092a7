#pragma once

#include <QString>
#include <QStringList>

// The records of a raw-data listing file as ListingLines writes them: a head line, then one line
// per record, CR LF each, the serial first and a tab after it.

// The serials (as listed) of records first .. first + count - 1 (from 0) of a listing that holds
// `records` records. The file is read from its end, so the records of the last points cost little
// to find. Empty when the file cannot be read.
QStringList ListingSerials(const QString& path, qint64 records, qint64 first, qint64 count);

// Removes the listing's first `count` records, keeping its head line, through a new file put in
// its place. False with *error set when the listing cannot be read or written.
bool DropListingRecords(const QString& path, qint64 count, QString* error);
