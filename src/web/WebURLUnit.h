#pragma once

#include "TObject.h"

#include <QString>

// Every address of the community's web sites that the program opens. The three base addresses
// and the feedback mail address come from the section "Web" of "Config.dat", read afresh on every
// request; the defaults point at the bundled server on this machine.
class TWebURL : public TObject {
public:
    QString AskWebURL() const;
    QString MainWebURL() const;
    QString BBSWebURL() const;
    QString SendIdeaURL() const;

    QString DingQuestionURL() const;
    QString URLShare() const;
    QString FileShare() const;
    QString QQGroupLogURL() const;
    QString QuestionHtml(const QString &AQuestionHtml) const;
    QString RegURL() const;
    QString FindPasswordURL() const;
    QString LoginBannerURL() const;
    QString MainBannerURL() const;

private:
    QString Setting(const QString &key, const QString &defaultValue) const;
};
