#include "MessageHandler.h"

#include "Json.h"
#include "JsonDataUnit.h"
#include "PasswordHash.h"
#include "ProtocolDataUnit.h"
#include "Publisher.h"
#include "ServerLog.h"
#include "Trim.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {
constexpr int MaxTitle = 512;      // the client allows 50 characters, which HTML escaping can multiply
constexpr int MaxContent = 20000;  // 2000 characters, escaped
constexpr int MaxShort = 200;
constexpr int NoticesAtLogin = 5;
constexpr qint64 MaxUpload = 0x7FFFFFFF; // what the transfer's 32-bit size can announce

QString PageName(qint64 questionId)
{
    return QString::number(questionId) + u".html"_s;
}

// "123.html" -> 123; anything else 0.
qint64 QuestionIdFromPage(const QString &page)
{
    QString name = QFileInfo(page).fileName();
    if (!name.endsWith(u".html"_s, Qt::CaseInsensitive))
        return 0;
    name.chop(5);
    return name.toLongLong();
}

bool IsWebAddress(const QString &url)
{
    return url.startsWith(u"http://"_s, Qt::CaseInsensitive) || url.startsWith(u"https://"_s, Qt::CaseInsensitive);
}

bool Fits(const QString &text, int maximum)
{
    return !text.isEmpty() && text.size() <= maximum;
}

TJsonObject SuccessBody(bool success)
{
    TJsonObject body;
    body.Put(u"success"_s, success);
    return body;
}

TJsonObject QuestionRecord(const TQuestion &q)
{
    TJsonObject record;
    record.Put(u"title"_s, q.Title);
    record.Put(u"classification"_s, q.TypeId);
    record.Put(u"url"_s, PageName(q.Id));
    record.Put(u"nickname"_s, q.NickName);
    record.Put(u"questionid"_s, q.Id);
    record.Put(u"date"_s, q.Date);
    return record;
}

TJsonObject ParseBody(const QString &text)
{
    TJsonObject body;
    if (!TJsonObject::TryParse(text, body))
        return TJsonObject();
    return body;
}
} // namespace

TMessageHandler::TMessageHandler(TStore &store, TPublisher &publisher, const TWireText &wire,
                                 std::function<QString(const TSessionLink &)> questionDataUrl)
    : FStore(store), FPublisher(publisher), FWire(wire), FQuestionDataUrl(std::move(questionDataUrl)),
      FLastNoticeId(store.LastNoticeId())
{
}

void TMessageHandler::HandleFrame(TSessionLink &link, const QByteArray &frame)
{
    const QString text = QString::fromUtf8(frame);
    int code = 0;
    QString bodyText;
    if (!UnpackProtocol(text, code, bodyText)) {
        ServerLog::Line(u"%1 dropped a frame that is not a message (%2 bytes)"_s.arg(link.Peer()).arg(frame.size()));
        return;
    }
    QElapsedTimer timer;
    timer.start();
    int version = 0;
    if (code == PROTOCOL_LOGIN)
        version = int(ParseBody(text).GetInt(u"version"_s));
    const QString outcome = Dispatch(link, code, bodyText, version);
    ServerLog::Line(u"%1 %2 %3 %4 (%5 ms)"_s.arg(link.Peer(), link.UserName.isEmpty() ? u"-"_s : link.UserName)
                        .arg(code)
                        .arg(outcome)
                        .arg(double(timer.nsecsElapsed()) / 1e6, 0, 'f', 2));
}

TMessageHandler::THandler TMessageHandler::HandlerFor(int code)
{
    switch (code) {
    case PROTOCOL_HEARTBEAT: return &TMessageHandler::Heartbeat;
    case PROTOCOL_DOWNUSERINFO: return &TMessageHandler::UserInfo;
    case PROTOCOL_POSTQUESTION: return &TMessageHandler::PostQuestion;
    case PROTOCOL_POSTQQUSER: return &TMessageHandler::PostQQUser;
    case PROTOCOL_POSTURL: return &TMessageHandler::PostURL;
    case PROTOCOL_NOTICE: return &TMessageHandler::DownNotice;
    case PROTOCOL_ANSWERQUESTION: return &TMessageHandler::AnswerQuestion;
    case PROTOCOL_UPLOADFILE: return &TMessageHandler::UploadFile;
    case PROTOCOL_MESSAGES: return &TMessageHandler::Messages;
    case PROTOCOL_CHAGEPWD: return &TMessageHandler::ChagePwd;
    default: return nullptr;
    }
}

bool TMessageHandler::HasSuccessReply(int code)
{
    switch (code) {
    case PROTOCOL_POSTQUESTION:
    case PROTOCOL_POSTQQUSER:
    case PROTOCOL_POSTURL:
    case PROTOCOL_ANSWERQUESTION:
    case PROTOCOL_UPLOADFILE:
    case PROTOCOL_CHAGEPWD:
        return true;
    default:
        return false;
    }
}

