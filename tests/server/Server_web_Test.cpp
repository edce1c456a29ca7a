#include "ServerHarness.h"

#include "JsonDataUnit.h"
#include "MeInfoUnit.h"
#include "ProtocolDownUserInfoUnit.h"
#include "ProtocolPostQuestionUnit.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
using TFields = QList<std::pair<QString, QString>>;

TFields Registration(const QString &user, const QString &nick, const QString &password, const QString &email)
{
    return {{u"username"_s, user},     {u"nickname"_s, nick}, {u"password"_s, password},
            {u"password2"_s, password}, {u"email"_s, email},  {u"sex"_s, u"女"_s}};
}

using WebTest = TSeededServerSuite;

TEST_F(WebTest, EveryAddressTheClientOpensIsAPage)
{
    const struct {
        QString Path;
        int Status;
        QString Marker;
    } cases[] = {
        {u"/ask/QivQuestionlist.asp?leixing=ding"_s, 200, u"最新推荐问题"_s},
        {u"/ask/QivQuestionlist.asp?leixing=new"_s, 200, u"href=\"/ask/html/300.html\""_s},
        {u"/ask/html/1.html"_s, 200, u"个回答"_s},
        {u"/ask/QivShareURL.asp"_s, 200, u"https://www.sqlite.org/docs.html"_s},
        {u"/ask/QivShareFile.asp"_s, 200, u"文件共享"_s},
        {u"/ask/QQGroupLog.asp"_s, 200, u"10000001"_s},
        {u"/users/reg.asp"_s, 200, u"<form method=\"post\""_s},
        {u"/users/sendpass.asp"_s, 200, u"找回密码"_s},
        {u"/adfile/loginbanner.swf"_s, 200, u"Talvik问答知识库"_s},
        {u"/adfile/Mainbanner.swf"_s, 200, u"Talvik问答知识库"_s},
        {u"/"_s, 200, u"300"_s},
        {u"/bbs/"_s, 200, u"论坛"_s},
        {u"/ask/html/999999.html"_s, 404, u"找不到问题"_s},
        {u"/no/such/page"_s, 404, u"找不到页面"_s},
    };
    for (const auto &c : cases) {
        const TServerProcess::THttpReply reply = Server->Get(c.Path);
        EXPECT_EQ(reply.Status, c.Status) << c.Path.toStdString();
        EXPECT_EQ(reply.ContentType, u"text/html; charset=utf-8"_s) << c.Path.toStdString();
        EXPECT_TRUE(QString::fromUtf8(reply.Body).contains(c.Marker)) << c.Path.toStdString();
    }
}

TEST_F(WebTest, RecommendedQuestionsLinkToTheirPages)
{
    const QString page = QString::fromUtf8(Server->Get(u"/ask/QivQuestionlist.asp?leixing=ding"_s).Body);
    const qsizetype at = page.indexOf(u"href=\"/ask/html/"_s);
    ASSERT_GE(at, 0);
    const QString target = page.mid(at + 6, page.indexOf(u'"', at + 6) - at - 6);
    EXPECT_EQ(Server->Get(target).Status, 200) << target.toStdString();
}

TEST_F(WebTest, AMemberRegisteredOnTheFormLogsInFromTheClient)
{
    const TServerProcess::THttpReply reply =
        Server->PostForm(u"/users/reg.asp"_s, Registration(u"新会员"_s, u"小新"_s, u"密码abc123"_s, u"new@example.invalid"_s));
    ASSERT_EQ(reply.Status, 200);
    EXPECT_TRUE(QString::fromUtf8(reply.Body).contains(u"注册成功"_s));

    TTestClient client;
    ASSERT_EQ(client.Login(Server->MessagePort(), u"新会员"_s, u"密码abc123"_s), 1000000);
    TProtocolDownUserInfo profile;
    profile.SetUserName(u"新会员"_s);
    client.Send(profile);
    const std::optional<QString> body = client.WaitFor(PROTOCOL_DOWNUSERINFO);
    ASSERT_TRUE(body);
    TMeInfo me;
    ASSERT_TRUE(ParseUserInfo(*body, &me));
    EXPECT_EQ(me.NickName(), u"小新"_s);
    EXPECT_EQ(me.Sex(), u"女"_s);
    EXPECT_FALSE(me.IsManage());
}

