#include "WebURLUnit.h"

#include "uDataManage.h"

using namespace Qt::StringLiterals;

QString TWebURL::Setting(const QString &key, const QString &defaultValue) const
{
    const QString value = Config ? Config->ReadStrValue(u"Web"_s, key) : QString();
    return value.isEmpty() ? defaultValue : value;
}

QString TWebURL::AskWebURL() const { return Setting(u"AskWebURL"_s, u"http://127.0.0.1:24681/ask/"_s); }
QString TWebURL::MainWebURL() const { return Setting(u"MainWebURL"_s, u"http://127.0.0.1:24681/"_s); }
QString TWebURL::BBSWebURL() const { return Setting(u"BBSWebURL"_s, u"http://127.0.0.1:24681/bbs/"_s); }
QString TWebURL::SendIdeaURL() const { return Setting(u"SendIdeaURL"_s, u"mailto:feedback@talvik.invalid"_s); }

QString TWebURL::DingQuestionURL() const { return AskWebURL() + u"QivQuestionlist.asp?leixing=ding"_s; }
QString TWebURL::URLShare() const { return AskWebURL() + u"QivShareURL.asp"_s; }
QString TWebURL::FileShare() const { return AskWebURL() + u"QivShareFile.asp"_s; }
QString TWebURL::QQGroupLogURL() const { return AskWebURL() + u"QQGroupLog.asp"_s; }
QString TWebURL::QuestionHtml(const QString &AQuestionHtml) const { return AskWebURL() + u"html/"_s + AQuestionHtml; }
QString TWebURL::RegURL() const { return MainWebURL() + u"users/reg.asp"_s; }
QString TWebURL::FindPasswordURL() const { return MainWebURL() + u"users/sendpass.asp"_s; }
QString TWebURL::LoginBannerURL() const { return MainWebURL() + u"adfile/loginbanner.swf"_s; }
QString TWebURL::MainBannerURL() const { return MainWebURL() + u"adfile/Mainbanner.swf"_s; }
