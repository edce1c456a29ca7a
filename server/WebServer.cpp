#include "WebServer.h"

#include "PasswordHash.h"
#include "Publisher.h"
#include "ServerLog.h"
#include "TransferConversation.h"
#include "WebPages.h"
#include "md5.h"

#include <httplib.h>
#include <sys/socket.h>

#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <fstream>

using namespace Qt::StringLiterals;

namespace {
constexpr int ListLimit = 100;

const char *HtmlType = "text/html; charset=utf-8";

void SendHtml(httplib::Response &res, const QString &html, int status = 200)
{
    res.status = status;
    const QByteArray bytes = html.toUtf8();
    res.set_content(bytes.constData(), size_t(bytes.size()), HtmlType);
}

QString Param(const httplib::Request &req, const char *name)
{
    return QString::fromStdString(req.get_param_value(name)).trimmed();
}

QMap<QString, QString> FormValues(const httplib::Request &req, std::initializer_list<const char *> names)
{
    QMap<QString, QString> values;
    for (const char *name : names)
        values.insert(QString::fromLatin1(name), QString::fromStdString(req.get_param_value(name)));
    return values;
}

bool IsUserNameChar(QChar ch)
{
    return ch.isLetterOrNumber() || ch == u'_' || ch == u'.' || ch == u'-';
}

bool IsPlainName(const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x20 || QStringView(u"<>&\"'\\").contains(ch))
            return false;
    }
    return true;
}

bool IsEmail(const QString &text)
{
    const qsizetype at = text.indexOf(u'@');
    return text.size() <= 60 && at > 0 && text.indexOf(u'.', at) > at + 1 && !text.endsWith(u'.')
           && !text.contains(u' ') && IsPlainName(text);
}

QStringList CheckForm(const QMap<QString, QString> &form)
{
    QStringList errors;
    const QString user = form.value(u"username"_s).trimmed();
    const QString nick = form.value(u"nickname"_s).trimmed();
    const QString password = form.value(u"password"_s);
    // A leading dot would share the upload folder of the name with "_" in front (SafeName).
    if (user.size() < 2 || user.size() > 36 || user.startsWith(u'.')
        || !std::all_of(user.begin(), user.end(), IsUserNameChar))
        errors << u"账号要 2 到 36 个字符，只能用字母、数字、汉字、下划线、点和减号。"_s;
    if (nick.isEmpty() || nick.size() > 20 || !IsPlainName(nick))
        errors << u"昵称要 1 到 20 个字符，不能含有 < > & \" ' \\。"_s;
    if (password.size() < 6 || password.size() > 36)
        errors << u"密码要 6 到 36 个字符。"_s;
    else if (password != form.value(u"password2"_s))
        errors << u"两次输入的密码不一样。"_s;
    if (!IsEmail(form.value(u"email"_s).trimmed()))
        errors << u"请填写正确的邮箱。"_s;
    return errors;
}
} // namespace

QStringList RegisterMember(TStore &store, const QMap<QString, QString> &form)
{
    QStringList errors = CheckForm(form);
    if (!errors.isEmpty())
        return errors;
    TMember member;
    member.UserName = form.value(u"username"_s).trimmed();
    member.NickName = form.value(u"nickname"_s).trimmed();
    member.Email = form.value(u"email"_s).trimmed();
    const QString sex = form.value(u"sex"_s);
    member.Sex = (sex == u"男"_s || sex == u"女"_s) ? sex : u"保密"_s;
    if (store.FindMember(member.UserName))
        return {u"这个账号已经有人用了，换一个吧。"_s};
    if (store.NickNameTaken(member.NickName))
        return {u"这个昵称已经有人用了，换一个吧。"_s};
    // The client logs in with this digest of the typed password, so that is what gets hashed.
    member.PassHash = PasswordHash::Make(Md5Text(form.value(u"password"_s), 16));
    store.AddMember(member);
    return {};
}

TWebServer::TWebServer(TStoreRunner store, TPublisher &publisher, QString uploadDir)
    : FStore(std::move(store)), FPublisher(publisher), FUploadDir(std::move(uploadDir)),
      FServer(std::make_unique<httplib::Server>())
{
    Routes();
}

TWebServer::~TWebServer()
{
    Stop();
}

quint16 TWebServer::Listen(const QString &host, quint16 port)
{
    const std::string address = host.toStdString();
    const int bound = port == 0 ? FServer->bind_to_any_port(address) : (FServer->bind_to_port(address, port) ? port : -1);
    if (bound <= 0)
        throw std::runtime_error("cannot listen for HTTP on " + address + ":" + std::to_string(port));
    FThread = std::thread([this] { FServer->listen_after_bind(); });
    return quint16(bound);
}

