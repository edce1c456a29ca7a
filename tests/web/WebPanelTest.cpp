#include "WebTestSupport.h"
#include "uQivPanelWebBrowser.h"
#include "uWebBrowserEmbed.h"

#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

const std::string LongPage = R"(<!DOCTYPE html><html><body style="border: 3px solid red">
    <div style="height: 3000px; width: 2000px">a long and wide page</div></body></html>)";

// The notice page the main window writes, as its HTML helper builds it.
QString NoticeHtml(const QString &Text)
{
    return uR"(<HTML><HEAD><META name=GENERATOR content="MSHTML 8.00.7600.16700"></HEAD>)"_s
           u"<BODY><FONT color=#ff0000 face=宋体><SPAN style=\"FONT-SIZE: 12px\">"_s
           + Text + u"</SPAN></FONT></BODY></HTML>"_s;
}

class Panel : public testing::Test {
protected:
    void SetUp() override
    {
        FPanel.resize(400, 300);
        FPanel.show();
    }
    bool WaitShown()
    {
        return QTest::qWaitFor([&] { return !FPanel.IsLoading(); }, PageTimeoutMs);
    }
    bool Load(const QString &Url)
    {
        FPanel.Navigate(Url);
        return WaitShown();
    }
    bool CaptionAndGaugeShow() const
    {
        return FPanel.IsLoading() && FPanel.WebHandle()->width() == 0 && FPanel.Gauge()->isVisible()
               && FPanel.Caption() == u"正在加载,请稍候！"_s;
    }
    bool BrowserCoversPanel() const
    {
        const QWidget *browser = FPanel.WebHandle();
        return !FPanel.IsLoading() && browser->isVisible()
               && browser->mapTo(&FPanel, QPoint(0, 0)) == QPoint(0, 0)
               && browser->size() == FPanel.size()
               && FPanel.childAt(FPanel.Gauge()->geometry().center()) != FPanel.Gauge();
    }
    WebDocument Document() const { return FPanel.WebBrowser()->Doc2(); }

    TQivPanelWebBrowser FPanel;
};

TEST_F(Panel, ShowsCaptionAndGaugeUntilThePageCompletesAndAgainAfterEveryNavigate)
{
    EXPECT_TRUE(CaptionAndGaugeShow());
    for (const std::string path : {"/held-first", "/held-second"}) {
        Server().HeldPage(path, "<html><body><p>here</p></body></html>");
        FPanel.Navigate(Server().Url(path));
        EXPECT_TRUE(CaptionAndGaugeShow()) << path;
        ASSERT_TRUE(QTest::qWaitFor([&] { return Server().Requests(path) > 0; }, PageTimeoutMs));
        QTest::qWait(100); // whatever progress the engine reports meanwhile
        EXPECT_TRUE(CaptionAndGaugeShow()) << path;
        Server().Release(path);
        ASSERT_TRUE(WaitShown()) << path;
        EXPECT_TRUE(BrowserCoversPanel()) << path;
        EXPECT_EQ(FPanel.Gauge()->value(), FPanel.Gauge()->maximum());
    }
    FPanel.resize(500, 350);
    EXPECT_TRUE(BrowserCoversPanel());
}

TEST_F(Panel, ANavigateThatReplacesAPendingOneStaysLoadingUntilItsOwnPageCompletes)
{
    Server().HeldPage("/held-replaced", "<html><body>replaced</body></html>");
    Server().HeldPage("/held-replacing", "<html><body>replacing</body></html>");
    FPanel.Navigate(Server().Url("/held-replaced"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Server().Requests("/held-replaced") > 0; }, PageTimeoutMs));
    FPanel.Navigate(Server().Url("/held-replacing"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Server().Requests("/held-replacing") > 0; }, PageTimeoutMs));
    QTest::qWait(300); // the engine reports the end of the replaced load meanwhile
    EXPECT_TRUE(CaptionAndGaugeShow());
    Server().Release("/held-replaced");
    QTest::qWait(300);
    EXPECT_TRUE(CaptionAndGaugeShow());
    Server().Release("/held-replacing");
    ASSERT_TRUE(WaitShown());
    EXPECT_EQ(EvalUntil(Document(), u"document.body.innerText"_s, u"replacing"_s), QVariant(u"replacing"_s));
}

TEST_F(Panel, RefreshWebReloadsWithoutReturningToLoading)
{
    Server().Page("/refresh", "<html><body>page</body></html>");
    ASSERT_TRUE(Load(Server().Url("/refresh")));
    ASSERT_EQ(Eval(Document(), u"window.marker = 'old document'"_s), QVariant(u"old document"_s));
    const int before = Server().Requests("/refresh");
    Server().HeldPage("/refresh", "<html><body>page</body></html>");

    FPanel.RefreshWeb();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Server().Requests("/refresh") > before; }, PageTimeoutMs));
    QTest::qWait(100);
    EXPECT_TRUE(BrowserCoversPanel());
    Server().Release("/refresh");
    EXPECT_EQ(EvalUntil(Document(), u"typeof window.marker"_s, u"undefined"_s, PageTimeoutMs),
              QVariant(u"undefined"_s));
    EXPECT_TRUE(BrowserCoversPanel());
}