TEST_F(WebTest, RegistrationRefusesBadFormsAndShowsWhy)
{
    const struct {
        TFields Fields;
        QString Why;
    } cases[] = {
        {Registration(u"demo"_s, u"另一个"_s, u"secret1"_s, u"a@b.cn"_s), u"账号已经有人用了"_s},
        {Registration(u"fresh1"_s, u"演示用户"_s, u"secret1"_s, u"a@b.cn"_s), u"昵称已经有人用了"_s},
        {Registration(u"fresh2"_s, u"短密码"_s, u"12345"_s, u"a@b.cn"_s), u"密码要 6 到 36 个字符"_s},
        {Registration(u"has space"_s, u"空格"_s, u"secret1"_s, u"a@b.cn"_s), u"账号要 2 到 36 个字符"_s},
        // its upload folder would be "_.x", which member "_.x" already owns
        {Registration(u".x"_s, u"点开头"_s, u"secret1"_s, u"a@b.cn"_s), u"账号要 2 到 36 个字符"_s},
        {Registration(u"fresh3"_s, u"<b>粗</b>"_s, u"secret1"_s, u"a@b.cn"_s), u"昵称要 1 到 20 个字符"_s},
        {Registration(u"fresh4"_s, u"无邮箱"_s, u"secret1"_s, u"not-an-address"_s), u"请填写正确的邮箱"_s},
        {{{u"username"_s, u"fresh5"_s}, {u"nickname"_s, u"不一样"_s}, {u"password"_s, u"secret1"_s},
          {u"password2"_s, u"secret2"_s}, {u"email"_s, u"a@b.cn"_s}},
         u"两次输入的密码不一样"_s},
    };
    for (const auto &c : cases) {
        const TServerProcess::THttpReply reply = Server->PostForm(u"/users/reg.asp"_s, c.Fields);
        EXPECT_EQ(reply.Status, 400) << c.Why.toStdString();
        EXPECT_TRUE(QString::fromUtf8(reply.Body).contains(c.Why)) << c.Why.toStdString();
    }
    const QString page = QString::fromUtf8(
        Server->PostForm(u"/users/reg.asp"_s, Registration(u"\"><script>x()</script>"_s, u"n"_s, u"1"_s, u"e"_s)).Body);
    EXPECT_FALSE(page.contains(u"<script>x()"_s));
    EXPECT_TRUE(page.contains(u"&quot;&gt;&lt;script&gt;"_s));
}

TEST_F(WebTest, MembersMarkupIsShownNeverRun)
{
    TTestClient client;
    ASSERT_EQ(client.Login(Server->MessagePort(), u"demo"_s, u"demo123"_s), 1000000);
    TProtocolPostQuestion question; // a client that does not escape what it sends
    question.SetTitle(u"<script>alert(1)</script>&amp;标题"_s);
    question.SetContent(u"<img src=x onerror=alert(1)>第一行<br>\n&lt;b&gt;&nbsp;&#20013;<BR/>\"引号\""_s);
    question.SetClassification(65);
    client.Send(question);
    const std::optional<QString> verdict = client.WaitFor(PROTOCOL_POSTQUESTION);
    ASSERT_TRUE(verdict);
    QString url;
    int localId = 0, questionId = 0;
    ASSERT_TRUE(ParsePostQuestionResult(*verdict, url, localId, questionId));

    const QString page = QString::fromUtf8(Server->Get(u"/ask/html/"_s + url).Body);
    EXPECT_FALSE(page.contains(u"<script>alert"_s));
    EXPECT_FALSE(page.contains(u"<img"_s));
    EXPECT_TRUE(page.contains(u"&lt;script&gt;alert(1)&lt;/script&gt;&amp;标题"_s));
    EXPECT_TRUE(page.contains(u"<title>&lt;script&gt;alert(1)&lt;/script&gt;&amp;标题 - "_s)); // the tab reads as the heading
    EXPECT_TRUE(page.contains(u"&lt;img src=x onerror=alert(1)&gt;第一行<br>\n&lt;b&gt;&nbsp;&#20013;<BR/>&quot;引号&quot;"_s));
    const QString list = QString::fromUtf8(Server->Get(u"/ask/QivQuestionlist.asp?leixing=new"_s).Body);
    EXPECT_FALSE(list.contains(u"<script>alert"_s));
}

TEST_F(WebTest, PasswordHelpGivesTheSameAnswerForEveryAccount)
{
    const TServerProcess::THttpReply known =
        Server->PostForm(u"/users/sendpass.asp"_s, {{u"username"_s, u"demo"_s}, {u"email"_s, u"demo@talvik.invalid"_s}});
    const TServerProcess::THttpReply unknown =
        Server->PostForm(u"/users/sendpass.asp"_s, {{u"username"_s, u"nobody"_s}, {u"email"_s, u"x@y.cn"_s}});
    EXPECT_EQ(known.Status, 200);
    EXPECT_EQ(known.Body, unknown.Body);
}
} // namespace

namespace {
TEST_F(WebTest, APortInUseIsAnErrorNotAShare)
{
    QTemporaryDir dir;
    for (const QString &option : {u"--http"_s, u"--listen"_s}) {
        const quint16 taken = option == u"--http"_s ? Server->HttpPort() : Server->MessagePort();
        const QString other = option == u"--http"_s ? u"--listen"_s : u"--http"_s;
        QProcess second;
        second.start(TServerProcess::Executable(), {u"--data"_s, dir.path(), option, u"127.0.0.1:%1"_s.arg(taken), other,
                                                    u"127.0.0.1:0"_s});
        ASSERT_TRUE(second.waitForFinished(10000)) << option.toStdString();
        EXPECT_EQ(second.exitCode(), 1) << option.toStdString();
        EXPECT_TRUE(second.readAllStandardError().contains("cannot listen")) << option.toStdString();
    }
}
} // namespace
