#include "JsonDataUnit.h"
#include "ProtocolAnswerQuestionUnit.h"
#include "ProtocolChagePwdUnit.h"
#include "ProtocolDownNoticeUnit.h"
#include "ProtocolDownUserInfoUnit.h"
#include "ProtocolHeartbeatUnit.h"
#include "ProtocolLoginUnit.h"
#include "ProtocolPostQQUserUnit.h"
#include "ProtocolPostQuestionUnit.h"
#include "ProtocolPostURLUnit.h"
#include "ProtocolUploadFileUnit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

TEST(EnvelopeTest, ProfileRequestOfAliceIsByteExact)
{
    TProtocolDownUserInfo request;
    request.SetUserName(u"alice"_s);
    EXPECT_EQ(request.Data(), uR"({"version":1,"protocol":10002,"data":"{\"username\":\"alice\"}"})"_s);
}

TEST(EnvelopeTest, BodyIsEscapedASecondTimeInsideData)
{
    EXPECT_EQ(PackProtocol(10005, uR"({"url":"http:\/\/a","q":"x\"y"})"_s),
              uR"({"version":1,"protocol":10005,"data":"{\"url\":\"http:\\\/\\\/a\",\"q\":\"x\\\"y\"}"})"_s);
}

struct TRequestCase {
    const char *Name;
    std::function<std::unique_ptr<TBaseProtocolData>()> Make;
    int Code;
    QString Body; // exact, keys in wire order
};

class TRequestTest : public ::testing::TestWithParam<TRequestCase> {};

TEST_P(TRequestTest, DataIsTheEnvelopeAroundTheExactBody)
{
    const auto request = GetParam().Make();
    EXPECT_EQ(request->Protocol(), GetParam().Code);
    const QString data = request->Data();
    EXPECT_EQ(data, PackProtocol(GetParam().Code, GetParam().Body));
    int code = 0;
    QString body;
    ASSERT_TRUE(UnpackProtocol(data, code, body));
    EXPECT_EQ(code, GetParam().Code);
    EXPECT_EQ(body, GetParam().Body);
}

template <typename T>
std::function<std::unique_ptr<TBaseProtocolData>()> Filled(std::function<void(T &)> fill)
{
    return [fill] {
        auto request = std::make_unique<T>();
        fill(*request);
        return std::unique_ptr<TBaseProtocolData>(std::move(request));
    };
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, TRequestTest,
    ::testing::Values(
        TRequestCase{"Heartbeat", Filled<TProtocolHeartbeat>([](auto &r) { r.SetUserName(u"alice"_s); }), 10000,
                     uR"({"username":"alice"})"_s},
        TRequestCase{"Login", Filled<TProtocolLogin>([](auto &r) {
                         r.SetUserName(u"alice"_s);
                         r.SetPassWord(u"abc"_s);
                     }),
                     10001, uR"({"userpass":"3cd24fb0d6963f7d","username":"alice"})"_s},
        TRequestCase{"DownUserInfo", Filled<TProtocolDownUserInfo>([](auto &r) { r.SetUserName(u"alice"_s); }), 10002,
                     uR"({"username":"alice"})"_s},
        TRequestCase{"PostQuestionWithRawLineBreaksAndChinese", Filled<TProtocolPostQuestion>([](auto &r) {
                         r.SetClassification(3);
                         r.SetTitle(u"标题"_s);
                         r.SetContent(u"line1\r\nline2\ttab"_s);
                         r.SetMarks(5);
                         r.SetNickName(u"张三"_s);
                         r.SetLocalID(9);
                         r.SetURL(u"http://not.sent"_s);
                         r.SetIsPost(true);
                         r.SetQuestionID(7);
                         r.SetDate(u"not sent"_s);
                     }),
                     10003, u"{\"nickname\":\"张三\",\"marks\":5,\"content\":\"line1\r\nline2\ttab\",\"title\":\"标题\",\"classification\":3}"_s},
        TRequestCase{"PostQQUser", Filled<TProtocolPostQQUser>([](auto &r) {
                         r.SetDate(u"2024-01-02"_s);
                         r.SetReason(u"spam"_s);
                         r.SetQQNum(u"12345"_s);
                         r.SetNickname(u"bob"_s);
                     }),
                     10004, uR"({"nickname":"bob","reason":"spam","date":"2024-01-02","qqnum":"12345"})"_s},
        TRequestCase{"PostURLEscapesTheSolidus", Filled<TProtocolPostURL>([](auto &r) {
                         r.SetTitle(u"Qt"_s);
                         r.SetURL(u"https://qt.io/a"_s);
                         r.SetUser(u"carol"_s);
                         r.Setdate(u"2024"_s);
                         r.SetClassification(2);
                     }),
                     10005, uR"({"url":"https:\/\/qt.io\/a","nickname":"carol","title":"Qt","date":"2024","classification":2})"_s},
        TRequestCase{"DownNoticeCutAtNul", Filled<TProtocolDownNotice>([](auto &r) { r.SetUserName(u"bob\0tail"_s); }),
                     10006, uR"({"username":"bob"})"_s},
        TRequestCase{"AnswerQuestionAlwaysCarriesReference", Filled<TProtocolAnswerQuestion>([](auto &r) {
                         r.SetNickName(u"dan"_s);
                         r.SetContent(u"x\"y\\z"_s);
                         r.SetURL(u"u"_s);
                         r.Setquestionid(42);
                     }),
                     10007, uR"({"url":"u","nickname":"dan","questionid":42,"content":"x\"y\\z","reference":""})"_s},
        TRequestCase{"UploadFileSendsTheNamePartOnly", Filled<TProtocolUploadFile>([](auto &r) {
                         r.SetFileName(u"C:\\dir\\sub/file.zip"_s);
                         r.SetUser(u"eve"_s);
                         r.SetDepict(u"d"_s);
                         r.SetClassification(1);
                         r.SetGuid(u"g"_s);
                         r.SetFileSize(5000000000);
                     }),
                     10008, uR"({"nickname":"eve","filesize":5000000000,"filename":"file.zip","guid":"g","classification":1,"depict":"d"})"_s},
        TRequestCase{"ChagePwd", Filled<TProtocolChagePwd>([](auto &r) {
                         r.SetUser(u"alice"_s);
                         r.SetNewPwd(u"0123456789abcdef"_s);
                     }),
                     10010, uR"({"username":"alice","newpwd":"0123456789abcdef"})"_s}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(RequestTest, LoginKeepsOnlyTheDigestOfThePassword)
{
    TProtocolLogin login;
    login.SetPassWord(u"abc"_s);
    EXPECT_EQ(login.PassWord(), u"3cd24fb0d6963f7d"_s);
}
