#include "FileInfoUnit.h"

#include "ProgramDir.h"

using namespace Qt::StringLiterals;

TFileInfo *FileInfo = nullptr;

QString TFileInfo::AppPath() const { return ProgramDir::Path(); }
QString TFileInfo::ImagePath() const { return AppPath() + u"Images/"_s; }
QString TFileInfo::DataPath() const { return AppPath() + u"Data/"_s; }
QString TFileInfo::Log() const { return AppPath() + u"Log.Txt"_s; }
QString TFileInfo::HtmlPath() const { return AppPath() + u"Html/"_s; }
QString TFileInfo::NoticeHtml() const { return HtmlPath() + u"Notice.html"_s; }
QString TFileInfo::LeftFootHtml() const { return HtmlPath() + u"LeftFoot.html"_s; }
QString TFileInfo::CenterHtml() const { return HtmlPath() + u"Center.Html"_s; }
QString TFileInfo::SetupConfig() const { return AppPath() + u"Config.dat"_s; }
QString TFileInfo::CollectURLData() const { return DataPath() + u"CollectURL.dat"_s; }
QString TFileInfo::ImgAskQquestion() const { return ImagePath() + u"AskQquestion.bmp"_s; }
QString TFileInfo::ImgMyQuestion() const { return ImagePath() + u"MyQuestion.bmp"_s; }
QString TFileInfo::ImgMyAnswer() const { return ImagePath() + u"MyAnswer.bmp"_s; }
QString TFileInfo::ImgSolveQuestion() const { return ImagePath() + u"SolveQuestion.bmp"_s; }
QString TFileInfo::ImgWebHomePage() const { return ImagePath() + u"WebHomePage.bmp"_s; }
QString TFileInfo::ImgFileShare() const { return ImagePath() + u"ImgFileShare.bmp"_s; }
QString TFileInfo::ImgMyUserInfo() const { return ImagePath() + u"MyUserInfo.bmp"_s; }
QString TFileInfo::ImgHighMoneyQuestion() const { return ImagePath() + u"HighMoneyQuestion.bmp"_s; }
QString TFileInfo::ImgNoSolveQuestion() const { return ImagePath() + u"NoSolveQuestion.bmp"_s; }
QString TFileInfo::ImgMyEmail() const { return ImagePath() + u"MyEmail.bmp"_s; }
QString TFileInfo::ImgClose() const { return ImagePath() + u"Close.bmp"_s; }
QString TFileInfo::ImgHelp() const { return ImagePath() + u"Help.bmp"_s; }
QString TFileInfo::ImgNewInfo() const { return ImagePath() + u"NewInfo.bmp"_s; }
QString TFileInfo::ImgQuestionYes() const { return ImagePath() + u"QuestionYes.gif"_s; }
QString TFileInfo::ImgQuestionStop() const { return ImagePath() + u"QuestionStop.gif"_s; }
QString TFileInfo::ImgQuestionWait() const { return ImagePath() + u"QuestionWait.gif"_s; }
QString TFileInfo::ImgQuestionNo() const { return ImagePath() + u"QuestionNo.bmp"_s; }
