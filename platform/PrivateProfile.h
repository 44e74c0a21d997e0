#pragma once
// Private-profile (INI) files with the rules the program's settings were
// designed for: section and key names match without regard to case, a value
// comes back without the blanks around it and without one pair of enclosing
// quotation marks, and a write changes one value and no other byte.
//
// The file is bytes: names and values are read as UTF-8 where a line is valid
// UTF-8 and as Latin-1 otherwise, and new text is written as UTF-8. Only the
// first kMaxProfileBytes of a file are looked at, so a binary or runaway file
// costs a bounded read; what lies beyond reads as missing.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

inline constexpr qsizetype kMaxProfileBytes = 1024 * 1024;

// The key's value in the file at path, cut to bufferSize - 1 characters, or
// defaultText (without its trailing blanks, cut the same way) when the file,
// the section or the key is missing or unreadable.
QString getPrivateProfileString(const QString &section, const QString &key, const QString &defaultText,
                                int bufferSize, const QString &path);

// Sets the key's value, creating the folder, file, section and key where
// missing. The file is replaced atomically (a synced temporary file in the
// same folder, then a rename) and keeps its permissions. Returns false, and
// leaves the file as it was, when it cannot be written: a read-only file (its
// owner's write bit clear, which holds for root too), a folder that refuses
// the new file, a file too large to rewrite whole, or a section, key or value
// that a line of the file cannot hold.
bool writePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path);

// The two halves that work on the file's bytes alone, pure functions of
// their arguments.
QString privateProfileValue(QByteArrayView content, const QString &section, const QString &key,
                            const QString &defaultText, int bufferSize);
// The content with the key's value set, or nothing when section, key or value
// cannot be written as a line of an INI file.
std::optional<QByteArray> privateProfileWithValue(QByteArrayView content, const QString &section,
                                                  const QString &key, const QString &value);
