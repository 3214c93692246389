#include "xml/Cp1252.h"

#include <QChar>
#include <array>

namespace kalido {

namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct Tables
{
    std::array<unsigned char, 256> fold{};

    Tables()
    {
        for (int b = 0; b < 256; ++b) {
            const char16_t lower = QChar(AnsiToChar(static_cast<unsigned char>(b))).toLower().unicode();
            const int back = CharToAnsi(lower);
            fold[b] = static_cast<unsigned char>(back >= 0 ? back : b);
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

char16_t AnsiToChar(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : char16_t(byte);
}

int CharToAnsi(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c < 0x100))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

QString FromAnsi(QByteArrayView bytes)
{
    QString out = QString::fromLatin1(bytes);
    const char *p = bytes.data();
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        if (b >= 0x80 && b < 0xA0)
            out[i] = QChar(kHigh[b - 0x80]);
    }
    return out;
}

QByteArray ToAnsi(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *o = out.data();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            o[i] = static_cast<char>(c);
            continue;
        }
        const int b = CharToAnsi(c);
        o[i] = b >= 0 ? static_cast<char>(b) : '?';
    }
    return out;
}

unsigned char FoldAnsi(unsigned char byte)
{
    return tables().fold[byte];
}

bool SameAnsiText(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const auto &fold = tables().fold;
    const auto *pa = reinterpret_cast<const unsigned char *>(a.data());
    const auto *pb = reinterpret_cast<const unsigned char *>(b.data());
    for (qsizetype i = 0, n = a.size(); i < n; ++i)
        if (pa[i] != pb[i] && fold[pa[i]] != fold[pb[i]])
            return false;
    return true;
}

} // namespace kalido
