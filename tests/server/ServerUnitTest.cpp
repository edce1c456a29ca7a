#include "AnsiCodePage.h"
#include "HtmlText.h"
#include "Json.h"
#include "JsonDataUnit.h"
#include "PasswordHash.h"
#include "ServerOptions.h"
#include "Store.h"
#include "TransferConversation.h"
#include "WireText.h"
#include "md5.h"

#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
TEST(HtmlText, MemberTextKeepsTheClientsEscapesAndNothingElse)
{
    const struct {
        QString In, Out;
    } cases[] = {
        {u"a&amp;b&lt;c&gt;d&quot;e&nbsp;f<br>g"_s, u"a&amp;b&lt;c&gt;d&quot;e&nbsp;f<br>g"_s},
        {u"<BR>x<br/>y<br />"_s, u"<BR>x<br/>y<br />"_s},
        {u"&#20013;&#x4E2D;"_s, u"&#20013;&#x4E2D;"_s},
        {u"<script>alert(1)</script>"_s, u"&lt;script&gt;alert(1)&lt;/script&gt;"_s},
        {u"<img src=x onerror=alert(1)>"_s, u"&lt;img src=x onerror=alert(1)&gt;"_s},
        {u"\" onmouseover='x'"_s, u"&quot; onmouseover=&#39;x&#39;"_s},
        {u"&copy; & &amp &#; &#x;"_s, u"&amp;copy; &amp; &amp;amp &amp;#; &amp;#x;"_s},
        {u"<brx>"_s, u"&lt;brx&gt;"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HtmlText::MemberText(c.In), c.Out) << c.In.toStdString();
}

TEST(HtmlText, EscapeCoversElementsAndQuotedAttributes)
{
    EXPECT_EQ(HtmlText::Escape(u"<a href=\"x\">&'"_s), u"&lt;a href=&quot;x&quot;&gt;&amp;&#39;"_s);
}

// What the client makes of a frame: bytes read in its code page, then the envelope and body.
QString ClientReads(const QByteArray &frame)
{
    EXPECT_TRUE(frame.endsWith('\0'));
    int code = 0;
    QString body;
    EXPECT_TRUE(UnpackProtocol(AnsiCodePage::ToUnicode(frame.chopped(1)), code, body));
    return TJsonObject::Parse(body).GetStr(u"text"_s);
}

class WireTextModes : public testing::TestWithParam<bool> {};

TEST_P(WireTextModes, EveryTextReachesTheClientIntact)
{
    const TWireText wire(GetParam());
    for (const QString &text : {u"plain ascii / \\ \""_s, u"中文公告"_s, u"한글 ǹ 😀 €"_s, u"line\r\nbreak\ttab"_s}) {
        TJsonObject body;
        body.Put(u"text"_s, text);
        const QByteArray frame = wire.Frame(10006, body);
        EXPECT_EQ(frame.count('\0'), 1);
        EXPECT_EQ(ClientReads(frame), text) << text.toStdString();
        if (GetParam()) {
            EXPECT_TRUE(std::all_of(frame.begin(), frame.end(), [](char ch) { return uchar(ch) < 0x80; }));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, WireTextModes, testing::Values(false, true));

TEST(WireText, CodePageTextStaysRawWhereTheCodePageHasIt)
{
    TJsonObject body;
    body.Put(u"text"_s, u"中文"_s);
    EXPECT_TRUE(TWireText(false).Frame(10006, body).contains(AnsiCodePage::FromUnicode(u"中文"_s)));
}

TEST(PasswordHash, SaltedAndStretched)
{
    const QString digest = Md5Text(u"abc"_s, 16);
    const QString first = PasswordHash::Make(digest);
    EXPECT_NE(first, PasswordHash::Make(digest)) << "a fresh salt every time";
    EXPECT_FALSE(first.contains(digest));
    EXPECT_TRUE(PasswordHash::Matches(first, digest));
    EXPECT_TRUE(PasswordHash::Matches(first, digest.toUpper()));
    EXPECT_FALSE(PasswordHash::Matches(first, Md5Text(u"abd"_s, 16)));
    EXPECT_FALSE(PasswordHash::Matches(u"garbage"_s, digest));
    EXPECT_TRUE(PasswordHash::IsDigest(u"3cd24fb0d6963f7d"_s));
    EXPECT_FALSE(PasswordHash::IsDigest(u"3cd24fb0d6963f7"_s));
    EXPECT_FALSE(PasswordHash::IsDigest(u"3cd24fb0d6963f7g"_s));
}

TEST(ServerOptions, HostAndPort)
{
    const struct {
        QString Text;
        bool Ok;
        QString Host;
        quint16 Port;
    } cases[] = {{u"127.0.0.1:24680"_s, true, u"127.0.0.1"_s, 24680}, {u"[::1]:0"_s, true, u"::1"_s, 0},
                 {u"localhost:80"_s, true, u"127.0.0.1"_s, 80},       {u"127.0.0.1"_s, false, {}, 0},
                 {u"127.0.0.1:70000"_s, false, {}, 0},                {u":80"_s, false, {}, 0}};
    for (const auto &c : cases) {
        QString host;
        quint16 port = 1;
        EXPECT_EQ(SplitHostPort(c.Text, host, port), c.Ok) << c.Text.toStdString();
        if (c.Ok) {
            EXPECT_EQ(host, c.Host);
            EXPECT_EQ(port, c.Port);
        }
    }
    QString error;
    const std::optional<TServerOptions> defaults = ParseServerOptions({u"--data"_s, u"/tmp/x"_s}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->ListenPort, 24680);
    EXPECT_EQ(defaults->HttpPort, 24681);
    EXPECT_FALSE(ParseServerOptions({u"--listen"_s, u"127.0.0.1:1"_s}, error)) << "no data directory";
    EXPECT_FALSE(ParseServerOptions({u"--data"_s, u"d"_s, u"--seed"_s, u"other"_s}, error));
}

TEST(TransferConversation, FileNamesCannotLeaveTheUploadFolder)
{
    const struct {
        QString In, Out;
    } cases[] = {{u"notes.txt"_s, u"notes.txt"_s},         {u"C:\\dir\\a.zip"_s, u"a.zip"_s},
                 {u"../../etc/passwd"_s, u"passwd"_s},    {u".."_s, QString()},
                 {u".hidden"_s, u"_.hidden"_s},           {u"a?b*c:d"_s, u"a_b_c_d"_s}};
    for (const auto &c : cases)
        EXPECT_EQ(TTransferConversation::SafeName(c.In), c.Out) << c.In.toStdString();
}

TEST(TransferConversation, BytesAndLinesMaySplitAnywhere)
{
    QTemporaryDir dir;
    TTransferConversation::TEnvironment environment;
    environment.UploadDir = dir.path();
    environment.Allowed = [](const QString &user) { return user == u"lumo482"_s; };
    QString completed;
    environment.Completed = [&](const QString &, const QString &name, qint64 size) {
        completed = name + u':' + QString::number(size);
    };
    TTransferConversation conversation(environment);
    const QByteArray input = "{\"protocol\":1,\"data\":\"{\\\"user\\\":\\\"lumo482\\\"}\"}\r\n"
                             "{\"protocol\":3,\"data\":\"{\\\"filename\\\":\\\"a.txt\\\",\\\"filesize\\\":5}\"}\r\n"
                             "hello{\"protocol\":2,\"data\":\"\"}\r\n";
    QByteArray replies;
    for (const char ch : input) // one byte at a time
        replies += conversation.Feed(&ch, 1);
    EXPECT_EQ(replies.count("\r\n"), 3);
    EXPECT_TRUE(replies.contains("\"fileSize\":0"));
    EXPECT_TRUE(replies.contains("\"success\":true"));
    EXPECT_EQ(completed, u"a.txt:5"_s);
    QFile stored(TTransferConversation::StoredPath(dir.path(), u"lumo482"_s, u"a.txt"_s));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), QByteArray("hello"));
    EXPECT_FALSE(conversation.WantsClose());
    conversation.Feed("not json\r\n", 10);
    EXPECT_TRUE(conversation.WantsClose());
}
// A transaction whose commit fails is rolled back, so the store takes the next one.
TEST(Store, AFailedCommitLeavesNoTransactionOpen)
{
    QTemporaryDir dir;
    TStore store(dir.path());
    const QStringList names = QSqlDatabase::connectionNames();
    ASSERT_EQ(names.size(), 1);
    QSqlQuery(QSqlDatabase::database(names.first())).exec(u"PRAGMA defer_foreign_keys = ON"_s);
    TAnswer orphan; // of a question that does not exist: refused only at the commit
    orphan.QuestionId = 999;
    orphan.NickName = u"n"_s;
    orphan.Content = u"c"_s;
    EXPECT_THROW(store.InTransaction([&] { store.AddAnswer(orphan); }), EStoreError);
    EXPECT_NO_THROW(store.InTransaction([&] { store.AddNotice(u"t"_s, u"c"_s); }));
}

} // namespace
