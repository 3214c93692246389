#pragma once

#include <QString>
#include <QStringList>
#include <bitset>
#include <string_view>

namespace kalido {

// A set of 8-bit character codes; a character above 255 is never a member.
class CharSet
{
public:
    constexpr CharSet() = default;
    constexpr CharSet(std::string_view chars)
    {
        for (char c : chars)
            bits_.set(static_cast<unsigned char>(c));
    }
    bool contains(QChar c) const { return c.unicode() < 256 && bits_.test(c.unicode()); }

private:
    std::bitset<256> bits_;
};

// Position (1-based) of the first character of the N-th word of S, 0 when S has fewer words.
// N of 1 or less means the first word.
int WordPosition(int n, const QString &s, const CharSet &delims);
int WordCount(const QString &s, const CharSet &delims);
QString ExtractWord(int n, const QString &s, const CharSet &delims);

// Every occurrence of Old replaced, left to right, without searching the inserted text again.
QString ReplaceAll(const QString &s, const QString &oldText, const QString &newText);

// Equal when only the letters A to Z are folded.
bool EqualText(const QString &a, const QString &b);
bool EqualTextAny(const QString &s, const QStringList &list);

// Lower-cases the letters A to Z only.
QString LowerAscii(const QString &s);

} // namespace kalido
