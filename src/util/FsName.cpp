#include "util/FsName.h"

#include <fcntl.h>

namespace kalido {

namespace {

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when the bytes there are not one.
// Overlong forms, surrogates and code points above U+10FFFF are invalid.
int validSequence(const unsigned char *p, const unsigned char *end, char32_t &cp)
{
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    int n;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (end - p < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

QString FsDecode(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        char32_t cp;
        const int n = validSequence(p, end, cp);
        if (n == 0) {
            out += QChar(char16_t(0xDC00 + *p));
            ++p;
            continue;
        }
        if (cp >= 0x10000) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(char16_t(cp));
        }
        p += n;
    }
    return out;
}

QByteArray FsEncode(const QString &name)
{
    QByteArray out;
    out.reserve(name.size());
    const qsizetype len = name.size();
    for (qsizetype i = 0; i < len; ++i) {
        char32_t cp = name[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < len && QChar::isLowSurrogate(name[i + 1].unicode())) {
            cp = QChar::surrogateToUcs4(char16_t(cp), name[i + 1].unicode());
            ++i;
        } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
            out += char(cp - 0xDC00); // an escaped raw byte
            continue;
        } else if (QChar::isSurrogate(cp)) {
            cp = 0xFFFD; // a lone surrogate that no decoded name can hold
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

int FsOpen(const QString &name, int flags, int mode)
{
    return ::open(FsEncode(name).constData(), flags | O_CLOEXEC, mode);
}

} // namespace kalido