struct TGaugeCase {
    int Width, Height;
    QRect Gauge;
};

class GaugePlacement : public testing::TestWithParam<TGaugeCase> {};

TEST_P(GaugePlacement, CentresAQuarterWideGauge20PixelsBelowTheMiddle)
{
    TQivPanelWebBrowser panel;
    panel.resize(GetParam().Width, GetParam().Height);
    panel.show();
    EXPECT_EQ(panel.Gauge()->geometry(), GetParam().Gauge);
}

// Halves round toward zero, which shows once the panel is lower than the gauge.
INSTANTIATE_TEST_SUITE_P(Sizes, GaugePlacement,
                         testing::Values(TGaugeCase{400, 300, QRect(150, 162, 100, 15)},
                                         TGaugeCase{401, 301, QRect(150, 163, 100, 15)},
                                         TGaugeCase{1000, 700, QRect(375, 362, 250, 15)},
                                         TGaugeCase{10, 10, QRect(4, 18, 2, 15)},
                                         TGaugeCase{3, 7, QRect(1, 16, 0, 15)}));

struct TLookCase {
    bool IsScroll;
    bool Is3D;
};

class PageLook : public Panel, public testing::WithParamInterface<TLookCase> {};

TEST_P(PageLook, IsScrollAndIs3DApplyToEveryCompletedDocument)
{
    Server().Page("/long-first", LongPage);
    Server().Page("/long-second", LongPage);
    FPanel.SetIsScroll(GetParam().IsScroll);
    FPanel.SetIs3D(GetParam().Is3D);
    ASSERT_TRUE(Load(Server().Url("/long-first")));
    ASSERT_TRUE(Load(Server().Url("/long-second")));

    const QString scrollBars = u"[window.innerWidth - document.documentElement.clientWidth,"
                               " window.innerHeight - document.documentElement.clientHeight]"_s;
    if (GetParam().IsScroll) {
        const QVariantList sizes = Eval(Document(), scrollBars).value_or(QVariant()).toList();
        ASSERT_EQ(sizes.size(), 2);
        EXPECT_GT(sizes[0].toInt(), 0);
        EXPECT_GT(sizes[1].toInt(), 0);
    } else {
        EXPECT_EQ(EvalUntil(Document(), scrollBars, QVariantList{0, 0}), QVariant(QVariantList{0, 0}));
    }
    const QString look = u"var s = getComputedStyle(document.body);"
                         " [s.marginTop, s.marginLeft, s.borderTopStyle, s.borderLeftWidth].join(' ')"_s;
    const QString expected = GetParam().Is3D ? u"8px 8px solid 3px"_s : u"0px 0px none 0px"_s;
    EXPECT_EQ(EvalUntil(Document(), look, expected), QVariant(expected));
}

INSTANTIATE_TEST_SUITE_P(Settings, PageLook,
                         testing::Values(TLookCase{true, true}, TLookCase{false, true},
                                         TLookCase{true, false}));

TEST_F(Panel, WriteHtmlTwiceOnABlankPageShowsBothTextsTheSecondBelowTheFirst)
{
    ASSERT_TRUE(Load(u"about:blank"_s));
    FPanel.WriteHtml(NoticeHtml(u"第一条公告"_s));
    FPanel.WriteHtml(NoticeHtml(u"second <b>notice</b>"_s));
    const QString read = u"var spans = document.querySelectorAll('span');"
                         " [document.body.innerText, spans.length,"
                         "  spans[0].getBoundingClientRect().bottom <= spans[1].getBoundingClientRect().top]"_s;
    const QVariantList expected{u"第一条公告\nsecond notice"_s, 2, true};
    EXPECT_EQ(EvalUntil(Document(), read, expected), QVariant(expected));
    EXPECT_FALSE(FPanel.IsLoading());
}

QStringList *CapturedDebug = nullptr;

void CaptureDebug(QtMsgType, const QMessageLogContext &, const QString &message)
{
    CapturedDebug->append(message);
}

