#include "WebTestSupport.h"
#include "uWebBrowserEmbed.h"

#include <QDir>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

using Opt = TAllowDisAllowPolicyOption;

const TGUID IID_IServiceProvider{u"{6D5140C1-7436-11CE-8034-00AA006009FA}"};

// A browser of its own, on 400 × 300, counting its completed documents.
class Browser : public testing::Test {
protected:
    void SetUp() override
    {
        FBrowser.resize(400, 300);
        FBrowser.show();
        FBrowser.SetOnDocumentComplete([this](TObject *, const QString &) { ++FCompleted; });
        FBrowser.SetOnProgressChange([this](TObject *, int Progress, int) {
            if (Progress == 100)
                ++FFinished;
        });
    }
    bool Load(const QString &Url)
    {
        const int before = FCompleted;
        FBrowser.Navigate(Url);
        return QTest::qWaitFor([&] { return FCompleted > before; }, PageTimeoutMs);
    }
    TUrlPolicyOptions &Policy() { return *FBrowser.SecurityManager()->UrlPolicy(); }

    TWebBrowserEmbed FBrowser;
    int FCompleted = 0;
    int FFinished = 0;
};

class ScriptPolicy : public Browser, public testing::WithParamInterface<Opt> {};

TEST_P(ScriptPolicy, PageScriptsRunOnlyWhenTheScriptsOptionAllows)
{
    Server().Page("/script", R"(<html><body><div id="out">no script</div>
        <script>document.getElementById('out').textContent = 'script ' + 6 * 7;</script>
        </body></html>)");
    Policy().SetScripts(GetParam());
    ASSERT_TRUE(Load(Server().Url("/script")));
    const QString expected = GetParam() == Opt::Allow ? u"script 42"_s : u"no script"_s;
    EXPECT_EQ(EvalUntil(FBrowser.Doc2(), u"document.getElementById('out').textContent"_s, expected),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Options, ScriptPolicy, testing::Values(Opt::Allow, Opt::Disallow));

class FormPolicy : public Browser, public testing::WithParamInterface<Opt> {};

TEST_P(FormPolicy, AFormReachesTheServerOnlyWhenSubmittingIsAllowed)
{
    const std::string target = GetParam() == Opt::Allow ? "/post-allowed" : "/post-refused";
    Server().Page("/form" + target, R"(<html><body><form method="post" action=")" + target
                                        + R"("><input name="q" value="问答"></form></body></html>)");
    ASSERT_TRUE(Load(Server().Url("/form" + target)));
    Policy().SetSubmitForms(GetParam());
    const int finishedBefore = FFinished;
    const int completedBefore = FCompleted;
    FBrowser.Doc2().RunScript(u"document.forms[0].submit()"_s);

    if (GetParam() == Opt::Allow) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return FCompleted > completedBefore; }, PageTimeoutMs));
        EXPECT_EQ(Server().Posts(target), std::vector<std::string>{"q=%E9%97%AE%E7%AD%94"});
        EXPECT_EQ(FBrowser.LocationURL(), Server().Url(target));
    } else {
        // The refused navigation still ends (its progress reaches the maximum) without a document.
        ASSERT_TRUE(QTest::qWaitFor([&] { return FFinished > finishedBefore; }, PageTimeoutMs));
        EXPECT_EQ(FCompleted, completedBefore);
        EXPECT_TRUE(Server().Posts(target).empty());
        EXPECT_EQ(FBrowser.LocationURL(), Server().Url("/form" + target));
    }
}

INSTANTIATE_TEST_SUITE_P(Options, FormPolicy, testing::Values(Opt::Allow, Opt::Disallow));

class CrossDomainPolicy : public Browser, public testing::WithParamInterface<Opt> {};

