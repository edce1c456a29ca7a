#include "WidgetHooks.h"

#include "MessageBox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

namespace {

QMessageBox::Icon ToQt(TMsgIcon icon)
{
    switch (icon) {
    case TMsgIcon::Information: return QMessageBox::Information;
    case TMsgIcon::Warning: return QMessageBox::Warning;
    case TMsgIcon::Error: return QMessageBox::Critical;
    case TMsgIcon::Question: return QMessageBox::Question;
    case TMsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

TMsgResult ShowBox(const TMessageBoxCall &call)
{
    QWidget *owner = qobject_cast<QWidget *>(call.Owner);
    if (!owner)
        owner = QApplication::activeWindow();
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (call.Buttons == TMsgButtons::YesNo)
        buttons = QMessageBox::Yes | QMessageBox::No;
    else if (call.Buttons == TMsgButtons::OKCancel)
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(ToQt(call.Icon), call.Caption, call.Text, buttons, owner);
    switch (box.exec()) {
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    case QMessageBox::Cancel: return TMsgResult::Cancel;
    default: return TMsgResult::OK;
    }
}

} // namespace

void InstallWidgetHooks()
{
    MessageBox::SetHandler(ShowBox);
    Shell::SetHandler([](const QString &address) { QDesktopServices::openUrl(QUrl(address)); });
}
