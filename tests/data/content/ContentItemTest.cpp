#include "ContentItemUnit.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(ContentItemTest, FileTypeFollowsTheExactExtension)
{
    const std::pair<QString, int> cases[] = {
        {u"setup.exe"_s, 7}, {u"SETUP.EXE"_s, 9}, {u"run.com"_s, 7}, {u"page.html"_s, 4}, {u"page.htm"_s, 4},
        {u"x.asp"_s, 4}, {u"x.php"_s, 4}, {u"boot.ini"_s, 6}, {u"drv.inf"_s, 6}, {u"go.BAT"_s, 5},
        {u"go.bat"_s, 9}, {u"a.rar"_s, 1}, {u"cd.iso"_s, 1}, {u"w.doc"_s, 2}, {u"s.xls"_s, 3},
        {u"r.txt"_s, 8}, {u"r.log"_s, 8}, {u"lib.dll"_s, 10}, {u"README"_s, 9}, {u"dir.v2/README"_s, 9},
        {u"C:\\dir.x\\tool.exe"_s, 7}, {u"archive.tar.rar"_s, 1},
    };
    for (const auto &[name, kind] : cases) {
        TResourcesItem item;
        item.SetFileName(name);
        EXPECT_EQ(item.FileType(), kind) << name.toStdString();
    }
}

// Counts the items alive, so the test can see the list free them.
struct TCountedItem : TObject {
    explicit TCountedItem(int &alive) : Alive(alive) { ++Alive; }
    ~TCountedItem() override { --Alive; }
    int &Alive;
};

TEST(ContentItemTest, AListOwnsItsItemsAndAddsEachOnce)
{
    int alive = 0;
    {
        TGuardedList<TCountedItem> list;
        list.Clear(); // nothing to do on an empty list
        auto *first = new TCountedItem(alive);
        list.Add(first);
        list.Add(first);
        list.Add(new TCountedItem(alive));
        EXPECT_EQ(list.Count(), 2);
        EXPECT_EQ(list.Item(0), first);
        EXPECT_THROW(list.Item(2), std::out_of_range);
        EXPECT_THROW(list.Item(-1), std::out_of_range);
        list.Clear();
        EXPECT_EQ(alive, 0);
        list.Add(new TCountedItem(alive));
    }
    EXPECT_EQ(alive, 0) << "destroying a list frees what it holds";
}

} // namespace