TEST_P(CrossDomainPolicy, ALocalPageLoadsRemoteContentOnlyWhenCrossDomainDataIsAllowed)
{
    Server().Page("/remote.js", "document.getElementById('out').textContent = 'remote ran';",
                  "text/javascript");
    QTemporaryDir dir;
    QFile page(dir.filePath(u"local.html"_s));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write((uR"(<html><body><div id="out">waiting</div>
        <script src=")"_s + Server().Url("/remote.js")
                + uR"(" onerror="document.getElementById('out').textContent = 'blocked'"></script>
        </body></html>)"_s)
                   .toUtf8());
    page.close();
    Policy().SetCrossDomainData(GetParam());
    ASSERT_TRUE(Load(QUrl::fromLocalFile(page.fileName()).toString()));
    const QString expected = GetParam() == Opt::Allow ? u"remote ran"_s : u"blocked"_s;
    EXPECT_EQ(EvalUntil(FBrowser.Doc2(), u"document.getElementById('out').textContent"_s, expected),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Options, CrossDomainPolicy, testing::Values(Opt::Allow, Opt::Disallow));

// Counts the engine's context menus instead of letting it show them.
class MenuCountingBrowser : public TWebBrowserEmbed {
public:
    HRESULT ShowContextMenu(DWORD, const QPoint *, IUnknown *, IDispatch *) override
    {
        ++Menus;
        return S_OK;
    }
    int Menus = 0;
};

// What the main window does for three of its panels: right-button messages meant for the browser
// are swallowed.
class RightButtonFilter : public QObject {
public:
    explicit RightButtonFilter(const WebView &Browser) : FBrowser(Browser) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool rightButton = (event->type() == QEvent::MouseButtonPress
                                  || event->type() == QEvent::MouseButtonRelease
                                  || event->type() == QEvent::MouseButtonDblClick)
                                 && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
        return rightButton && FBrowser.ContainsTarget(watched);
    }

private:
    const WebView &FBrowser;
};

TEST(WebBrowserEmbed, SwallowingRightButtonsMeantForTheBrowserKeepsItsContextMenuAway)
{
    Server().Page("/menu", "<html><body style='height: 100%'>right-click here</body></html>");
    MenuCountingBrowser browser;
    browser.resize(400, 300);
    browser.show();
    int completed = 0;
    browser.SetOnDocumentComplete([&](TObject *, const QString &) { ++completed; });
    browser.Navigate(Server().Url("/menu"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return completed > 0; }, PageTimeoutMs));
    QWidget *target = browser.childAt(200, 150);
    ASSERT_NE(target, nullptr);
    const auto rightClick = [&] {
        QTest::mouseClick(target, Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    };

    rightClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser.Menus == 1; }, PageTimeoutMs));

    RightButtonFilter filter(browser);
    qApp->installEventFilter(&filter);
    rightClick();
    QTest::qWait(500); // time for a menu request to come back, were there one
    qApp->removeEventFilter(&filter);
    EXPECT_EQ(browser.Menus, 1);
}

TEST(WebBrowserEmbed, GivesItselfThePolicyOfScriptsFormsActiveXCrossDomainDataAndNoJava)
{
    TWebBrowserEmbed browser;
    void *object = nullptr;
    ASSERT_EQ(browser.QueryService(IID_IInternetSecurityManager, IID_IInternetSecurityManager, object),
              S_OK);
    auto *manager = static_cast<IInternetSecurityManager *>(object);
    const struct {
        DWORD Action;
        DWORD Policy;
    } rows[] = {{URLACTION_SCRIPT_RUN, URLPOLICY_ALLOW},
                {URLACTION_ACTIVEX_RUN, URLPOLICY_ALLOW},
                {URLACTION_HTML_SUBMIT_FORMS_TO, URLPOLICY_ALLOW},
                {URLACTION_CROSS_DOMAIN_DATA, URLPOLICY_ALLOW},
                {URLACTION_JAVA_PERMISSIONS, URLPOLICY_JAVA_PROHIBIT},
                {URLACTION_HTML_JAVA_RUN, URLPOLICY_JAVA_PROHIBIT}};
    for (const auto &row : rows) {
        DWORD policy = 0xFFFFFFFF;
        EXPECT_EQ(manager->ProcessUrlAction(u"http://127.0.0.1/"_s, row.Action, &policy, 4, nullptr,
                                            0, 0, 0),
                  S_OK);
        EXPECT_EQ(policy, row.Policy) << std::hex << row.Action;
    }
}

TEST(WebBrowserEmbed, ItsSecurityQuestionsReachItsOwnSecurityManager)
{
    TWebBrowserEmbed browser;
    int asked = 0;
    browser.SecurityManager()->SetOnGetSecuritySite([&](TObject *Sender, IInternetSecurityMgrSite *&Site) {
        EXPECT_EQ(Sender, browser.SecurityManager());
        EXPECT_EQ(Site, nullptr);
        ++asked;
        return S_OK;
    });
    auto *site = reinterpret_cast<IInternetSecurityMgrSite *>(&browser);
    EXPECT_EQ(browser.GetSecuritySite(site), S_OK);
    EXPECT_EQ(asked, 1);
    DWORD zone = 0;
    EXPECT_EQ(browser.MapUrlToZone(u"about:blank"_s, zone, 0), INET_E_DEFAULT_ACTION);
}

