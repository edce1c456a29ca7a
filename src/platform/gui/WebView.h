#pragma once

#include "TObject.h"
#include "WebHost.h"

#include <QByteArray>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

class QWebEnginePage;
class WebEnginePage;
class WebEngineView;

// Chromium reads its switches once, when the first view starts the engine: call this before the
// QApplication is created. All views then share one renderer process, and the engine shares its
// OpenGL context with the widgets as it requires.
void PrepareWebEngine();

// The document a view currently shows. Every access runs in the program's own script world,
// which works whether or not the page's scripts may run; results arrive later, on the UI thread.
class WebDocument {
public:
    using TScriptResult = std::function<void(const QVariant &Result)>;
    using TScriptFailure = std::function<void(const QString &Message)>;

    explicit WebDocument(QWebEnginePage *Page);

    bool IsValid() const { return !FPage.isNull(); }
    void RunScript(const QString &Script, TScriptResult Done = {}) const;
    // The body's `scroll` attribute ("yes", "no", "auto"): "no" also switches the scroll bars off.
    void SetBodyScroll(const QString &Value) const;
    void SetBodyStyle(const QString &Name, const QString &Value) const;
    // Appends below the body's content, as a block of its own so that inline text cannot run on
    // beside what is there and unclosed tags cannot swallow what comes later; a document without a
    // body reports why.
    void AppendBodyHtml(const QString &Html, TScriptFailure Failed) const;

private:
    QPointer<QWebEnginePage> FPage;
};

using TProgressChangeEvent = std::function<void(TObject *Sender, int Progress, int ProgressMax)>;
using TDocumentCompleteEvent = std::function<void(TObject *Sender, const QString &URL)>;

// The browser control: the engine's view behind the calls the system makes of it. Before each
// page it asks the host's security manager (found through the host's service query) whether
// scripts, plug-ins and cross-domain data are allowed, and asks again for every form submission;
// Java is never available. Progress is reported in percent, 0 to 100 of 100.
class WebView : public QWidget, public TObject {
    Q_OBJECT
    TALVIK_EVENT(TProgressChangeEvent, ProgressChange)
    TALVIK_EVENT(TDocumentCompleteEvent, DocumentComplete)

public:
    explicit WebView(QWidget *Parent = nullptr);
    ~WebView() override;

    // Flags and TargetFrameName have no counterpart in the engine; PostData makes the request a
    // POST, Headers are "Name: value" lines separated by CR LF.
    void Navigate(const QString &URL, const QVariant &Flags = {},
                  const QVariant &TargetFrameName = {}, const QVariant &PostData = {},
                  const QVariant &Headers = {});
    void Refresh();
    QString LocationURL() const;
    WebDocument Document() const;

    bool Silent() const { return FSilent; }
    void SetSilent(bool Value) { FSilent = Value; }
    bool ContextMenuEnabled() const;
    void SetContextMenuEnabled(bool Value);

    // True when Target is this control or one of the widgets the engine renders into.
    bool ContainsTarget(const QObject *Target) const;

    void SetServiceProvider(IServiceProvider *Provider) { FServiceProvider = Provider; }
    void SetUIHandler(IDocHostUIHandler *Handler) { FUIHandler = Handler; }

private:
    friend class WebEnginePage;
    friend class WebEngineView;

    bool AcceptNavigation(const QUrl &Url, bool IsFormSubmission, bool IsMainFrame);
    bool AllowsAction(const QString &Url, DWORD Action, bool Default) const;
    bool HostShowsContextMenu(const QPoint &Pos) const;
    void LoadStarted();
    void LoadProgress(int Progress);
    void LoadFinished(bool Ok);
    void ApplyHostInfo() const;

    WebEngineView *FView = nullptr;
    WebEnginePage *FPage = nullptr;
    IServiceProvider *FServiceProvider = nullptr;
    IDocHostUIHandler *FUIHandler = nullptr;
    bool FSilent = false;
    int FLastProgress = -1;
};
