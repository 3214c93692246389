#include "util/Text.h"

namespace kalido {

int WordPosition(int n, const QString &s, const CharSet &delims)
{
    const int len = int(s.size());
    int i = 0; // 0-based here, 1-based in the result
    while (i < len && delims.contains(s[i]))
        ++i;
    int k = 1;
    while (k < n && i < len) {
        if (delims.contains(s[i])) {
            ++k;
            while (i < len && delims.contains(s[i]))
                ++i;
        } else {
            ++i;
        }
    }
    return i < len ? i + 1 : 0;
}

int WordCount(const QString &s, const CharSet &delims)
{
    // One pass: count the starts of runs of non-delimiters.
    int count = 0;
    bool inWord = false;
    for (QChar c : s) {
        const bool delim = delims.contains(c);
        if (!delim && !inWord)
            ++count;
        inWord = !delim;
    }
    return count;
}

QString ExtractWord(int n, const QString &s, const CharSet &delims)
{
    const int p = WordPosition(n, s, delims);
    if (p == 0)
        return {};
    const int q = WordPosition(n + 1, s, delims);
    QString piece = q == 0 ? s.mid(p - 1) : s.mid(p - 1, q - p);
    qsizetype from = 0;
    qsizetype to = piece.size();
    while (from < to && delims.contains(piece[from]))
        ++from;
    while (to > from && delims.contains(piece[to - 1]))
        --to;
    return piece.mid(from, to - from);
}

QString ReplaceAll(const QString &s, const QString &oldText, const QString &newText)
{
    if (oldText.isEmpty())
        return s;
    QString result;
    result.reserve(s.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = s.indexOf(oldText, from, Qt::CaseSensitive);
        if (at < 0)
            break;
        result += QStringView(s).mid(from, at - from);
        result += newText;
        from = at + oldText.size();
    }
    result += QStringView(s).mid(from);
    return result;
}

QString LowerAscii(const QString &s)
{
    QString r = s;
    for (QChar &c : r)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return r;
}

bool EqualText(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += 32;
        if (y >= u'A' && y <= u'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

bool EqualTextAny(const QString &s, const QStringList &list)
{
    for (const QString &item : list)
        if (EqualText(s, item))
            return true;
    return false;
}

} // namespace kalido