TEST_F(Panel, WriteHtmlOnADocumentWithoutBodyTellsTheDebuggerAndChangesNothing)
{
    Server().Page("/drawing.svg",
                  R"(<svg xmlns="http://www.w3.org/2000/svg" width="20" height="20"><rect width="20" height="20"/></svg>)",
                  "image/svg+xml");
    ASSERT_TRUE(Load(Server().Url("/drawing.svg")));
    QStringList debug;
    CapturedDebug = &debug;
    const QtMessageHandler previous = qInstallMessageHandler(CaptureDebug);
    FPanel.WriteHtml(u"<p>lost</p>"_s);
    const bool told = QTest::qWaitFor([&] { return !debug.isEmpty(); }, PageTimeoutMs);
    qInstallMessageHandler(previous);
    CapturedDebug = nullptr;
    ASSERT_TRUE(told);
    EXPECT_TRUE(debug.first().startsWith(u"WriteHtml:"_s)) << debug.first().toStdString();
    EXPECT_GT(debug.first().size(), 10);
    EXPECT_EQ(Eval(Document(), u"document.documentElement.outerHTML.includes('lost')"_s), QVariant(false));
}

TEST_F(Panel, ShowsNoDialogsOfTheEnginesOwn)
{
    Server().Page("/dialogs", R"(<html><body><div id="out">before</div><script>
        alert('alert'); var c = confirm('confirm'); var p = prompt('prompt', 'x');
        window.open('/elsewhere');
        document.getElementById('out').textContent = [c, p].join(' ');
        </script></body></html>)");
    // A dialog would run its own modal loop: close it and note it instead of hanging.
    QStringList dialogs;
    QTimer watchdog;
    watchdog.callOnTimeout([&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            dialogs << QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    watchdog.start(100);
    ASSERT_TRUE(Load(Server().Url("/dialogs")));
    EXPECT_EQ(EvalUntil(Document(), u"document.getElementById('out').textContent"_s, u"false "_s),
              QVariant(u"false "_s));
    QTest::qWait(200);
    EXPECT_EQ(Server().Requests("/elsewhere"), 0); // no window of its own either
    EXPECT_TRUE(dialogs.isEmpty()) << dialogs.join(u' ').toStdString();
    for (const QWidget *window : QApplication::topLevelWidgets())
        EXPECT_TRUE(window == &FPanel || !window->isVisible()) << window->metaObject()->className();
}

TEST_F(Panel, TellsWhetherAMouseEventTargetsItsBrowser)
{
    const QPoint middle(200, 100);
    EXPECT_FALSE(FPanel.IsWebTarget(FPanel.childAt(middle))); // loading: the caption is there
    Server().Page("/target", "<html><body>target</body></html>");
    ASSERT_TRUE(Load(Server().Url("/target")));
    QWidget *target = FPanel.childAt(middle);
    ASSERT_NE(target, nullptr);
    EXPECT_NE(target, FPanel.WebHandle()); // the engine's own child widget
    EXPECT_TRUE(FPanel.IsWebTarget(target));
    EXPECT_TRUE(FPanel.IsWebTarget(FPanel.WebHandle()));
    EXPECT_FALSE(FPanel.IsWebTarget(&FPanel));
    EXPECT_FALSE(FPanel.IsWebTarget(FPanel.Gauge()));
    EXPECT_FALSE(FPanel.IsWebTarget(nullptr));
    const TQivPanelWebBrowser other;
    EXPECT_FALSE(FPanel.IsWebTarget(other.WebHandle()));
}

TEST_F(Panel, ShowsAPageScriptsResult)
{
    Server().Page("/writes", R"(<html><body><script>
        document.write('<p id="written">' + ['脚本', 'ran'].join(' ') + '</p>');
        </script></body></html>)");
    ASSERT_TRUE(Load(Server().Url("/writes")));
    EXPECT_EQ(EvalUntil(Document(), u"document.getElementById('written').textContent"_s, u"脚本 ran"_s),
              QVariant(u"脚本 ran"_s));
}

// Pictures for the eye: set TALVIK_WEB_SCREENSHOTS to a directory to get them.
TEST_F(Panel, Screenshots)
{
    const QString dir = qEnvironmentVariable("TALVIK_WEB_SCREENSHOTS");
    if (dir.isEmpty())
        GTEST_SKIP() << "TALVIK_WEB_SCREENSHOTS not set";
    FPanel.resize(480, 320);
    Server().HeldPage("/chinese", R"(<html><head><meta charset="utf-8"></head><body>
        <h2>Talvik问答知识库系统</h2><p>最新推荐问题：如何在 Delphi 中查找一个类声明所在的单元？</p>
        <p>系统公告：服务器将于今晚 22:00 维护，请稍候再试！</p></body></html>)");
    FPanel.Navigate(Server().Url("/chinese"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Server().Requests("/chinese") > 0; }, PageTimeoutMs));
    QTest::qWait(300);
    ASSERT_TRUE(FPanel.grab().save(QDir(dir).filePath(u"panel-loading.png"_s)));
    Server().Release("/chinese");
    ASSERT_TRUE(WaitShown());
    QTest::qWait(1000); // the engine paints after it reports the load
    ASSERT_TRUE(FPanel.grab().save(QDir(dir).filePath(u"panel-chinese.png"_s)));
}

} // namespace
