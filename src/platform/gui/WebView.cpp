#include "WebView.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QVBoxLayout>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

void PrepareWebEngine()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit")) {
        flags += " --renderer-process-limit=1";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    }
#ifdef Q_OS_UNIX
    // Chromium refuses to start its sandbox as root; without this the engine aborts.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

namespace {

QString JsString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

} // namespace

// ---- WebDocument

WebDocument::WebDocument(QWebEnginePage *Page) : FPage(Page) {}

void WebDocument::RunScript(const QString &Script, TScriptResult Done) const
{
    if (FPage.isNull()) {
        if (Done)
            Done(QVariant());
        return;
    }
    if (Done)
        FPage->runJavaScript(Script, QWebEngineScript::ApplicationWorld,
                             [done = std::move(Done)](const QVariant &result) { done(result); });
    else
        FPage->runJavaScript(Script, QWebEngineScript::ApplicationWorld);
}

void WebDocument::SetBodyScroll(const QString &Value) const
{
    RunScript(uR"((function (v) {
        var b = document.body;
        if (!b) return;
        b.setAttribute('scroll', v);
        var o = v === 'no' ? 'hidden' : v === 'yes' ? 'scroll' : '';
        b.style.overflow = o;
        document.documentElement.style.overflow = o;
    })()"_s % JsString(Value) % u")"_s);
}

void WebDocument::SetBodyStyle(const QString &Name, const QString &Value) const
{
    RunScript(u"if (document.body) document.body.style.setProperty("_s % JsString(Name) % u", "_s
              % JsString(Value) % u")"_s);
}

void WebDocument::AppendBodyHtml(const QString &Html, TScriptFailure Failed) const
{
    RunScript(uR"((function (h) {
        try {
            var d = document.createElement('div');
            d.innerHTML = h;
            document.body.appendChild(d);
            return '';
        }
        catch (e) { return String(e && e.message || e); }
    })()"_s % JsString(Html) % u")"_s,
              [failed = std::move(Failed)](const QVariant &result) {
                  if (!result.isValid())
                      failed(u"no document to write to"_s);
                  else if (!result.toString().isEmpty())
                      failed(result.toString());
              });
}

// ---- the engine's page and view, answering through their WebView

class WebEnginePage : public QWebEnginePage {
public:
    WebEnginePage(WebView *Owner) : QWebEnginePage(Owner), FOwner(Owner) {}

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        return FOwner->AcceptNavigation(url, type == NavigationTypeFormSubmitted, isMainFrame);
    }
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override
    {
        if (!FOwner->Silent())
            QWebEnginePage::javaScriptAlert(securityOrigin, msg);
    }
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override
    {
        return !FOwner->Silent() && QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
    }
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                          const QString &defaultValue, QString *result) override
    {
        return !FOwner->Silent()
               && QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override
    {
        if (!FOwner->Silent())
            QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
    }
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

private:
    WebView *FOwner;
};

class WebEngineView : public QWebEngineView {
public:
    WebEngineView(WebView *Owner) : QWebEngineView(Owner), FOwner(Owner) {}

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (!FOwner->HostShowsContextMenu(event->globalPos()))
            QWebEngineView::contextMenuEvent(event);
    }

private:
    WebView *FOwner;
};

// ---- WebView

WebView::WebView(QWidget *Parent) : QWidget(Parent)
{
    FView = new WebEngineView(this);
    FPage = new WebEnginePage(this);
    FView->setPage(FPage);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FView);

    connect(FPage, &QWebEnginePage::loadStarted, this, &WebView::LoadStarted);
    connect(FPage, &QWebEnginePage::loadProgress, this, &WebView::LoadProgress);
    connect(FPage, &QWebEnginePage::loadFinished, this, &WebView::LoadFinished);
}

WebView::~WebView()
{
    // The page goes before its view: the engine expects a page never to outlive the view it shows in.
    delete FPage;
}

void WebView::Navigate(const QString &URL, const QVariant &, const QVariant &,
                       const QVariant &PostData, const QVariant &Headers)
{
    QWebEngineHttpRequest request(QUrl::fromUserInput(URL));
    const QByteArray post = PostData.toByteArray();
    if (!post.isEmpty()) {
        request.setMethod(QWebEngineHttpRequest::Post);
        request.setPostData(post);
    }
    for (const QString &line : Headers.toString().split(u"\r\n"_s, Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0)
            request.setHeader(line.left(colon).trimmed().toUtf8(),
                              line.mid(colon + 1).trimmed().toUtf8());
    }
    FPage->load(request);
}