TEST(WebBrowserEmbed, TheServiceQueryAnswersOnlyForTheInternetSecurityManager)
{
    TWebBrowserEmbed browser;
    const struct {
        TGUID Service;
        TGUID Interface;
        HRESULT Result;
    } rows[] = {{IID_IInternetSecurityManager, IID_IInternetSecurityManager, S_OK},
                {TGUID(u"{79eac9ee-baf9-11ce-8c82-00aa004ba90b}"), IID_IInternetSecurityManager, S_OK},
                {IID_IInternetSecurityManager, IID_IServiceProvider, E_NOTIMPL},
                {IID_IServiceProvider, IID_IInternetSecurityManager, E_NOTIMPL},
                {TGUID(), TGUID(), E_NOTIMPL}};
    for (const auto &row : rows) {
        void *object = &browser;
        EXPECT_EQ(browser.QueryService(row.Service, row.Interface, object), row.Result);
        EXPECT_EQ(object, row.Result == S_OK ? static_cast<IInternetSecurityManager *>(&browser)
                                             : nullptr);
    }
}

TEST(RestrictedWebBrowser, HostUserInterfaceAnswersLeaveTheEngineItsOwnBehaviour)
{
    TRestrictedWebBrowser browser;
    auto *dummy = reinterpret_cast<IDispatch *>(&browser);
    const QPoint point(1, 1);
    EXPECT_EQ(browser.ShowContextMenu(CONTEXT_MENU_DEFAULT, &point, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(browser.ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(browser.TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
    for (const HRESULT result : {browser.HideUI(), browser.UpdateUI(), browser.EnableModeless(true),
                                 browser.OnDocWindowActivate(true), browser.OnFrameWindowActivate(true),
                                 browser.ResizeBorder(nullptr, nullptr, true)})
        EXPECT_EQ(result, S_OK);

    QString key = u"set"_s;
    EXPECT_EQ(browser.GetOptionKeyPath(key, 0), E_NOTIMPL);
    EXPECT_TRUE(key.isEmpty());
    auto *drop = reinterpret_cast<IDropTarget *>(dummy);
    EXPECT_EQ(browser.GetDropTarget(drop, drop), E_NOTIMPL);
    EXPECT_EQ(drop, nullptr);
    EXPECT_EQ(browser.GetExternal(dummy), E_NOTIMPL);
    EXPECT_EQ(dummy, nullptr);
    QString translated = u"set"_s;
    EXPECT_EQ(browser.TranslateUrl(0, u"http://127.0.0.1/"_s, translated), S_FALSE);
    EXPECT_TRUE(translated.isEmpty());
    auto *data = reinterpret_cast<IDataObject *>(&browser);
    EXPECT_EQ(browser.FilterDataObject(data, data), S_FALSE);
    EXPECT_EQ(data, nullptr);
}

TEST(RestrictedWebBrowser, HostInformationIsOnlyGivenWithoutThe3DBorder)
{
    TRestrictedWebBrowser browser;
    EXPECT_TRUE(browser.Border3D());
    TDocHostUIInfo info{99, 99, 99};
    EXPECT_EQ(browser.GetHostInfo(info), E_NOTIMPL);
    EXPECT_EQ(info.cbSize, 99u);
    EXPECT_EQ(info.dwFlags, 99u);

    browser.SetBorder3D(false);
    EXPECT_EQ(browser.GetHostInfo(info), S_OK);
    EXPECT_EQ(info.cbSize, 12u);
    EXPECT_EQ(info.dwFlags, 0xCu);
    EXPECT_EQ(info.dwDoubleClick, DOCHOSTUIDBLCLK_DEFAULT);
}

TEST(RestrictedWebBrowser, NavigateWaitsForTheProcessWideNavigationLock)
{
    TRestrictedWebBrowser browser;
    std::atomic<bool> released{false};
    std::promise<void> locked;
    std::thread holder([&] {
        const std::lock_guard<std::mutex> lock(NavigationLock());
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        released = true;
    });
    locked.get_future().wait();
    browser.Navigate(u"about:blank"_s);
    EXPECT_TRUE(released);
    holder.join();
    ASSERT_TRUE(NavigationLock().try_lock()); // and it is let go afterwards
    NavigationLock().unlock();
}

} // namespace
