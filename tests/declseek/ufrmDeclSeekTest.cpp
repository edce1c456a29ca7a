#include "DeclSeekFixture.h"

#include "MessageBox.h"
#include "ProgramDir.h"
#include "ufrmDeclSeek.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QWidget *NextTabStop(QWidget *from)
{
    for (QWidget *next = from->nextInFocusChain(); next != from; next = next->nextInFocusChain())
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible())
            return next;
    return nullptr;
}

class ufrmDeclSeekTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramDir::SetOverride(Fixture.Dir.path());
        MessageBox::SetHandler([this](const TMessageBoxCall &call) {
            Boxes.append(call);
            ControlsEnabledAtBox = Form->btnSearch->isEnabled() || Form->EdtKeyWord->isEnabled();
            return TMsgResult::OK;
        });
        Shell::SetHandler([this](const QString &address) { Opened.append(address); });
        Form = new TfrmDeclSeek;
        Form->show();
    }

    void TearDown() override
    {
        delete Form;
        MessageBox::SetHandler({});
        Shell::SetHandler({});
        ProgramDir::SetOverride({});
    }

    void Search(const QString &keyWord, int type = 0)
    {
        Form->EdtKeyWord->setText(keyWord);
        Form->CbbType->setCurrentIndex(type);
        QTest::mouseClick(Form->btnSearch, Qt::LeftButton);
    }

    bool AllControlsEnabled() const
    {
        const QList<QWidget *> controls{Form->LbKeyWord, Form->EdtKeyWord, Form->LbType,
                                        Form->CbbType,   Form->mmoResult,  Form->btnSearch};
        return std::all_of(controls.begin(), controls.end(), [](QWidget *c) { return c->isEnabled(); });
    }

    TDeclSeekFixture Fixture;
    QPointer<TfrmDeclSeek> Form;
    QList<TMessageBoxCall> Boxes;
    QStringList Opened;
    bool ControlsEnabledAtBox = true;
};

