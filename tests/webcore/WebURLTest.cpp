#include "TestSupport.h"
#include "WebURLUnit.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(WebURLTest, AddressesFollowTheConfiguredBases)
{
    TTempProgramDir dir;
    dir.Write(u"Config.dat"_s, "[web]\naskweburl=http://ask.test/\nMainWebURL=http://main.test/\n");
    const TWebURL url;
    const std::pair<QString, QString> cases[] = {
        {url.DingQuestionURL(), u"http://ask.test/QivQuestionlist.asp?leixing=ding"_s},
        {url.URLShare(), u"http://ask.test/QivShareURL.asp"_s},
        {url.FileShare(), u"http://ask.test/QivShareFile.asp"_s},
        {url.QQGroupLogURL(), u"http://ask.test/QQGroupLog.asp"_s},
        {url.QuestionHtml(u"q12.html"_s), u"http://ask.test/html/q12.html"_s},
        {url.QuestionHtml(QString()), u"http://ask.test/html/"_s},
        {url.RegURL(), u"http://main.test/users/reg.asp"_s},
        {url.FindPasswordURL(), u"http://main.test/users/sendpass.asp"_s},
        {url.LoginBannerURL(), u"http://main.test/adfile/loginbanner.swf"_s},
        {url.MainBannerURL(), u"http://main.test/adfile/Mainbanner.swf"_s},
        {url.BBSWebURL(), u"http://127.0.0.1:24681/bbs/"_s},
    };
    for (const auto &[actual, expected] : cases)
        EXPECT_EQ(actual, expected);
}

TEST(WebURLTest, WithoutSettingsTheBundledServerIsUsed)
{
    TTempProgramDir dir;
    const TWebURL url;
    EXPECT_EQ(url.AskWebURL(), u"http://127.0.0.1:24681/ask/"_s);
    EXPECT_EQ(url.MainWebURL(), u"http://127.0.0.1:24681/"_s);
    EXPECT_TRUE(url.SendIdeaURL().startsWith(u"mailto:"_s));
}

} // namespace
