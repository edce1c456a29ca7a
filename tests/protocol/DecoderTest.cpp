#include "Json.h"
#include "JsonDataUnit.h"
#include "MeInfoUnit.h"
#include "ProtocolPostQuestionUnit.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

struct TUnpackCase {
    const char *Name;
    QString Text;
    bool Ok;
    int Protocol;
    QString Data;
};

class TUnpackTest : public ::testing::TestWithParam<TUnpackCase> {};

TEST_P(TUnpackTest, ReadsCodeAndBody)
{
    int protocol = -1;
    QString data;
    EXPECT_EQ(UnpackProtocol(GetParam().Text, protocol, data), GetParam().Ok);
    if (GetParam().Ok) {
        EXPECT_EQ(protocol, GetParam().Protocol);
        EXPECT_EQ(data, GetParam().Data);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Envelopes, TUnpackTest,
    ::testing::Values(
        TUnpackCase{"Plain", uR"({"version":1,"protocol":10002,"data":"{\"username\":\"alice\"}"})"_s, true, 10002,
                    uR"({"username":"alice"})"_s},
        TUnpackCase{"KeysInAnyOrder", uR"({"data":"x","protocol":10006,"version":1})"_s, true, 10006, u"x"_s},
        TUnpackCase{"ProtocolAsString", uR"({"version":1,"protocol":"10001","data":""})"_s, true, 10001, QString()},
        TUnpackCase{"NoProtocolReadsZero", uR"({"version":1,"data":"x"})"_s, true, 0, u"x"_s},
        TUnpackCase{"NestedDataIsItsCompactText", uR"({"protocol":10002, "data": {"userinfo": {"id": 1, "url": "a/b"}}})"_s,
                    true, 10002, uR"({"userinfo":{"id":1,"url":"a\/b"}})"_s},
        TUnpackCase{"UnicodeEscapesRead", uR"({"protocol":10006,"data":"\u4e2d\u6587 \ud83d\ude00"})"_s, true, 10006,
                    u"中文 😀"_s},
        TUnpackCase{"RawLineBreaksAndTabsRead", u"{\"protocol\":10006,\"data\":\"a\r\nb\tc\"}"_s, true, 10006,
                    u"a\r\nb\tc"_s},
        TUnpackCase{"NotJson", u"not json"_s, false, 0, QString()},
        TUnpackCase{"Empty", QString(), false, 0, QString()},
        TUnpackCase{"Truncated", uR"({"protocol":10001,"data":"x")"_s, false, 0, QString()}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(EnvelopeTest, WhatPackWritesUnpackReadsBack)
{
    const QString body = u"{\"a\":\"x\\\"/\\\\y\r\n中\"}"_s;
    int protocol = 0;
    QString data;
    ASSERT_TRUE(UnpackProtocol(PackProtocol(10003, body), protocol, data));
    EXPECT_EQ(protocol, 10003);
    EXPECT_EQ(data, body);
}

// "success" as the decoders of 10003, 10004/10005, 10007, 10008 and 10010 all read it.
struct TSuccessCase {
    const char *Name;
    QString Body;
    bool Success;
};

class TSuccessTest : public ::testing::TestWithParam<TSuccessCase> {};

TEST_P(TSuccessTest, EveryDecoderReadsItTheSameWay)
{
    const QString &body = GetParam().Body;
    const bool expected = GetParam().Success;
    EXPECT_EQ(ParseSuccess(body), expected);
    EXPECT_EQ(ParseChagePwdResult(body), expected);
    QString url;
    EXPECT_EQ(ParseAnswerResult(body, url), expected);
    int localId = 0;
    int questionId = 0;
    EXPECT_EQ(ParsePostQuestionResult(body, url, localId, questionId), expected);
    bool success = !expected;
    QString guid;
    QString info;
    ParseUploadResult(body, success, guid, info);
    EXPECT_EQ(success, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TSuccessTest,
    ::testing::Values(TSuccessCase{"True", uR"({"success":true})"_s, true},
                      TSuccessCase{"One", uR"({"success":1})"_s, true},
                      TSuccessCase{"Zero", uR"({"success":0})"_s, false},
                      TSuccessCase{"StringFalseIsTrue", uR"({"success":"false"})"_s, true},
                      TSuccessCase{"EmptyString", uR"({"success":""})"_s, false},
                      TSuccessCase{"Missing", uR"({"url":"x"})"_s, false},
                      TSuccessCase{"Null", uR"({"success":null})"_s, false},
                      TSuccessCase{"Fraction", uR"({"success":0.5})"_s, true},
                      TSuccessCase{"Object", uR"({"success":{}})"_s, true},
                      TSuccessCase{"NotJson", u"success"_s, false},
                      TSuccessCase{"Blank", u" \r\n\t"_s, false}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(DecoderTest, AnswerResultReadsTheAddress)
{
    QString url = u"stale"_s;
    EXPECT_TRUE(ParseAnswerResult(uR"({"url":"http:\/\/q\/1","success":1})"_s, url));
    EXPECT_EQ(url, u"http://q/1"_s);
    EXPECT_FALSE(ParseAnswerResult(u"{"_s, url));
    EXPECT_EQ(url, QString());
}

TEST(DecoderTest, PostQuestionResultReadsItsNumbersLeniently)
{
    QString url;
    int localId = 0;
    int questionId = 0;
    EXPECT_TRUE(ParsePostQuestionResult(uR"({"success":true,"url":"u","localid":"7","questionid":8.6})"_s, url, localId, questionId));
    EXPECT_EQ(url, u"u"_s);
    EXPECT_EQ(localId, 7);
    EXPECT_EQ(questionId, 9);
    EXPECT_FALSE(ParsePostQuestionResult(u"x"_s, url, localId, questionId));
    EXPECT_EQ(url, QString());
    EXPECT_EQ(localId, 0);
    EXPECT_EQ(questionId, 0);
}

TEST(DecoderTest, UploadResultReportsSuccessApartFromTheResult)
{
    bool success = false;
    QString guid;
    QString info;
    EXPECT_TRUE(ParseUploadResult(uR"({"success":0,"guid":"g","info":"full"})"_s, success, guid, info));
    EXPECT_FALSE(success);
    EXPECT_EQ(guid, u"g"_s);
    EXPECT_EQ(info, u"full"_s);
    success = true;
    EXPECT_FALSE(ParseUploadResult(u"x"_s, success, guid, info));
    EXPECT_FALSE(success);
}

TEST(DecoderTest, NoticeReadsTypeTitleAndContent)
{
    int type = -1;
    QString title;
    QString content;
    EXPECT_TRUE(ParseNotice(uR"({"type":1,"title":"\u65b0\u95ee\u9898","content":{"title":"t","questionid":3}})"_s, type, title, content));
    EXPECT_EQ(type, 1);
    EXPECT_EQ(title, u"新问题"_s);
    EXPECT_EQ(content, uR"({"title":"t","questionid":3})"_s);
    EXPECT_FALSE(ParseNotice(QString(), type, title, content));
}

TEST(DecoderTest, LoginResult)
{
    QString md5 = u"old"_s;
    QString url = u"old"_s;
    int error = -1;
    EXPECT_FALSE(ParseLoginResult(u" \r\n"_s, md5, url, error));
    EXPECT_EQ(md5, u"old"_s);
    EXPECT_EQ(error, -1);
    EXPECT_THROW(ParseLoginResult(u"not json"_s, md5, url, error), EJsonError);
    EXPECT_TRUE(ParseLoginResult(uR"({"errorid":"1000000","questiondatamd5":"ab12","questiondataurl":"http:\/\/h\/q.mdb"})"_s, md5, url, error));
    EXPECT_EQ(error, 1000000);
    EXPECT_EQ(md5, u"ab12"_s);
    EXPECT_EQ(url, u"http://h/q.mdb"_s);
}

class TUserInfoTest : public ::testing::TestWithParam<QString> {};

TEST_P(TUserInfoTest, FillsEveryProfileField)
{
    TMeInfo me;
    ASSERT_TRUE(ParseUserInfo(GetParam(), &me));
    EXPECT_EQ(me.Usergroup(), u"版主"_s);
    EXPECT_EQ(me.ID(), 12);
    EXPECT_EQ(me.LastTime(), u"2024-01-02 03:04:05"_s);
    EXPECT_EQ(me.Sex(), u"男"_s);
    EXPECT_EQ(me.UserName(), u"alice"_s);
    EXPECT_EQ(me.JiFen(), 300);
    EXPECT_EQ(me.PassWord(), u"pw"_s);
    EXPECT_EQ(me.NickName(), u"张三"_s);
    EXPECT_EQ(me.QuestionDataURL(), u"http://h/q.mdb"_s);
    EXPECT_EQ(me.QuestionDataMd5(), u"ab12"_s);
    EXPECT_EQ(me.MySystemSet(), u"s"_s);
    EXPECT_TRUE(me.IsManage());
    EXPECT_EQ(me.UserMail(), u"a@b.c"_s);
}

INSTANTIATE_TEST_SUITE_P(
    NestedOrString, TUserInfoTest,
    ::testing::Values(
        uR"({"userinfo":{"usergroup":"版主","id":12,"lasttime":"2024-01-02 03:04:05","sex":"\u7537","username":"alice","jifen":"300","password":"pw","nickname":"张三","questiondataurl":"http:\/\/h\/q.mdb","questiondatamd5":"ab12","mysystemset":"s","ismanage":1,"usermail":"a@b.c"}})"_s,
        uR"({"userinfo":"{\"usergroup\":\"版主\",\"id\":12,\"lasttime\":\"2024-01-02 03:04:05\",\"sex\":\"男\",\"username\":\"alice\",\"jifen\":300,\"password\":\"pw\",\"nickname\":\"张三\",\"questiondataurl\":\"http:\\\/\\\/h\\\/q.mdb\",\"questiondatamd5\":\"ab12\",\"mysystemset\":\"s\",\"ismanage\":true,\"usermail\":\"a@b.c\"}"})"_s));

class TUserInfoRejectTest : public ::testing::TestWithParam<QString> {};

TEST_P(TUserInfoRejectTest, RaisesAndChangesNothing)
{
    TMeInfo me;
    me.SetNickName(u"kept"_s);
    me.SetID(5);
    EXPECT_THROW(ParseUserInfo(GetParam(), &me), EJsonError);
    EXPECT_EQ(me.NickName(), u"kept"_s);
    EXPECT_EQ(me.ID(), 5);
}

INSTANTIATE_TEST_SUITE_P(Bodies, TUserInfoRejectTest,
                         ::testing::Values(u"not json"_s, uR"({"id":1})"_s, uR"({"userinfo":"not json"})"_s,
                                           uR"({"userinfo":null})"_s, uR"({"userinfo":42})"_s));

TEST(DecoderTest, UserInfoWithoutRecord)
{
    EXPECT_FALSE(ParseUserInfo(uR"({"userinfo":{}})"_s, nullptr));
}

TEST(DecoderTest, QuestionRecord)
{
    TProtocolPostQuestion record;
    EXPECT_FALSE(ParseQuestionRecord(u"{}"_s, nullptr));
    EXPECT_FALSE(ParseQuestionRecord(u"  "_s, &record));
    EXPECT_FALSE(record.IsPost());
    EXPECT_THROW(ParseQuestionRecord(u"x"_s, &record), EJsonError);
    EXPECT_TRUE(ParseQuestionRecord(
        uR"({"title":"T","classification":"4","url":"http:\/\/q\/12","nickname":"n","questionid":12,"date":"2024-05-06"})"_s, &record));
    EXPECT_EQ(record.Title(), u"T"_s);
    EXPECT_EQ(record.Classification(), 4);
    EXPECT_EQ(record.URL(), u"http://q/12"_s);
    EXPECT_EQ(record.NickName(), u"n"_s);
    EXPECT_TRUE(record.IsPost());
    EXPECT_EQ(record.QuestionID(), 12);
    EXPECT_EQ(record.Date(), u"2024-05-06"_s);
}
