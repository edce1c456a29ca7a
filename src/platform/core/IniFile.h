#pragma once

#include <QString>
#include <QStringList>

// An INI file: "[section]" headers and "key=value" lines, sections and keys matched without regard
// to case, the first of duplicates winning. Reads UTF-8 with or without a byte-order mark, and a
// file that is not valid UTF-8 in the ANSI code page (settings written by older Windows programs).
// A write changes only its own line: every other section, key, comment and the order stay, and the
// file is written back at once in UTF-8. A missing file reads as empty and is created by a write.
class IniFile {
public:
    explicit IniFile(const QString &fileName);

    QString FileName() const { return FFileName; }

    bool ValueExists(const QString &section, const QString &key) const;
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue = 0) const; // not a number: default
    bool ReadBool(const QString &section, const QString &key, bool defaultValue = false) const; // non-zero is true
    QStringList ReadSection(const QString &section) const; // key names in file order

    // Each returns false when the file could not be written, or the value holds a line break.
    bool WriteString(const QString &section, const QString &key, const QString &value);
    bool WriteInteger(const QString &section, const QString &key, int value);
    bool WriteBool(const QString &section, const QString &key, bool value); // "1" or "0"

private:
    struct TEntry {
        qsizetype Line = -1; // index in FLines, -1 when missing
        QString Value;
    };
    TEntry Find(const QString &section, const QString &key) const;
    bool Save() const;

    QString FFileName;
    QStringList FLines;
    QString FLineBreak = QStringLiteral("\r\n");
    bool FHasBom = false;
};
