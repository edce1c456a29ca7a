#include "uQivPanelWebBrowser.h"

#include "DebugOutput.h"
#include "uWebBrowserEmbed.h"

#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

void MakeWhite(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

TQivPanelWebBrowser::TQivPanelWebBrowser(QWidget *AOwner)
    : QFrame(AOwner), FCaption(u"正在加载,请稍候！"_s)
{
    setFrameShape(QFrame::NoFrame);
    MakeWhite(this);

    FBackGround = new QWidget(this);
    MakeWhite(FBackGround);
    FBackGround->setGeometry(0, 0, 0, height());

    FWebBrowser = new TWebBrowserEmbed(FBackGround);
    FWebBrowser->SetSilent(true);
    FWebBrowser->SetOnDocumentComplete([this](TObject *, const QString &) { DocumentComplete(); });
    FWebBrowser->SetOnProgressChange(
        [this](TObject *, int Progress, int ProgressMax) { ProgressChange(Progress, ProgressMax); });
    auto *layout = new QVBoxLayout(FBackGround);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FWebBrowser);

    FGauge = new QProgressBar(this);
    FGauge->setTextVisible(true);
    FGauge->setAlignment(Qt::AlignCenter);
    FGauge->setRange(0, 100);
    FGauge->setValue(0);
    FGauge->setStyleSheet(u"QProgressBar { background: yellow; border: 1px solid gray; }"
                          "QProgressBar::chunk { background: green; }"_s);
    FGauge->show();
}

TQivPanelWebBrowser::~TQivPanelWebBrowser()
{
    // Browser, gauge, inner panel: the browser goes while its parent still stands.
    delete FWebBrowser;
    delete FGauge;
    delete FBackGround;
}

void TQivPanelWebBrowser::Navigate(const QString &AURL)
{
    FBrowserShown = false;
    FBackGround->setGeometry(0, 0, 0, height());
    FWebBrowser->Navigate(AURL);
}

void TQivPanelWebBrowser::WriteHtml(const QString &AHtml)
{
    FWebBrowser->Doc2().AppendBodyHtml(
        AHtml, [](const QString &Message) { DebugOutput(u"WriteHtml:"_s + Message); });
}

void TQivPanelWebBrowser::RefreshWeb()
{
    FWebBrowser->Refresh();
}

QWidget *TQivPanelWebBrowser::WebHandle() const
{
    return FWebBrowser;
}

bool TQivPanelWebBrowser::IsWebTarget(const QObject *Target) const
{
    return FWebBrowser->ContainsTarget(Target);
}

bool TQivPanelWebBrowser::IsLoading() const
{
    return !FBrowserShown;
}

void TQivPanelWebBrowser::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    const int gaugeWidth = width() / 4;
    const int gaugeHeight = 15;
    FGauge->setGeometry((width() - gaugeWidth) / 2, (height() - gaugeHeight) / 2 + 20, gaugeWidth,
                        gaugeHeight);
    if (FBrowserShown)
        FillPanel();
    else
        FBackGround->setGeometry(0, 0, 0, height());
}

void TQivPanelWebBrowser::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawText(rect(), Qt::AlignCenter, FCaption);
}

void TQivPanelWebBrowser::ProgressChange(int Progress, int ProgressMax)
{
    FGauge->setMaximum(ProgressMax);
    FGauge->setValue(qBound(FGauge->minimum(), Progress, FGauge->maximum()));
    if (ProgressMax == FGauge->value()) {
        FBrowserShown = true;
        FillPanel();
    }
}

void TQivPanelWebBrowser::FillPanel()
{
    FBackGround->setGeometry(rect());
    FBackGround->raise();
}

void TQivPanelWebBrowser::DocumentComplete()
{
    // The document's own failures (no HTML body, say) are ignored by the document access itself.
    const WebDocument document = FWebBrowser->Doc2();
    if (!FIsScroll)
        document.SetBodyScroll(u"no"_s);
    if (!FIs3D) {
        document.SetBodyStyle(u"border"_s, u"none"_s);
        document.SetBodyStyle(u"margin"_s, u"0px"_s);
    }
}