void TWebServer::Stop()
{
    FServer->stop();
    if (FThread.joinable())
        FThread.join();
}

void TWebServer::Routes()
{
    httplib::Server &s = *FServer;
    // The library's default adds SO_REUSEPORT, which lets a second server share a port that is in
    // use and take half of its requests; a port that is taken must make Listen fail instead.
    s.set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    s.set_payload_max_length(64 * 1024);
    s.set_logger([](const httplib::Request &req, const httplib::Response &res) {
        ServerLog::Line(u"%1 http %2 %3 %4 %5 bytes"_s.arg(QString::fromStdString(req.remote_addr),
                                                            QString::fromStdString(req.method),
                                                            QString::fromStdString(req.target))
                            .arg(res.status)
                            .arg(res.body.empty() ? res.content_length_ : res.body.size()));
    });
    s.set_post_routing_handler([](const httplib::Request &, httplib::Response &res) {
        res.set_header("X-Content-Type-Options", "nosniff");
        if (res.get_header_value("Content-Type").rfind("text/html", 0) == 0)
            res.set_header("Content-Security-Policy",
                           "default-src 'none'; style-src 'unsafe-inline'; img-src 'self' data:; form-action 'self'; "
                           "base-uri 'none'");
    });
    s.set_error_handler([](const httplib::Request &, httplib::Response &res) {
        if (res.body.empty() && res.content_length_ == 0)
            SendHtml(res, WebPages::Message(u"找不到页面"_s, u"这个地址上没有页面。"_s), res.status);
    });
    s.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr error) {
        QString what = u"unknown error"_s;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception &e) {
            what = QString::fromLocal8Bit(e.what());
        } catch (...) {
        }
        ServerLog::Line(u"http handler failed: "_s + what);
        SendHtml(res, WebPages::Message(u"出错了"_s, u"服务器暂时无法完成这个请求，请稍后再试。"_s), 500);
    });

    s.Get("/", [this](const httplib::Request &, httplib::Response &res) {
        int count = 0;
        FStore([&](TStore &store) { count = store.QuestionCount(); });
        SendHtml(res, WebPages::Home(count));
    });
    s.Get("/ask/?", [](const httplib::Request &, httplib::Response &res) {
        res.set_redirect("/ask/QivQuestionlist.asp?leixing=ding");
    });
    s.Get("/ask/QivQuestionlist.asp", [this](const httplib::Request &q, httplib::Response &r) { QuestionList(q, r); });
    s.Get(R"(/ask/html/(\d+)\.html)", [this](const httplib::Request &q, httplib::Response &r) { QuestionPage(q, r); });
    s.Get("/ask/QivShareURL.asp", [this](const httplib::Request &, httplib::Response &res) {
        QList<TSharedUrl> urls;
        FStore([&](TStore &store) { urls = store.SharedUrls(ListLimit); });
        SendHtml(res, WebPages::SharedUrls(urls));
    });
    s.Get("/ask/QivShareFile.asp", [this](const httplib::Request &, httplib::Response &res) {
        QList<TSharedFile> files;
        FStore([&](TStore &store) { files = store.SharedFiles(ListLimit); });
        SendHtml(res, WebPages::SharedFiles(files));
    });
    s.Get(R"(/ask/files/(\d+))", [this](const httplib::Request &q, httplib::Response &r) { SharedFileDownload(q, r); });
    s.Get("/ask/QQGroupLog.asp", [this](const httplib::Request &, httplib::Response &res) {
        QList<TReport> reports;
        FStore([&](TStore &store) { reports = store.Reports(ListLimit); });
        SendHtml(res, WebPages::GroupLog(reports));
    });
    s.Get("/users/reg.asp", [](const httplib::Request &, httplib::Response &res) {
        SendHtml(res, WebPages::Register({}));
    });
    s.Post("/users/reg.asp", [this](const httplib::Request &q, httplib::Response &r) { Register(q, r); });
    s.Get("/users/sendpass.asp", [](const httplib::Request &, httplib::Response &res) {
        SendHtml(res, WebPages::SendPass(false));
    });
    s.Post("/users/sendpass.asp", [this](const httplib::Request &q, httplib::Response &r) { SendPass(q, r); });
    s.Get("/adfile/loginbanner.swf", [](const httplib::Request &, httplib::Response &res) {
        SendHtml(res, WebPages::Banner(true));
    });
    s.Get("/adfile/Mainbanner.swf", [](const httplib::Request &, httplib::Response &res) {
        SendHtml(res, WebPages::Banner(false));
    });
    s.Get("/bbs/?", [](const httplib::Request &, httplib::Response &res) { SendHtml(res, WebPages::Forum()); });
    s.Get(PublishedPath().toStdString(), [this](const httplib::Request &q, httplib::Response &r) { PublishedFile(q, r); });
}

