#include "MessageBox.h"
#include "PubFuns.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct TTextCase {
    QString Input;
    QString Expected;
};

TEST(PubFunsTest, HtmlEncode)
{
    const TTextCase cases[] = {
        {u"two words"_s, u"two&nbsp;words"_s},
        {u"a\r\nb"_s, u"a<br>\nb"_s},
        {u"say \"hi\""_s, u"say&nbsp;&quot;hi&quot;"_s},
        {u"<b>&amp;</b>"_s, u"&lt;b&gt;&amp;amp;&lt;/b&gt;"_s},
        {u""_s, u""_s},
    };
    for (const TTextCase &c : cases)
        EXPECT_EQ(HtmlEncode(c.Input), c.Expected) << c.Input.toStdString();
}

TEST(PubFunsTest, TextToHtmlWithoutLinks)
{
    const TTextCase cases[] = {
        {u"a\rb"_s, u"a&nbsp;<br>b"_s},
        {u"say \"hi\""_s, u"say&nbsp;\"hi\""_s},
        {u"x<y & z>w"_s, u"x&lt;y&nbsp;&amp;&nbsp;z&gt;w"_s},
        {u"line\nfeed"_s, u"line\nfeed"_s},
    };
    for (const TTextCase &c : cases)
        EXPECT_EQ(TextToHtml(c.Input, false), c.Expected) << c.Input.toStdString();
}

TEST(PubFunsTest, TextToHtmlMakesLinksFromHttpAddressesOnly)
{
    const auto link = [](const QString &address) -> QString {
        return u"<a href=\""_s + address + u"\" target=\"_blank\"><font color=\"#0000ff\">"_s + address + u"</font></a>"_s;
    };
    const TTextCase cases[] = {
        {u"http://x.test/a"_s, link(u"http://x.test/a"_s)},
        {u"http://x.test/a b"_s, link(u"http://x.test/a"_s) + u"&nbsp;b"_s},
        {u"see HTTP://X.test\rnext"_s, u"see&nbsp;"_s + link(u"HTTP://X.test"_s) + u"&nbsp;<br>next"_s},
        {u"https://secure.test"_s, u"https://secure.test"_s},
        {u"http://a http://b"_s, link(u"http://a"_s) + u"&nbsp;"_s + link(u"http://b"_s)},
    };
    for (const TTextCase &c : cases)
        EXPECT_EQ(TextToHtml(c.Input, true), c.Expected) << c.Input.toStdString();
}

TEST(PubFunsTest, MessageHtmlWrapsTheNoticeUnchanged)
{
    EXPECT_EQ(MessageHtml(u"<b>停机</b>"_s),
              u"<HTML><HEAD><META name=GENERATOR content=\"MSHTML 8.00.7600.16700\"></HEAD>"
              u"<BODY><FONT color=#ff0000 face=宋体><SPAN style=\"FONT-SIZE: 12px\"><b>停机</b></SPAN></FONT></BODY></HTML>"_s);
}

TEST(PubFunsTest, SecondsToTimeStrShowsTheTimeOfDay)
{
    const std::pair<int, QString> cases[] = {
        {0, u"00:00:00"_s}, {3661, u"01:01:01"_s}, {90061, u"01:01:01"_s}, {-1, u"23:59:59"_s},
        {3725, u"01:02:05"_s}, {86399, u"23:59:59"_s},
    };
    for (const auto &[seconds, expected] : cases)
        EXPECT_EQ(SecondsToTimeStr(seconds), expected) << seconds;
}

TEST(PubFunsTest, ShellOpenGoesThroughTheShellHook)
{
    QString opened;
    Shell::SetHandler([&](const QString &address) { opened = address; });
    ShellOpen(u"mailto:someone@talvik.invalid"_s);
    Shell::SetHandler({});
    EXPECT_EQ(opened, u"mailto:someone@talvik.invalid"_s);
}

} // namespace
