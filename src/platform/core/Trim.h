#pragma once

#include <QString>

// Removes leading and trailing blanks and control characters (every character up to U+0020),
// the trimming the system applies to everything a member types and to reply bodies.
inline QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}
