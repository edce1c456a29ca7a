#include "Json.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The reader's conversion table: one JSON value read as integer, boolean and string.
struct TReadCase {
    const char *Name;
    QString Value; // JSON text under the key "v"; empty: the key is missing
    qint64 Int;
    bool Bool;
    QString Str;
};

class TJsonReadTest : public ::testing::TestWithParam<TReadCase> {};

TEST_P(TJsonReadTest, ConvertsLeniently)
{
    const QString text = GetParam().Value.isEmpty() ? u"{}"_s : u"{\"v\":"_s + GetParam().Value + u'}';
    const TJsonObject object = TJsonObject::Parse(text);
    EXPECT_EQ(object.GetInt(u"v"_s), GetParam().Int);
    EXPECT_EQ(object.GetBool(u"v"_s), GetParam().Bool);
    EXPECT_EQ(object.GetStr(u"v"_s), GetParam().Str);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TJsonReadTest,
    ::testing::Values(TReadCase{"Number", u"42"_s, 42, true, u"42"_s},
                      TReadCase{"Zero", u"0"_s, 0, false, u"0"_s},
                      TReadCase{"Negative", u"-7"_s, -7, true, u"-7"_s},
                      TReadCase{"FractionRounds", u"2.6"_s, 3, true, u"2.6"_s},
                      TReadCase{"NegativeFractionRounds", u"-2.6"_s, -3, true, u"-2.6"_s},
                      TReadCase{"Int64", u"5000000000"_s, 5000000000, true, u"5000000000"_s},
                      TReadCase{"True", u"true"_s, 1, true, u"true"_s},
                      TReadCase{"False", u"false"_s, 0, false, u"false"_s},
                      TReadCase{"DecimalString", u"\"10001\""_s, 10001, true, u"10001"_s},
                      TReadCase{"WordString", u"\"false\""_s, 0, true, u"false"_s},
                      TReadCase{"EmptyString", u"\"\""_s, 0, false, QString()},
                      TReadCase{"Null", u"null"_s, 0, false, u"null"_s},
                      TReadCase{"Object", u"{ \"a\" : [1, \"x/y\"] }"_s, 0, true, uR"({"a":[1,"x\/y"]})"_s},
                      TReadCase{"Array", u"[]"_s, 0, true, u"[]"_s},
                      TReadCase{"Missing", QString(), 0, false, QString()}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(JsonWriteTest, EscapesOnlyQuoteReverseSolidusAndSolidus)
{
    TJsonObject object;
    object.Put(u"s"_s, u"\"\\/ \r\n\t\x01 中😀"_s);
    EXPECT_EQ(object.ToText(), u"{\"s\":\"\\\"\\\\\\/ \r\n\t\x01 中😀\"}"_s);
}

TEST(JsonWriteTest, StringEndsAtItsFirstNul)
{
    TJsonObject object;
    object.Put(u"k\0ey"_s, u"ab\0cd"_s);
    EXPECT_EQ(object.ToText(), uR"({"k":"ab"})"_s);
}

TEST(JsonWriteTest, CompactWithKeysInInsertionOrder)
{
    TJsonObject inner;
    inner.Put(u"z"_s, true);
    TJsonObject object;
    object.Put(u"version"_s, 1);
    object.Put(u"protocol"_s, qint64(10002));
    object.Put(u"data"_s, inner);
    object.Put(u"a"_s, u"x"_s);
    EXPECT_EQ(object.ToText(), uR"({"version":1,"protocol":10002,"data":{"z":true},"a":"x"})"_s);
}

TEST(JsonReadTest, AcceptsEverythingTheWriterWrites)
{
    const QString awkward = u"\"\\/\r\n\t\x01\x1f 中😀"_s;
    TJsonObject object;
    object.Put(u"s"_s, awkward);
    const TJsonObject back = TJsonObject::Parse(object.ToText());
    EXPECT_EQ(back.GetStr(u"s"_s), awkward);
}

TEST(JsonReadTest, TextThatIsNotJsonFails)
{
    for (const QString &text : {QString(), u"{"_s, u"{\"a\":}"_s, u"abc"_s, u"{} x"_s}) {
        TJsonObject out;
        EXPECT_FALSE(TJsonObject::TryParse(text, out)) << text.toStdString();
        EXPECT_THROW(TJsonObject::Parse(text), EJsonError) << text.toStdString();
    }
}

TEST(JsonReadTest, LookupsOnANonObjectFindNothing)
{
    const TJsonObject array = TJsonObject::Parse(u"[1,2]"_s);
    EXPECT_FALSE(array.IsObject());
    EXPECT_FALSE(array.Has(u"0"_s));
    EXPECT_EQ(array.GetInt(u"0"_s), 0);
    EXPECT_EQ(array.Count(), 2);
    EXPECT_EQ(array.At(1).ToText(), u"2"_s);
}
