#include "WebPages.h"

#include "HtmlText.h"

using namespace Qt::StringLiterals;
using HtmlText::Escape;
using HtmlText::MemberText;

namespace {

const QString Style = uR"(
*{box-sizing:border-box}
body{margin:0;background:#f3f5f8;color:#222;font:14px/1.6 "Microsoft YaHei","WenQuanYi Micro Hei","PingFang SC",sans-serif}
a{color:#1f5fa8;text-decoration:none}a:hover{text-decoration:underline}
header{background:linear-gradient(90deg,#17406d,#2c6cb0);color:#fff;padding:0 24px}
header .bar{max-width:980px;margin:0 auto;display:flex;align-items:center;height:52px;gap:22px}
header .brand{font-size:19px;font-weight:bold;color:#fff;margin-right:12px}
header nav a{color:#dce8f7;font-size:14px}header nav a.on{color:#fff;font-weight:bold}
header nav{display:flex;gap:18px;flex-wrap:wrap}
main{max-width:980px;margin:22px auto;padding:0 16px}
.card{background:#fff;border:1px solid #dfe4ea;border-radius:6px;padding:18px 22px;margin-bottom:16px}
h1{font-size:21px;margin:0 0 10px}h2{font-size:16px;margin:0 0 12px;color:#444}
table.list{width:100%;border-collapse:collapse}
table.list th{text-align:left;font-weight:normal;color:#777;border-bottom:2px solid #e6eaef;padding:6px 8px;font-size:13px}
table.list td{border-bottom:1px solid #eef1f4;padding:8px;vertical-align:top}
table.list tr:hover td{background:#f8fafc}
.tag{display:inline-block;background:#e8f0fa;color:#2c5f97;border-radius:3px;padding:0 7px;font-size:12px;white-space:nowrap}
.muted{color:#888;font-size:12px}.num{text-align:center;white-space:nowrap}
.marks{color:#c0392b;font-weight:bold}
.meta{color:#777;font-size:13px;margin-bottom:14px;display:flex;gap:16px;flex-wrap:wrap}
.content{font-size:15px;line-height:1.75;word-wrap:break-word;overflow-wrap:anywhere}
.answer{border-top:1px solid #eef1f4;padding:14px 0}.answer:first-of-type{border-top:0}
.answer .who{font-weight:bold;color:#2c5f97}.floor{float:right;color:#aaa;font-size:12px}
.empty{color:#888;text-align:center;padding:28px 0}
.tabs{display:flex;gap:8px;margin-bottom:14px}
.tabs a{padding:4px 14px;border-radius:14px;background:#eef2f7;color:#456}.tabs a.on{background:#2c6cb0;color:#fff}
form .row{display:flex;align-items:center;margin:10px 0}
form label{width:96px;color:#555}
form input,form select{width:260px;padding:6px 8px;border:1px solid #c9d1da;border-radius:4px;font:inherit}
button{background:#2c6cb0;color:#fff;border:0;border-radius:4px;padding:7px 26px;font:inherit;cursor:pointer}
.errors{background:#fdecea;color:#a12a1f;border:1px solid #f5c6c0;border-radius:4px;padding:8px 14px;margin-bottom:10px}
.ok{background:#e9f7ef;color:#1e6b3a;border:1px solid #bfe5cc;border-radius:4px;padding:10px 14px}
footer{max-width:980px;margin:0 auto 30px;padding:0 16px;color:#999;font-size:12px;text-align:center}
)"_s;

struct TNavItem {
    QString Key;
    QString Href;
    QString Text;
};

// A question's title arrives escaped by the member's client; the page's own titles hold no entities.
QString Layout(const QString &title, const QString &active, const QString &body)
{
    static const QList<TNavItem> nav = {
        {u"ding"_s, u"/ask/QivQuestionlist.asp?leixing=ding"_s, u"推荐问题"_s},
        {u"new"_s, u"/ask/QivQuestionlist.asp?leixing=new"_s, u"最新问题"_s},
        {u"url"_s, u"/ask/QivShareURL.asp"_s, u"网址分享"_s},
        {u"file"_s, u"/ask/QivShareFile.asp"_s, u"文件共享"_s},
        {u"qq"_s, u"/ask/QQGroupLog.asp"_s, u"群黑名单"_s},
        {u"reg"_s, u"/users/reg.asp"_s, u"注册账号"_s},
    };
    QString links;
    for (const TNavItem &item : nav)
        links += u"<a href=\""_s + item.Href + (item.Key == active ? u"\" class=\"on\">"_s : u"\">"_s) + item.Text + u"</a>"_s;
    return u"<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>"_s
           + MemberText(title) + u" - Talvik问答知识库</title><style>"_s + Style + u"</style></head><body><header><div class=\"bar\">"
           "<a class=\"brand\" href=\"/\">Talvik问答知识库</a><nav>"_s + links + u"</nav></div></header><main>"_s + body
           + u"</main><footer>Talvik问答知识库 · 程序员的问答社区</footer></body></html>"_s;
}

QString Card(const QString &inner)
{
    return u"<section class=\"card\">"_s + inner + u"</section>"_s;
}

QString Empty(const QString &text)
{
    return u"<p class=\"empty\">"_s + text + u"</p>"_s;
}

QString QuestionLink(const TQuestion &q)
{
    return u"<a href=\"/ask/html/"_s + QString::number(q.Id) + u".html\">"_s + MemberText(q.Title) + u"</a>"_s;
}

QString QuestionRow(const TQuestion &q)
{
    return u"<tr><td><span class=\"tag\">"_s + Escape(q.TypeName) + u"</span></td><td>"_s + QuestionLink(q)
           + u"</td><td>"_s + Escape(q.NickName) + u"</td><td class=\"num\">"_s + QString::number(q.AnswerCount)
           + u"</td><td class=\"num marks\">"_s + QString::number(q.Marks) + u"</td><td class=\"muted\">"_s
           + Escape(q.Date.left(10)) + u"</td></tr>"_s;
}

QString Table(const QStringList &headings, const QString &rows)
{
    QString head;
    for (const QString &h : headings)
        head += u"<th>"_s + h + u"</th>"_s;
    return u"<table class=\"list\"><thead><tr>"_s + head + u"</tr></thead><tbody>"_s + rows + u"</tbody></table>"_s;
}

QString SizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + u" B"_s;
    if (bytes < 1024 * 1024)
        return QString::number(double(bytes) / 1024, 'f', 1) + u" KB"_s;
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + u" MB"_s;
}

QString Field(const WebPages::TRegisterForm &form, const QString &name, const QString &label, const QString &type)
{
    const QString value = type == u"password"_s ? QString() : Escape(form.Values.value(name));
    return u"<div class=\"row\"><label for=\""_s + name + u"\">"_s + label + u"</label><input id=\""_s + name
           + u"\" name=\""_s + name + u"\" type=\""_s + type + u"\" value=\""_s + value + u"\" maxlength=\"60\"></div>"_s;
}

} // namespace

QString WebPages::Home(int questionCount)
{
    return Layout(u"首页"_s, QString(),
                  Card(u"<h1>欢迎来到 Talvik问答知识库</h1><p>程序员互助的问答社区：提问、回答、分享网址。"
                       "社区里已经有 <b>%1</b> 个问题。</p><p><a href=\"/ask/QivQuestionlist.asp?leixing=ding\">看看推荐问题</a>"
                       " · <a href=\"/users/reg.asp\">注册一个账号</a>，然后在 Talvik 客户端里登录。</p>"_s
                           .arg(questionCount)));
}

QString WebPages::QuestionList(TQuestionListKind kind, const QList<TQuestion> &questions)
{
    const bool recommended = kind == TQuestionListKind::Recommended;
    const QString tabs = u"<div class=\"tabs\"><a href=\"/ask/QivQuestionlist.asp?leixing=ding\""_s
                         + (recommended ? u" class=\"on\""_s : QString()) + u">推荐问题</a>"
                         "<a href=\"/ask/QivQuestionlist.asp?leixing=new\""_s
                         + (recommended ? QString() : u" class=\"on\""_s) + u">最新问题</a></div>"_s;
    QString rows;
    for (const TQuestion &q : questions)
        rows += QuestionRow(q);
    const QString list = questions.isEmpty()
                             ? Empty(u"还没有问题。"_s)
                             : Table({u"分类"_s, u"标题"_s, u"提问者"_s, u"回答"_s, u"悬赏"_s, u"日期"_s}, rows);
    const QString title = recommended ? u"最新推荐问题"_s : u"最新问题"_s;
    return Layout(title, recommended ? u"ding"_s : u"new"_s, Card(u"<h1>"_s + title + u"</h1>"_s + tabs + list));
}

QString WebPages::Question(const TQuestion &q, const QList<TAnswer> &answers)
{
    QString meta = u"<div class=\"meta\"><span class=\"tag\">"_s + Escape(q.TypeName) + u"</span><span>提问者："_s
                   + Escape(q.NickName) + u"</span><span>时间："_s + Escape(q.Date) + u"</span><span>悬赏：<span class=\"marks\">"_s
                   + QString::number(q.Marks) + u"</span> 分</span></div>"_s;
    QString list;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const TAnswer &a = answers.at(i);
        list += u"<div class=\"answer\"><span class=\"floor\">#"_s + QString::number(i + 1) + u"</span><div><span class=\"who\">"_s
                + Escape(a.NickName) + u"</span> <span class=\"muted\">"_s + Escape(a.Date) + u"</span></div><div class=\"content\">"_s
                + MemberText(a.Content) + u"</div></div>"_s;
    }
    if (answers.isEmpty())
        list = Empty(u"还没有回答。在 Talvik 客户端中选中这个问题，点“我来回答”。"_s);
    return Layout(q.Title, QString(),
                  Card(u"<h1>"_s + MemberText(q.Title) + u"</h1>"_s + meta + u"<div class=\"content\">"_s
                       + MemberText(q.Content) + u"</div>"_s)
                      + Card(u"<h2>共 %1 个回答</h2>"_s.arg(answers.size()) + list));
}

QString WebPages::SharedUrls(const QList<TSharedUrl> &urls)
{
    QString rows;
    for (const TSharedUrl &u : urls) {
        rows += u"<tr><td><a href=\""_s + MemberText(u.Url) + u"\" rel=\"noopener noreferrer nofollow\" target=\"_blank\">"_s
                + MemberText(u.Title) + u"</a><div class=\"muted\">"_s + MemberText(u.Url) + u"</div></td><td>"_s
                + (u.TypeName.isEmpty() ? QString() : u"<span class=\"tag\">"_s + Escape(u.TypeName) + u"</span>"_s)
                + u"</td><td>"_s + Escape(u.NickName) + u"</td><td class=\"muted\">"_s + Escape(u.Date.left(10)) + u"</td></tr>"_s;
    }
    const QString list = urls.isEmpty() ? Empty(u"还没有人分享网址。"_s)
                                         : Table({u"网址"_s, u"分类"_s, u"分享者"_s, u"日期"_s}, rows);
    return Layout(u"网址分享"_s, u"url"_s, Card(u"<h1>网址分享</h1>"_s + list));
}

QString WebPages::SharedFiles(const QList<TSharedFile> &files)
{
    QString rows;
    for (const TSharedFile &f : files) {
        rows += u"<tr><td><a href=\"/ask/files/"_s + QString::number(f.Id) + u"\">"_s + Escape(f.FileName)
                + u"</a><div class=\"muted\">"_s + MemberText(f.Depict) + u"</div></td><td class=\"num\">"_s + SizeText(f.FileSize)
                + u"</td><td>"_s + Escape(f.User) + u"</td><td class=\"muted\">"_s + Escape(f.Date.left(10)) + u"</td></tr>"_s;
    }
    const QString list = files.isEmpty() ? Empty(u"还没有共享的文件。"_s)
                                         : Table({u"文件"_s, u"大小"_s, u"上传者"_s, u"日期"_s}, rows);
    return Layout(u"文件共享"_s, u"file"_s, Card(u"<h1>文件共享</h1>"_s + list));
}

QString WebPages::GroupLog(const QList<TReport> &reports)
{
    QString rows;
    for (const TReport &r : reports) {
        rows += u"<tr><td>"_s + MemberText(r.QQNum) + u"</td><td>"_s + MemberText(r.NickName) + u"</td><td>"_s
                + MemberText(r.Reason) + u"</td><td>"_s + Escape(r.Reporter) + u"</td><td class=\"muted\">"_s
                + MemberText(r.Date) + u"</td></tr>"_s;
    }
    const QString list = reports.isEmpty() ? Empty(u"黑名单是空的。"_s)
                                           : Table({u"QQ号"_s, u"昵称"_s, u"原因"_s, u"举报人"_s, u"日期"_s}, rows);
    return Layout(u"QQ群黑名单"_s, u"qq"_s, Card(u"<h1>QQ群黑名单</h1><p class=\"muted\">由版主举报的群成员。</p>"_s + list));
}

QString WebPages::Register(const TRegisterForm &form)
{
    QString errors;
    for (const QString &e : form.Errors)
        errors += u"<div>"_s + Escape(e) + u"</div>"_s;
    const QString sex = form.Values.value(u"sex"_s);
    QString options;
    for (const QString &s : {u"保密"_s, u"男"_s, u"女"_s})
        options += u"<option"_s + (s == sex ? u" selected"_s : QString()) + u">"_s + s + u"</option>"_s;
    return Layout(u"注册账号"_s, u"reg"_s,
                  Card(u"<h1>注册账号</h1>"_s + (errors.isEmpty() ? QString() : u"<div class=\"errors\">"_s + errors + u"</div>"_s)
                       + u"<form method=\"post\" action=\"/users/reg.asp\" accept-charset=\"utf-8\">"_s
                       + Field(form, u"username"_s, u"账号"_s, u"text"_s) + Field(form, u"nickname"_s, u"昵称"_s, u"text"_s)
                       + Field(form, u"password"_s, u"密码"_s, u"password"_s)
                       + Field(form, u"password2"_s, u"确认密码"_s, u"password"_s)
                       + Field(form, u"email"_s, u"邮箱"_s, u"email"_s)
                       + u"<div class=\"row\"><label for=\"sex\">性别</label><select id=\"sex\" name=\"sex\">"_s + options
                       + u"</select></div><div class=\"row\"><label></label><button type=\"submit\">注册</button></div></form>"
                         "<p class=\"muted\">账号 2–36 个字符（字母、数字、汉字、下划线），密码 6–36 个字符。</p>"_s));
}

QString WebPages::Registered(const QString &userName, const QString &nickName)
{
    return Layout(u"注册成功"_s, u"reg"_s,
                  Card(u"<h1>注册成功</h1><div class=\"ok\">欢迎你，"_s + Escape(nickName)
                       + u"！现在可以用账号 <b>"_s + Escape(userName) + u"</b> 在 Talvik 客户端里登录了。</div>"_s));
}

QString WebPages::SendPass(bool sent)
{
    const QString body = sent ? u"<div class=\"ok\">已收到你的请求。如果账号和邮箱相符，管理员会通过这个邮箱与你联系，帮你重设密码。</div>"_s
                              : u"<p>社区不保存你的密码，只能由管理员重设。填写账号和注册时的邮箱，管理员核对后会与你联系。</p>"
                                "<form method=\"post\" action=\"/users/sendpass.asp\" accept-charset=\"utf-8\">"
                                "<div class=\"row\"><label for=\"username\">账号</label><input id=\"username\" name=\"username\" maxlength=\"60\"></div>"
                                "<div class=\"row\"><label for=\"email\">邮箱</label><input id=\"email\" name=\"email\" type=\"email\" maxlength=\"60\"></div>"
                                "<div class=\"row\"><label></label><button type=\"submit\">提交</button></div></form>"_s;
    return Layout(u"找回密码"_s, QString(), Card(u"<h1>找回密码</h1>"_s + body));
}

QString WebPages::Forum()
{
    return Layout(u"论坛"_s, QString(),
                  Card(u"<h1>Talvik 论坛</h1><p>论坛正在筹备中。讨论问题请先到 "
                       "<a href=\"/ask/QivQuestionlist.asp?leixing=ding\">问答区</a>。</p>"_s));
}

QString WebPages::Banner(bool login)
{
    const QString height = login ? u"75px"_s : u"90px"_s;
    return u"<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>Talvik</title><style>"
           "html,body{margin:0;height:"_s + height + u";overflow:hidden}"
           "body{background:linear-gradient(100deg,#123a66 0%,#2c6cb0 60%,#4c93d9 100%);color:#fff;"
           "font-family:\"Microsoft YaHei\",\"WenQuanYi Micro Hei\",sans-serif;display:flex;align-items:center;padding:0 18px}"
           ".logo{font-size:24px;font-weight:bold;letter-spacing:1px;text-shadow:0 1px 2px rgba(0,0,0,.35)}"
           ".sub{font-size:12px;color:#d6e6f7;margin-top:3px}"
           ".mark{margin-left:auto;font-size:34px;font-weight:bold;color:rgba(255,255,255,.18)}"
           "</style></head><body><div><div class=\"logo\">Talvik问答知识库</div>"
           "<div class=\"sub\">程序员的问答社区 · 提问 · 回答 · 分享</div></div><div class=\"mark\">Q&amp;A</div></body></html>"_s;
}

QString WebPages::Message(const QString &title, const QString &text)
{
    return Layout(title, QString(), Card(u"<h1>"_s + Escape(title) + u"</h1><p>"_s + Escape(text) + u"</p>"_s));
}
