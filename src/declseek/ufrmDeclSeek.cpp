#include "ufrmDeclSeek.h"

#include "DataLink.h"
#include "MessageBox.h"
#include "ProgramDir.h"
#include "Trim.h"
#include "UsesIndexUnit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {
const QString Caption = u"提示"_s;
}

TfrmDeclSeek::TfrmDeclSeek(QWidget *Owner)
    : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                         | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FConnectionName(u"DeclSeek.frmDeclSeek."_s + QString::number(quintptr(this), 16))
{
    setObjectName(u"frmDeclSeek"_s);
    setWindowTitle(u"对象所在单元搜索器"_s);
    setAttribute(Qt::WA_DeleteOnClose); // FormClose: close action "free"
    setFixedSize(386, 264);

    LbKeyWord = new QLabel(u"关键词："_s, this);
    LbKeyWord->setGeometry(8, 12, 52, 20);
    EdtKeyWord = new QLineEdit(this);
    EdtKeyWord->setGeometry(60, 10, 138, 24);
    LbType = new QLabel(u"类型："_s, this);
    LbType->setGeometry(208, 12, 40, 20);
    CbbType = new QComboBox(this);
    CbbType->addItems({u"全部"_s, u"类或记录"_s, u"函数"_s, u"过程"_s});
    CbbType->setCurrentIndex(0);
    CbbType->setGeometry(246, 10, 80, 24);
    btnSearch = new QPushButton(u"搜索"_s, this);
    btnSearch->setGeometry(332, 9, 48, 26);
    btnSearch->setDefault(true); // Enter in the keyword searches

    RzGroupBox = new QGroupBox(u"可能所在的单元"_s, this);
    RzGroupBox->setGeometry(5, 42, 375, 186);
    mmoResult = new QPlainTextEdit(RzGroupBox);
    mmoResult->setGeometry(8, 22, 359, 156);
    mmoResult->setReadOnly(true);
    QPalette tooltip = mmoResult->palette();
    tooltip.setColor(QPalette::Base, tooltip.color(QPalette::ToolTipBase));
    tooltip.setColor(QPalette::Text, tooltip.color(QPalette::ToolTipText));
    mmoResult->setPalette(tooltip);
    BtnCreateData = new QPushButton(u"生成"_s, RzGroupBox);
    BtnCreateData->setGeometry(8, 150, 60, 26);
    BtnCreateData->setAutoDefault(false);
    BtnCreateData->hide();
    ProgressBar1 = new QProgressBar(RzGroupBox);
    ProgressBar1->setGeometry(76, 154, 291, 18);
    ProgressBar1->hide();

    LbURL = new QLabel(u"Talvik "_s + DeclSeekSiteAddress, this);
    LbURL->setGeometry(8, 238, 300, 20);
    QPalette navy = LbURL->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    LbURL->setPalette(navy);
    QFont underlined = LbURL->font();
    underlined.setUnderline(true);
    LbURL->setFont(underlined);
    LbURL->setCursor(Qt::PointingHandCursor);
    LbURL->installEventFilter(this);

    setTabOrder(EdtKeyWord, CbbType);
    setTabOrder(CbbType, btnSearch);
    EdtKeyWord->setFocus();

    connect(btnSearch, &QPushButton::clicked, this, &TfrmDeclSeek::btnSearchClick);
    connect(BtnCreateData, &QPushButton::clicked, this, &TfrmDeclSeek::BtnCreateDataClick);

    if (const QScreen *display = screen()) // centred on the screen, not over the owner
        move(display->availableGeometry().center() - rect().center());
}

TfrmDeclSeek::~TfrmDeclSeek()
{
    DataLink::Close(FConnectionName);
}

void TfrmDeclSeek::SetForeignOwner(std::unique_ptr<QWindow> Owner)
{
    FForeignOwner = std::move(Owner);
    winId(); // the native window must exist to be given an owner
    if (QWindow *own = windowHandle())
        own->setTransientParent(FForeignOwner.get());
}

bool TfrmDeclSeek::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == LbURL && Event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
        LbURLClick();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TfrmDeclSeek::btnSearchClick()
{
    const QString keyWord = Trim(EdtKeyWord->text());
    if (keyWord.isEmpty()) {
        MessageBox::Show(u"请输入搜索的关键词！"_s, Caption, TMsgIcon::Error, TMsgButtons::OK, this);
        EdtKeyWord->setFocus();
        return;
    }
    mmoResult->clear();
    EnabledControl(false);
    QCoreApplication::processEvents();

    QSqlDatabase db = GetConnection();
    if (db.isOpen()) {
        try {
            const QStringList units =
                UsesIndex::Search(db, UsesIndex::TSearchType(CbbType->currentIndex()), keyWord);
            mmoResult->setPlainText(units.isEmpty() ? UsesIndex::NotFoundText : units.join(u'\n'));
        } catch (const std::exception &error) {
            ShowError(QString::fromUtf8(error.what()));
        }
    }
    EnabledControl(true);
}

void TfrmDeclSeek::BtnCreateDataClick()
{
    const QFileInfo root(DeclSeekSourceRoot);
    if (!root.isAbsolute() || !root.isDir())
        return;
    QStringList files;
    UsesIndex::CollectFiles(DeclSeekSourceRoot, u".pas"_s, files);
    ProgressBar1->setMaximum(files.size());
    QSqlDatabase db = GetConnection();
    if (!db.isOpen())
        return;
    try {
        const UsesIndex::TBuildResult result =
            UsesIndex::AddUnits(db, files, [this](int Done, int, const QString &) {
                ProgressBar1->setValue(Done);
                QCoreApplication::processEvents();
            });
        if (!result.Error.isEmpty())
            ShowError(result.FailedFile + u'\n' + result.Error);
    } catch (const std::exception &error) {
        ShowError(QString::fromUtf8(error.what()));
    }
}

void TfrmDeclSeek::LbURLClick()
{
    Shell::Open(DeclSeekSiteAddress);
}

QSqlDatabase TfrmDeclSeek::GetConnection()
{
    try { // reopened for every statement
        return DataLink::Open(ProgramDir::Path() + u"Uses.udl"_s, FConnectionName);
    } catch (const std::exception &error) {
        ShowError(QString::fromUtf8(error.what()));
        return {};
    }
}

void TfrmDeclSeek::EnabledControl(bool ABool)
{
    const QList<QWidget *> controls{LbKeyWord, EdtKeyWord, LbType, CbbType, mmoResult, btnSearch};
    for (QWidget *control : controls)
        control->setEnabled(ABool);
}

void TfrmDeclSeek::ShowError(const QString &Text)
{
    MessageBox::Show(u"出现了错误！\n"_s + Text, Caption, TMsgIcon::None, TMsgButtons::OK, this);
}
