#include "util/FsName.h"

#include <QTemporaryDir>
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

using namespace kalido;

TEST(FsName, RoundTripsAnyBytes)
{
    const QByteArray cases[] = {
        "plain.jpg",
        "\xc3\xa9t\xc3\xa9.jpg",         // valid UTF-8
        "bad\xff\xfe.jpg",               // invalid bytes
        "\xe6\x97\xa5\xe6\x9c\xac",      // CJK
        "\xf0\x9f\x93\xb7.jpg",          // outside the BMP
        "trunc\xe6\x97",                 // cut sequence
        "\xc0\xaf",                      // overlong "/"
        "\xed\xb2\x80",                  // an encoded surrogate is not valid UTF-8
        QByteArray("nul\0inside", 10),
    };
    for (const QByteArray &bytes : cases)
        EXPECT_EQ(FsEncode(FsDecode(bytes)), bytes) << bytes.toHex().constData();
    EXPECT_EQ(FsDecode("\xc3\xa9"), QStringLiteral("é"));
    EXPECT_EQ(FsDecode("a\xff").size(), 2);
}

TEST(FsName, NonUtf8NameCanBeOpened)
{
    QTemporaryDir tmp;
    const QByteArray name = QFile::encodeName(tmp.path()) + "/photo\xff\xfe.jpg";
    const int created = ::open(name.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(created, 0);
    ASSERT_EQ(::write(created, "abc", 3), 3);
    ::close(created);

    const QString decoded = FsDecode(name);
    const int fd = FsOpen(decoded, O_RDONLY);
    ASSERT_GE(fd, 0);
    char buf[4] = {};
    EXPECT_EQ(::read(fd, buf, 3), 3);
    EXPECT_STREQ(buf, "abc");
    ::close(fd);
}