QString TMessageHandler::Dispatch(TSessionLink &link, int code, const QString &bodyText, int version)
{
    try {
        if (code == PROTOCOL_LOGIN)
            return Login(link, bodyText, version);
        const THandler handler = HandlerFor(code);
        if (!handler)
            return u"unknown code, ignored"_s;
        if (link.MemberId == 0 && code != PROTOCOL_HEARTBEAT) {
            if (HasSuccessReply(code))
                ReplySuccess(link, code, false);
            return u"refused: not logged in"_s;
        }
        return (this->*handler)(link, ParseBody(bodyText));
    } catch (const std::exception &error) {
        if (code == PROTOCOL_LOGIN) {
            TJsonObject body;
            body.Put(u"errorid"_s, int(LOGIN_MAINTENANCE));
            Reply(link, code, body);
        } else if (HasSuccessReply(code)) {
            ReplySuccess(link, code, false);
        }
        return u"failed: "_s + QString::fromLocal8Bit(error.what());
    }
}

void TMessageHandler::Reply(TSessionLink &link, int code, const TJsonObject &body)
{
    link.SendFrame(FWire.Frame(code, body));
}

void TMessageHandler::ReplySuccess(TSessionLink &link, int code, bool success)
{
    Reply(link, code, SuccessBody(success));
}

// A copy, because a send can close a connection that reads too slowly, which signs it out.
std::vector<TSessionLink *> TMessageHandler::Members() const
{
    std::vector<TSessionLink *> links;
    links.reserve(FLoggedIn.size());
    for (const auto &[memberId, link] : FLoggedIn)
        links.push_back(link);
    return links;
}

void TMessageHandler::Broadcast(int code, const TJsonObject &body)
{
    const QByteArray frame = FWire.Frame(code, body);
    for (TSessionLink *link : Members())
        link->SendFrame(frame);
}

int TMessageHandler::CheckLogin(const TSessionLink &link, const QString &userName, const QString &digest, int version,
                                std::optional<TMember> &member)
{
    if (version < FStore.Setting(u"min_version"_s, u"0"_s).toInt())
        return LOGIN_VERSION_TOO_OLD;
    if (FStore.Setting(u"maintenance"_s) == u"on"_s)
        return LOGIN_MAINTENANCE;
    member = userName.isEmpty() ? std::nullopt : FStore.FindMember(userName);
    if (!member)
        return LOGIN_WRONG_NAME;
    if (!PasswordHash::Matches(member->PassHash, digest))
        return LOGIN_WRONG_PASSWORD;
    if (member->Locked)
        return LOGIN_LOCKED;
    const auto other = FLoggedIn.find(member->Id);
    if (other != FLoggedIn.end() && other->second != &link)
        return LOGIN_ALREADY_IN;
    return LOGIN_OK;
}

QString TMessageHandler::Login(TSessionLink &link, const QString &bodyText, int version)
{
    const TJsonObject request = ParseBody(bodyText);
    std::optional<TMember> member;
    const int error = CheckLogin(link, Trim(request.GetStr(u"username"_s)), request.GetStr(u"userpass"_s), version, member);
    TJsonObject body;
    body.Put(u"errorid"_s, error);
    if (error == LOGIN_OK) {
        SignIn(link, *member);
        const TPublishedFile published = FPublisher.Current();
        body.Put(u"questiondatamd5"_s, published.Md5);
        body.Put(u"questiondataurl"_s, FQuestionDataUrl(link));
    } else {
        body.Put(u"questiondatamd5"_s, QString());
        body.Put(u"questiondataurl"_s, QString());
    }
    Reply(link, PROTOCOL_LOGIN, body);
    if (error == LOGIN_OK) {
        TJsonObject welcome;
        welcome.Put(u"title"_s, u"欢迎"_s);
        welcome.Put(u"content"_s, u"欢迎回来，"_s + link.NickName + u"！"_s);
        Reply(link, PROTOCOL_MESSAGES, welcome);
    }
    return u"errorid %1"_s.arg(error);
}

void TMessageHandler::SignIn(TSessionLink &link, const TMember &member)
{
    if (link.MemberId != 0 && link.MemberId != member.Id)
        SignOut(link);
    link.MemberId = member.Id;
    link.UserName = member.UserName;
    link.NickName = member.NickName;
    link.IsManage = member.IsManage;
    link.LastTime = member.LastLogin.isEmpty() ? member.Created : member.LastLogin;
    FLoggedIn[member.Id] = &link;
    FStore.RecordLogin(member.Id);
}

