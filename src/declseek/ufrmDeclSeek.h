#pragma once

#include <QDialog>
#include <QSqlDatabase>

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWindow;

// The unit finder's window: tells in which source units a class or record, a function or a
// procedure is declared. It frees itself when closed.
class TfrmDeclSeek : public QDialog {
public:
    explicit TfrmDeclSeek(QWidget *Owner = nullptr);
    ~TfrmDeclSeek() override;

    // Keeps a window of a host that is not a Qt program as this window's owner.
    void SetForeignOwner(std::unique_ptr<QWindow> Owner);

    void btnSearchClick();
    void BtnCreateDataClick();
    void LbURLClick();
    QSqlDatabase GetConnection();
    void EnabledControl(bool ABool);

    QLabel *LbKeyWord;
    QLineEdit *EdtKeyWord;
    QLabel *LbType;
    QComboBox *CbbType;
    QPushButton *btnSearch;
    QGroupBox *RzGroupBox;
    QPlainTextEdit *mmoResult;
    QPushButton *BtnCreateData;
    QProgressBar *ProgressBar1;
    QLabel *LbURL;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void ShowError(const QString &Text);

    QString FConnectionName;
    std::unique_ptr<QWindow> FForeignOwner;
};

// The source tree the hidden build button indexes, where it exists.
inline const QString DeclSeekSourceRoot = QStringLiteral("C:\\Program Files\\Embarcadero\\RAD Studio\\7.0\\source");
// The community site shown and opened by LbURL.
inline const QString DeclSeekSiteAddress = QStringLiteral("http://127.0.0.1:24681/");
