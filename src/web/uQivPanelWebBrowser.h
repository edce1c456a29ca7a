#pragma once

#include "TObject.h"

#include <QFrame>
#include <QString>

class QProgressBar;
class TWebBrowserEmbed;

// The web panel every window uses for a site page. While a page loads the browser is hidden
// (its inner panel is 0 pixels wide) and the panel's caption and gauge show; once the progress
// reaches its maximum the browser covers the panel until the next Navigate.
class TQivPanelWebBrowser : public QFrame, public TObject {
    Q_OBJECT

public:
    explicit TQivPanelWebBrowser(QWidget *AOwner = nullptr);
    ~TQivPanelWebBrowser() override;

    void Navigate(const QString &AURL);
    void WriteHtml(const QString &AHtml);
    void RefreshWeb();

    bool Is3D() const { return FIs3D; }
    void SetIs3D(bool Value) { FIs3D = Value; }
    bool IsScroll() const { return FIsScroll; }
    void SetIsScroll(bool Value) { FIsScroll = Value; }
    QString Caption() const { return FCaption; }

    // The browser control: a mouse event is meant for it when IsWebTarget says so, since the
    // engine renders into child widgets of its own.
    QWidget *WebHandle() const;
    bool IsWebTarget(const QObject *Target) const;
    bool IsLoading() const;

    TWebBrowserEmbed *WebBrowser() const { return FWebBrowser; }
    QProgressBar *Gauge() const { return FGauge; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void ProgressChange(int Progress, int ProgressMax);
    void DocumentComplete();
    void FillPanel();

    QWidget *FBackGround = nullptr;
    TWebBrowserEmbed *FWebBrowser = nullptr;
    QProgressBar *FGauge = nullptr;
    bool FIs3D = true;
    bool FIsScroll = true;
    bool FBrowserShown = false;
    QString FCaption;
};