void TWebServer::QuestionList(const httplib::Request &req, httplib::Response &res)
{
    const bool recommended = Param(req, "leixing") != u"new"_s;
    QList<TQuestion> questions;
    FStore([&](TStore &store) {
        questions = store.Questions(recommended, ListLimit);
        if (questions.isEmpty() && recommended) // nothing chosen yet: the newest stand in
            questions = store.Questions(false, ListLimit);
    });
    SendHtml(res, WebPages::QuestionList(recommended ? WebPages::TQuestionListKind::Recommended
                                                     : WebPages::TQuestionListKind::Latest,
                                         questions));
}

void TWebServer::QuestionPage(const httplib::Request &req, httplib::Response &res)
{
    const qint64 id = QString::fromStdString(req.matches[1]).toLongLong();
    std::optional<TQuestion> question;
    QList<TAnswer> answers;
    FStore([&](TStore &store) {
        question = store.Question(id);
        if (question)
            answers = store.Answers(id);
    });
    if (!question) {
        SendHtml(res, WebPages::Message(u"找不到问题"_s, u"这个问题不存在，或者已经被删除了。"_s), 404);
        return;
    }
    SendHtml(res, WebPages::Question(*question, answers));
}

void TWebServer::Register(const httplib::Request &req, httplib::Response &res)
{
    WebPages::TRegisterForm form;
    form.Values = FormValues(req, {"username", "nickname", "password", "password2", "email", "sex"});
    FStore([&](TStore &store) { form.Errors = RegisterMember(store, form.Values); });
    if (!form.Errors.isEmpty()) {
        SendHtml(res, WebPages::Register(form), 400);
        return;
    }
    ServerLog::Line(u"registered member "_s + form.Values.value(u"username"_s).trimmed());
    SendHtml(res, WebPages::Registered(form.Values.value(u"username"_s).trimmed(), form.Values.value(u"nickname"_s).trimmed()));
}

void TWebServer::SendPass(const httplib::Request &req, httplib::Response &res)
{
    const QString user = Param(req, "username").left(60);
    const QString email = Param(req, "email").left(60);
    FStore([&](TStore &store) {
        const std::optional<TMember> member = store.FindMember(user);
        if (member && member->Email.compare(email, Qt::CaseInsensitive) == 0)
            store.AddPasswordRequest(member->UserName, member->Email);
    });
    // The same answer either way, so the page tells no one which accounts exist.
    SendHtml(res, WebPages::SendPass(true));
}

void TWebServer::PublishedFile(const httplib::Request &, httplib::Response &res)
{
    const TPublishedFile published = FPublisher.Current();
    if (!published.Bytes) {
        res.status = 503;
        return;
    }
    res.set_header("ETag", QString(u"\""_s + published.Md5 + u"\""_s).toStdString());
    res.set_header("Cache-Control", "no-cache");
    res.set_content(published.Bytes->constData(), size_t(published.Bytes->size()), "application/octet-stream");
}

void TWebServer::SharedFileDownload(const httplib::Request &req, httplib::Response &res)
{
    const qint64 id = QString::fromStdString(req.matches[1]).toLongLong();
    std::optional<TSharedFile> file;
    FStore([&](TStore &store) { file = store.SharedFile(id); });
    const QString path = file ? TTransferConversation::StoredPath(FUploadDir, file->User, file->FileName) : QString();
    auto stream = std::make_shared<std::ifstream>(path.toStdString(), std::ios::binary);
    const qint64 size = QFileInfo(path).size();
    if (!file || !*stream) {
        SendHtml(res, WebPages::Message(u"找不到文件"_s, u"这个文件不存在。"_s), 404);
        return;
    }
    // Always a download, never a page: an uploaded file must not run as this site.
    res.set_header("Content-Disposition",
                   "attachment; filename*=UTF-8''" + QUrl::toPercentEncoding(file->FileName).toStdString());
    res.set_content_provider(size_t(size), "application/octet-stream",
                             [stream](size_t offset, size_t length, httplib::DataSink &sink) {
                                 std::vector<char> buffer(std::min<size_t>(length, 64 * 1024));
                                 stream->seekg(std::streamoff(offset));
                                 stream->read(buffer.data(), std::streamsize(buffer.size()));
                                 const std::streamsize got = stream->gcount();
                                 return got > 0 && sink.write(buffer.data(), size_t(got));
                             });
}