void WebView::Refresh()
{
    FPage->triggerAction(QWebEnginePage::Reload);
}

QString WebView::LocationURL() const
{
    return FPage->url().toString();
}

WebDocument WebView::Document() const
{
    return WebDocument(FPage);
}

bool WebView::ContextMenuEnabled() const
{
    return FView->contextMenuPolicy() != Qt::NoContextMenu;
}

void WebView::SetContextMenuEnabled(bool Value)
{
    FView->setContextMenuPolicy(Value ? Qt::DefaultContextMenu : Qt::NoContextMenu);
}

bool WebView::ContainsTarget(const QObject *Target) const
{
    for (const QObject *o = Target; o; o = o->parent())
        if (o == this)
            return true;
    return false;
}

namespace {

// The host's policy for an action on a URL: allowed, refused, or no answer (the engine's default).
// Only URLPOLICY_ALLOW allows: the engine has no way to put a query to the member.
std::optional<bool> HostPolicy(IServiceProvider *provider, const QString &url, DWORD action)
{
    void *object = nullptr;
    if (!provider
        || provider->QueryService(IID_IInternetSecurityManager, IID_IInternetSecurityManager, object)
               != S_OK
        || !object)
        return std::nullopt;
    DWORD policy = URLPOLICY_DISALLOW;
    if (static_cast<IInternetSecurityManager *>(object)->ProcessUrlAction(
            url, action, &policy, sizeof policy, nullptr, 0, 0, 0)
        != S_OK)
        return std::nullopt;
    return (policy & URLPOLICY_MASK_PERMISSIONS) == URLPOLICY_ALLOW;
}

} // namespace

bool WebView::AcceptNavigation(const QUrl &Url, bool IsFormSubmission, bool IsMainFrame)
{
    const QString target = Url.toString();
    // An action without an answer (nullopt) is left to the engine, so only an explicit refusal refuses.
    if (IsFormSubmission
        && (HostPolicy(FServiceProvider, LocationURL(), URLACTION_HTML_SUBMIT_FORMS_FROM) == false
            || HostPolicy(FServiceProvider, target, URLACTION_HTML_SUBMIT_FORMS_TO) == false))
        return false;
    if (IsMainFrame) {
        QWebEngineSettings *settings = FPage->settings();
        const auto apply = [&](QWebEngineSettings::WebAttribute attribute, DWORD action) {
            if (const std::optional<bool> allowed = HostPolicy(FServiceProvider, target, action))
                settings->setAttribute(attribute, *allowed);
            else
                settings->resetAttribute(attribute);
        };
        apply(QWebEngineSettings::JavascriptEnabled, URLACTION_SCRIPT_RUN);
        apply(QWebEngineSettings::PluginsEnabled, URLACTION_ACTIVEX_RUN);
        apply(QWebEngineSettings::LocalContentCanAccessRemoteUrls, URLACTION_CROSS_DOMAIN_DATA);
    }
    return true;
}

bool WebView::HostShowsContextMenu(const QPoint &Pos) const
{
    return FUIHandler && FUIHandler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &Pos, nullptr, nullptr) == S_OK;
}

void WebView::LoadStarted()
{
    LoadProgress(0);
}

void WebView::LoadProgress(int Progress)
{
    FLastProgress = Progress;
    Raise(FOnProgressChange, this, Progress, 100);
}

void WebView::LoadFinished(bool Ok)
{
    // A load that ends without reporting its last percent (a refusal, an error page) has still ended.
    if (FLastProgress != 100)
        LoadProgress(100);
    if (!Ok)
        return;
    ApplyHostInfo();
    Raise(FOnDocumentComplete, this, LocationURL());
}

void WebView::ApplyHostInfo() const
{
    TDocHostUIInfo info;
    if (!FUIHandler || FUIHandler->GetHostInfo(info) != S_OK)
        return;
    if (info.dwFlags & DOCHOSTUIFLAG_SCROLL_NO)
        Document().SetBodyScroll(u"no"_s);
    if (info.dwFlags & DOCHOSTUIFLAG_NO3DBORDER)
        Document().SetBodyStyle(u"border"_s, u"none"_s);
}
