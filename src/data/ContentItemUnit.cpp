#include "ContentItemUnit.h"

#include <utility>

using namespace Qt::StringLiterals;

int TResourcesItem::FileType() const
{
    // The extension runs from the last "." of the last path component, dot included.
    const QString name = FFileName.mid(qMax(FFileName.lastIndexOf(u'/'), FFileName.lastIndexOf(u'\\')) + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot);

    static const std::pair<QStringView, int> kinds[] = {
        {u".exe", 7}, {u".com", 7}, {u".htm", 4}, {u".html", 4}, {u".asp", 4}, {u".php", 4},
        {u".ini", 6}, {u".inf", 6}, {u".BAT", 5}, {u".rar", 1}, {u".iso", 1}, {u".doc", 2},
        {u".xls", 3}, {u".txt", 8}, {u".log", 8}, {u".dll", 10},
    };
    for (const auto &[known, kind] : kinds)
        if (extension == known)
            return kind;
    return 9;
}
