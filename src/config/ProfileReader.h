#pragma once

#include <QString>
#include <QStringList>

// Reads INI files the way the Windows profile-string reader does:
// - section and key names match without regard to case; the first matching section and the
//   first matching key in it win;
// - a value is taken after the first '=' with the blanks around it removed, and a pair of
//   matching single or double quotes around the whole value is removed;
// - values are cut to their first 1,022 characters;
// - lines end in CRLF, LF or CR alone; lines starting with ';' are comments;
// - a byte-order mark selects UTF-8 or UTF-16 (either byte order); without one, a file that is
//   not valid UTF-8 is read as Windows-1252.
// A missing file, section or key, or an unreadable file, reads as "".
QString ReadINI(const QString& strSectionName, const QString& strKeyName, const QString& strINIPath);

// Why ReadINI reads "" for a key, naming the file and what is missing: the file does not exist or
// cannot be read, is empty, holds no section at all, lacks the section, lacks the key in it, or the
// key is empty. "" when the key has a value.
QString MissingINIValue(const QString& strSectionName, const QString& strKeyName, const QString& strINIPath);

// The longest value ReadINI returns.
inline constexpr int kMaxProfileValueLength = 1022;

// Items of a comma-separated INI list, exactly as written between the commas. An empty text
// has no items; "a," has two ("a" and "").
QStringList SplitList(const QString& text);
