#pragma once

#include "TObject.h"

#include <QString>

// Names of the settings file, the data, HTML and image directories and the page and picture
// files. Nothing here creates a directory.
class TFileInfo : public TObject {
public:
    QString AppPath() const;
    QString ImagePath() const;
    QString DataPath() const;
    QString Log() const;
    QString HtmlPath() const;
    QString NoticeHtml() const;
    QString LeftFootHtml() const;
    QString CenterHtml() const;
    QString SetupConfig() const;
    QString CollectURLData() const;
    QString ImgAskQquestion() const;
    QString ImgMyQuestion() const;
    QString ImgMyAnswer() const;
    QString ImgSolveQuestion() const;
    QString ImgWebHomePage() const;
    QString ImgFileShare() const;
    QString ImgMyUserInfo() const;
    QString ImgHighMoneyQuestion() const;
    QString ImgNoSolveQuestion() const;
    QString ImgMyEmail() const;
    QString ImgClose() const;
    QString ImgHelp() const;
    QString ImgNewInfo() const;
    QString ImgQuestionYes() const;
    QString ImgQuestionStop() const;
    QString ImgQuestionWait() const;
    QString ImgQuestionNo() const;
};

extern TFileInfo *FileInfo;