TEST_F(ufrmDeclSeekTest, WindowIsLaidOutAsDesigned)
{
    EXPECT_EQ(Form->objectName(), u"frmDeclSeek"_s);
    EXPECT_EQ(Form->windowTitle(), u"对象所在单元搜索器"_s);
    EXPECT_EQ(Form->size(), QSize(386, 264));
    EXPECT_EQ(Form->minimumSize(), Form->maximumSize());
    EXPECT_FALSE(Form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(Form->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(Form->testAttribute(Qt::WA_DeleteOnClose));

    EXPECT_EQ(Form->LbKeyWord->text(), u"关键词："_s);
    EXPECT_EQ(Form->LbType->text(), u"类型："_s);
    EXPECT_EQ(Form->EdtKeyWord->width(), 138);
    EXPECT_TRUE(Form->EdtKeyWord->text().isEmpty());
    EXPECT_EQ(Form->CbbType->width(), 80);
    EXPECT_FALSE(Form->CbbType->isEditable());
    ASSERT_EQ(Form->CbbType->count(), 4);
    const QStringList entries{u"全部"_s, u"类或记录"_s, u"函数"_s, u"过程"_s};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Form->CbbType->itemText(i), entries[i]);
    EXPECT_EQ(Form->CbbType->currentIndex(), 0);
    EXPECT_EQ(Form->btnSearch->text(), u"搜索"_s);
    EXPECT_EQ(Form->RzGroupBox->title(), u"可能所在的单元"_s);
    EXPECT_EQ(Form->RzGroupBox->size(), QSize(375, 186));
    EXPECT_EQ(Form->mmoResult->parentWidget(), Form->RzGroupBox);
    EXPECT_TRUE(Form->mmoResult->isReadOnly());
    EXPECT_EQ(Form->mmoResult->palette().color(QPalette::Base), Form->palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(Form->BtnCreateData->text(), u"生成"_s);
    EXPECT_FALSE(Form->BtnCreateData->isVisible());
    EXPECT_FALSE(Form->ProgressBar1->isVisible());
    EXPECT_EQ(Form->LbURL->text(), u"Talvik "_s + DeclSeekSiteAddress);
    EXPECT_TRUE(Form->LbURL->font().underline());
    EXPECT_EQ(Form->LbURL->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(Form->LbURL->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(NextTabStop(Form), Form->EdtKeyWord);
    EXPECT_EQ(NextTabStop(Form->EdtKeyWord), Form->CbbType);
    EXPECT_EQ(NextTabStop(Form->CbbType), Form->btnSearch);
}

TEST_F(ufrmDeclSeekTest, SearchListsTheUnitsOrSaysNoneWasFound)
{
    Fixture.Build(u"test-form-build"_s).close();
    DataLink::Close(u"test-form-build"_s);
    const struct {
        QString KeyWord;
        int Type;
        QString Result;
    } cases[] = {
        {u"  TAlpha "_s, 1, u"Alpha\nBeta"_s},
        {u"Compute"_s, 0, u"Alpha\nGamma"_s},
        {u"GetValue"_s, 2, u"Gamma"_s},
        {u"Reset"_s, 2, u"没有找到！可能是自定义的！"_s},
        {u"_AddRef"_s, 3, u"Alpha"_s},
    };
    for (const auto &c : cases) {
        Search(c.KeyWord, c.Type);
        EXPECT_EQ(Form->mmoResult->toPlainText(), c.Result) << c.KeyWord.toStdString();
    }
    EXPECT_TRUE(Boxes.isEmpty());
    EXPECT_TRUE(AllControlsEnabled());
}

TEST_F(ufrmDeclSeekTest, ABlankKeyWordIsRefused)
{
    for (const QString &keyWord : {QString(), u"   "_s, u" \t\r\n "_s}) {
        Boxes.clear();
        Form->mmoResult->setPlainText(u"earlier"_s);
        Search(keyWord);
        ASSERT_EQ(Boxes.size(), 1);
        EXPECT_EQ(Boxes[0].Text, u"请输入搜索的关键词！"_s);
        EXPECT_EQ(Boxes[0].Caption, u"提示"_s);
        EXPECT_EQ(Boxes[0].Icon, TMsgIcon::Error);
        EXPECT_EQ(Form->mmoResult->toPlainText(), u"earlier"_s); // nothing was searched
        EXPECT_TRUE(AllControlsEnabled());
    }
}

TEST_F(ufrmDeclSeekTest, AMissingOrBrokenIndexIsReportedAndTheControlsComeBack)
{
    const struct {
        const char *Case;
        bool DatabaseFile;
    } cases[] = {{"no database file", false}, {"no index table", true}};
    for (const auto &c : cases) {
        QFile::remove(Fixture.DatabaseFile());
        if (c.DatabaseFile) {
            QSqlQuery other(DataLink::OpenFile(Fixture.DatabaseFile(), u"test-other"_s, true));
            ASSERT_TRUE(other.exec(u"CREATE TABLE Other(x)"_s));
        }
        DataLink::Close(u"test-other"_s);
        Boxes.clear();
        Search(u"TAlpha"_s);
        ASSERT_EQ(Boxes.size(), 1) << c.Case;
        EXPECT_TRUE(Boxes[0].Text.startsWith(u"出现了错误！\n"_s)) << Boxes[0].Text.toStdString();
        EXPECT_GT(Boxes[0].Text.size(), 7) << c.Case; // the error text follows
        EXPECT_FALSE(ControlsEnabledAtBox) << c.Case;
        EXPECT_TRUE(AllControlsEnabled()) << c.Case;
        EXPECT_TRUE(Form->mmoResult->toPlainText().isEmpty()) << c.Case;
    }
}

TEST_F(ufrmDeclSeekTest, TheLinkOpensTheSite)
{
    QTest::mouseClick(Form->LbURL, Qt::LeftButton);
    EXPECT_EQ(Opened, QStringList{DeclSeekSiteAddress});
}

TEST_F(ufrmDeclSeekTest, ClosingFreesTheWindow)
{
    Form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Form.isNull());
}

// With TALVIK_SCREENSHOT set, saves the window with a result list there (run under xvfb-run).
TEST_F(ufrmDeclSeekTest, Screenshot)
{
    const QString target = qEnvironmentVariable("TALVIK_SCREENSHOT");
    if (target.isEmpty())
        GTEST_SKIP() << "set TALVIK_SCREENSHOT to a PNG file name";
    Fixture.Build(u"test-form-shot"_s, 2).close();
    DataLink::Close(u"test-form-shot"_s);
    Search(u"Compute"_s);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form));
    QTest::qWait(200);
    EXPECT_TRUE(Form->grab().save(target));
}

} // namespace
