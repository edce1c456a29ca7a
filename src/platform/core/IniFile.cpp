#include "IniFile.h"

#include "AnsiCodePage.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

// The section name of a header line, or a null string when the line is no header.
QString SectionOf(const QString &trimmedLine)
{
    if (trimmedLine.size() >= 2 && trimmedLine.front() == u'[' && trimmedLine.back() == u']')
        return trimmedLine.mid(1, trimmedLine.size() - 2).trimmed();
    return {};
}

bool IsComment(const QString &trimmedLine)
{
    return trimmedLine.isEmpty() || trimmedLine.front() == u';' || trimmedLine.front() == u'#';
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString Unquote(QString value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// A value that would not read back as written (blanks at its ends, quotes around it) is quoted.
QString Stored(const QString &value)
{
    return value != value.trimmed() || Unquote(value) != value ? u'"' + value + u'"' : value;
}

// Walks the lines of one section, calling visit(lineIndex, key, value) for each key line; visit
// returns false to stop. Returns the index of the section's header, or -1 when it is missing.
template <typename Visit>
qsizetype ForEachKey(const QStringList &lines, const QString &section, Visit visit)
{
    qsizetype header = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const QString name = SectionOf(line);
        if (!name.isNull()) {
            if (header >= 0)
                break; // the section ended; a later duplicate section is ignored
            if (SameName(name, section))
                header = i;
            continue;
        }
        if (header < 0 || IsComment(line))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        if (!visit(i, line.left(eq).trimmed(), Unquote(line.mid(eq + 1).trimmed())))
            break;
    }
    return header;
}

} // namespace

IniFile::IniFile(const QString &fileName) : FFileName(fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = file.readAll();
    FHasBom = bytes.startsWith("\xEF\xBB\xBF");
    if (FHasBom)
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = AnsiCodePage::ToUnicode(bytes);
    FLineBreak = text.contains(u"\r\n"_s) || !text.contains(u'\n') ? u"\r\n"_s : u"\n"_s;
    text.replace(u"\r\n"_s, u"\n"_s);
    FLines = text.split(u'\n');
    if (!FLines.isEmpty() && FLines.back().isEmpty())
        FLines.removeLast(); // the final line break
}

IniFile::TEntry IniFile::Find(const QString &section, const QString &key) const
{
    TEntry entry;
    ForEachKey(FLines, section, [&](qsizetype line, const QString &name, const QString &value) {
        if (!SameName(name, key))
            return true;
        entry = {line, value};
        return false;
    });
    return entry;
}

bool IniFile::ValueExists(const QString &section, const QString &key) const
{
    return Find(section, key).Line >= 0;
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const TEntry entry = Find(section, key);
    return entry.Line >= 0 ? entry.Value : defaultValue;
}

int IniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    bool ok = false;
    const int value = ReadString(section, key).toInt(&ok);
    return ok ? value : defaultValue;
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList IniFile::ReadSection(const QString &section) const
{
    QStringList keys;
    ForEachKey(FLines, section, [&](qsizetype, const QString &name, const QString &) {
        keys.append(name);
        return true;
    });
    return keys;
}

bool IniFile::WriteString(const QString &section, const QString &key, const QString &rawValue)
{
    if (rawValue.contains(u'\r') || rawValue.contains(u'\n'))
        return false; // it would end the line and start keys or sections of its own
    const QString value = Stored(rawValue);
    const TEntry entry = Find(section, key);
    if (entry.Line >= 0) {
        const QString &line = FLines[entry.Line];
        const qsizetype eq = line.indexOf(u'=');
        FLines[entry.Line] = line.left(eq + 1) + value; // keeps the key as it was spelt
        return Save();
    }
    qsizetype lastKey = -1;
    const qsizetype header = ForEachKey(FLines, section, [&](qsizetype line, const QString &, const QString &) {
        lastKey = line;
        return true;
    });
    const QString newLine = key + u'=' + value;
    if (header < 0) {
        if (!FLines.isEmpty() && !FLines.back().trimmed().isEmpty())
            FLines.append(QString());
        FLines.append(u'[' + section + u']');
        FLines.append(newLine);
    } else {
        FLines.insert((lastKey >= 0 ? lastKey : header) + 1, newLine);
    }
    return Save();
}

bool IniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool IniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    return WriteString(section, key, value ? u"1"_s : u"0"_s);
}

bool IniFile::Save() const
{
    QSaveFile file(FFileName); // never leaves a half-written settings file
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (FHasBom)
        file.write("\xEF\xBB\xBF");
    file.write((FLines.join(FLineBreak) + FLineBreak).toUtf8());
    return file.commit();
}