void TMessageHandler::SignOut(TSessionLink &link)
{
    const auto it = FLoggedIn.find(link.MemberId);
    if (it != FLoggedIn.end() && it->second == &link)
        FLoggedIn.erase(it);
    link.MemberId = 0;
}

void TMessageHandler::Closed(TSessionLink &link)
{
    if (link.MemberId != 0)
        SignOut(link);
}

QString TMessageHandler::Heartbeat(TSessionLink &link, const TJsonObject &)
{
    TJsonObject body;
    body.Put(u"time"_s, TStore::Now());
    Reply(link, PROTOCOL_HEARTBEAT, body);
    return u"ok"_s;
}

QString TMessageHandler::UserInfo(TSessionLink &link, const TJsonObject &)
{
    const std::optional<TMember> member = FStore.FindMemberById(link.MemberId);
    if (!member)
        return u"member gone"_s;
    TJsonObject info;
    info.Put(u"usergroup"_s, member->IsManage ? u"版主"_s : u"注册会员"_s);
    info.Put(u"id"_s, member->Id);
    info.Put(u"lasttime"_s, link.LastTime);
    info.Put(u"sex"_s, member->Sex);
    info.Put(u"username"_s, member->UserName);
    info.Put(u"jifen"_s, member->JiFen);
    info.Put(u"password"_s, QString()); // the store keeps only a hash, and that stays here
    info.Put(u"nickname"_s, member->NickName);
    info.Put(u"questiondataurl"_s, FQuestionDataUrl(link));
    info.Put(u"questiondatamd5"_s, FPublisher.Current().Md5);
    info.Put(u"mysystemset"_s, member->SystemSet);
    info.Put(u"ismanage"_s, member->IsManage);
    info.Put(u"usermail"_s, member->Email);
    TJsonObject body;
    body.Put(u"userinfo"_s, info);
    Reply(link, PROTOCOL_DOWNUSERINFO, body);
    return u"ok"_s;
}

QString TMessageHandler::PostQuestion(TSessionLink &link, const TJsonObject &request)
{
    TQuestion question;
    question.Title = Trim(request.GetStr(u"title"_s));
    question.Content = Trim(request.GetStr(u"content"_s));
    question.TypeId = int(request.GetInt(u"classification"_s));
    question.Marks = int(qBound(qint64(0), request.GetInt(u"marks"_s), qint64(1000)));
    question.NickName = link.NickName; // the author is who logged in, whatever the request says
    const bool valid = Fits(question.Title, MaxTitle) && Fits(question.Content, MaxContent)
                       && FStore.HasQuestionType(question.TypeId);
    if (valid) {
        FStore.InTransaction([&] {
            FStore.AddQuestion(question);
            FStore.AddPoints(link.MemberId, 5);
        });
    }
    TJsonObject body;
    body.Put(u"success"_s, valid);
    body.Put(u"url"_s, valid ? PageName(question.Id) : QString());
    body.Put(u"localid"_s, request.GetInt(u"localid"_s));
    body.Put(u"questionid"_s, question.Id);
    Reply(link, PROTOCOL_POSTQUESTION, body);
    if (!valid)
        return u"refused: title, content or classification"_s;

    TJsonObject notice;
    notice.Put(u"type"_s, 1);
    notice.Put(u"title"_s, question.Title);
    notice.Put(u"content"_s, QuestionRecord(question).ToText());
    Broadcast(PROTOCOL_NOTICE, notice);
    FPublisher.MarkDirty();
    return u"question %1"_s.arg(question.Id);
}

QString TMessageHandler::PostQQUser(TSessionLink &link, const TJsonObject &request)
{
    const std::optional<TMember> member = FStore.FindMemberById(link.MemberId);
    TReport report;
    report.Reporter = link.NickName;
    report.NickName = Trim(request.GetStr(u"nickname"_s));
    report.QQNum = Trim(request.GetStr(u"qqnum"_s));
    report.Reason = Trim(request.GetStr(u"reason"_s));
    report.Date = Trim(request.GetStr(u"date"_s)).left(MaxShort);
    const bool moderator = member && member->IsManage;
    const bool valid = moderator && Fits(report.QQNum, MaxShort) && report.NickName.size() <= MaxShort
                       && report.Reason.size() <= MaxContent;
    if (valid)
        FStore.AddReport(report);
    ReplySuccess(link, PROTOCOL_POSTQQUSER, valid);
    return !moderator ? u"refused: not a moderator"_s : valid ? u"reported %1"_s.arg(report.QQNum) : u"refused: fields"_s;
}

