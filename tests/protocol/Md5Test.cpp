#include "md5.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

struct TMd5TextCase {
    QString Value;
    int Bits;
    QString Digest;
};

class TMd5TextTest : public ::testing::TestWithParam<TMd5TextCase> {};

TEST_P(TMd5TextTest, DigestsTheAnsiBytes)
{
    EXPECT_EQ(Md5Text(GetParam().Value, GetParam().Bits), GetParam().Digest);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, TMd5TextTest,
    ::testing::Values(TMd5TextCase{u"abc"_s, 16, u"3cd24fb0d6963f7d"_s},
                      TMd5TextCase{u"abc"_s, 32, u"900150983cd24fb0d6963f7d28e17f72"_s},
                      TMd5TextCase{u"abc"_s, 0, u"900150983cd24fb0d6963f7d28e17f72"_s},
                      TMd5TextCase{u"abc"_s, 64, u"900150983cd24fb0d6963f7d28e17f72"_s},
                      TMd5TextCase{QString(), 32, u"d41d8cd98f00b204e9800998ecf8427e"_s},
                      TMd5TextCase{u"中"_s, 32, u"5301da37e5ffca1823a5cef67488d4bf"_s},      // GBK D6 D0
                      TMd5TextCase{u"a😀b"_s, 32, u"0166d849f21a9d699d896ea2a79a375f"_s})); // "a?b"

class TMd5FileTest : public ::testing::Test {
protected:
    QString Write(const QString &name, const QByteArray &content)
    {
        QFile file(FDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }
    QTemporaryDir FDir;
};

TEST_F(TMd5FileTest, MissingAndEmptyFilesGiveTheDigestOfEmptyInput)
{
    const QString empty = u"d41d8cd98f00b204e9800998ecf8427e"_s;
    EXPECT_EQ(Md5ToHex(Md5OfFile(FDir.filePath(u"missing"_s))), empty);
    EXPECT_EQ(Md5ToHex(Md5OfFile(Write(u"empty"_s, {}))), empty);
    EXPECT_EQ(Md5ToHex(Md5OfFile(FDir.path())), empty); // a directory cannot be read
}

TEST_F(TMd5FileTest, DigestsTheWholeFile)
{
    EXPECT_EQ(Md5ToHex(Md5OfFile(Write(u"abc"_s, "abc"))), u"900150983cd24fb0d6963f7d28e17f72"_s);
    QByteArray content(20 * 1024 * 1024 + 3, Qt::Uninitialized); // spans several slices
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(content.data()), content.size() / 4);
    const QString expected = QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
    EXPECT_EQ(Md5ToHex(Md5OfFile(Write(u"large"_s, content))), expected);
}