QString TMessageHandler::PostURL(TSessionLink &link, const TJsonObject &request)
{
    TSharedUrl url;
    url.NickName = link.NickName;
    url.Url = Trim(request.GetStr(u"url"_s));
    url.Title = Trim(request.GetStr(u"title"_s));
    url.Date = Trim(request.GetStr(u"date"_s)).left(MaxShort);
    url.TypeId = int(request.GetInt(u"classification"_s));
    // Only web addresses: the shared list turns them into links that other members click.
    const bool valid = Fits(url.Url, 2048) && IsWebAddress(url.Url) && Fits(url.Title, MaxTitle);
    if (valid)
        FStore.AddSharedUrl(url);
    ReplySuccess(link, PROTOCOL_POSTURL, valid);
    return valid ? u"shared %1"_s.arg(url.Id) : u"refused: address or title"_s;
}

void TMessageHandler::SendNotice(TSessionLink &link, const TNotice &notice)
{
    TJsonObject body;
    body.Put(u"type"_s, 0);
    body.Put(u"title"_s, notice.Title);
    body.Put(u"content"_s, notice.Content);
    Reply(link, PROTOCOL_NOTICE, body);
}

QString TMessageHandler::DownNotice(TSessionLink &link, const TJsonObject &)
{
    const QList<TNotice> notices = FStore.Notices(NoticesAtLogin);
    for (auto it = notices.crbegin(); it != notices.crend(); ++it)
        SendNotice(link, *it);
    return u"%1 notices"_s.arg(notices.size());
}

void TMessageHandler::BroadcastNewNotices()
{
    for (const TNotice &notice : FStore.NoticesAfter(FLastNoticeId)) {
        FLastNoticeId = notice.Id;
        const std::vector<TSessionLink *> members = Members();
        for (TSessionLink *link : members)
            SendNotice(*link, notice);
        ServerLog::Line(u"notice %1 sent to %2 members"_s.arg(notice.Id).arg(members.size()));
    }
}

QString TMessageHandler::AnswerQuestion(TSessionLink &link, const TJsonObject &request)
{
    const QString page = Trim(request.GetStr(u"url"_s));
    qint64 questionId = request.GetInt(u"questionid"_s);
    if (questionId <= 0)
        questionId = QuestionIdFromPage(page);
    TAnswer answer;
    answer.QuestionId = questionId;
    answer.NickName = link.NickName;
    answer.Content = Trim(request.GetStr(u"content"_s));
    const bool valid = Fits(answer.Content, MaxContent) && FStore.Question(questionId).has_value();
    if (valid) {
        FStore.InTransaction([&] {
            FStore.AddAnswer(answer);
            FStore.AddPoints(link.MemberId, 2);
        });
    }
    TJsonObject body;
    body.Put(u"success"_s, valid);
    // A refusal carries the address the request named, so it still reaches the waiting dialog.
    body.Put(u"url"_s, valid ? PageName(questionId) : page);
    Reply(link, PROTOCOL_ANSWERQUESTION, body);
    return valid ? u"answer %1 to %2"_s.arg(answer.Id).arg(questionId) : u"refused: content or question"_s;
}

QString TMessageHandler::UploadFile(TSessionLink &link, const TJsonObject &request)
{
    const QString fileName = QFileInfo(Trim(request.GetStr(u"filename"_s))).fileName();
    const qint64 size = request.GetInt(u"filesize"_s);
    QString guid = Trim(request.GetStr(u"guid"_s)).left(64);
    if (guid.isEmpty())
        guid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const bool valid = Fits(fileName, MaxShort) && size >= 0 && size <= MaxUpload;
    if (valid)
        FStore.AddFileRequest(link.UserName, fileName, size, Trim(request.GetStr(u"depict"_s)).left(MaxContent),
                              int(request.GetInt(u"classification"_s)));
    TJsonObject body;
    body.Put(u"success"_s, valid);
    body.Put(u"guid"_s, guid);
    body.Put(u"info"_s, valid ? u"请通过文件传输上传到本服务器"_s : u"文件名或大小不正确"_s);
    Reply(link, PROTOCOL_UPLOADFILE, body);
    return valid ? u"upload of %1 granted"_s.arg(fileName) : u"refused: name or size"_s;
}

QString TMessageHandler::Messages(TSessionLink &, const TJsonObject &)
{
    return u"ignored"_s;
}

QString TMessageHandler::ChagePwd(TSessionLink &link, const TJsonObject &request)
{
    const QString digest = Trim(request.GetStr(u"newpwd"_s));
    const bool self = Trim(request.GetStr(u"username"_s)).compare(link.UserName, Qt::CaseInsensitive) == 0;
    const bool valid = self && PasswordHash::IsDigest(digest) && FStore.SetPassHash(link.UserName, PasswordHash::Make(digest));
    ReplySuccess(link, PROTOCOL_CHAGEPWD, valid);
    return valid ? u"password changed"_s : u"refused"_s;
}
