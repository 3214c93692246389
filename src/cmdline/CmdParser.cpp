#include "cmdline/CmdParser.h"

#include <QRegularExpression>

#include <vector>

namespace kalido {

TToken::TToken(const QString &text, const CharSet &delimiters) : Delimiters(delimiters)
{
    SetText(text);
}

void TToken::SetText(const QString &text)
{
    Source = text;
    Size = int(text.size());
    Pos = 1;
    Mark = 1;
}

QString TToken::ReadDelimiters()
{
    Mark = Pos;
    while (!Eof() && Delimiters.contains(Source[Pos - 1]))
        ++Pos;
    return Source.mid(Mark - 1, Pos - Mark);
}

QString TToken::ReadDelimitersUpTo(QChar stop)
{
    Mark = Pos;
    while (!Eof() && Delimiters.contains(Source[Pos - 1])) {
        const bool last = Source[Pos - 1] == stop;
        ++Pos;
        if (last)
            break;
    }
    return Source.mid(Mark - 1, Pos - Mark);
}

QString TToken::ReadWord()
{
    Mark = Pos;
    while (!Eof() && !Delimiters.contains(Source[Pos - 1]))
        ++Pos;
    return Source.mid(Mark - 1, Pos - Mark);
}

QString TToken::ReadChars(int n)
{
    if (Pos > Size)
        return {};
    Mark = Pos;
    const QString result = Source.mid(Pos - 1, n);
    Pos += n;
    return result;
}

QString TToken::ReadUntil(const QString &str, bool include, bool *found)
{
    Mark = Pos;
    const qsizetype at = Pos > Size ? -1 : Source.indexOf(str, Pos - 1);
    if (found)
        *found = at >= 0;
    if (at < 0) {
        const QString rest = Pos > Size ? QString() : Source.mid(Pos - 1);
        Pos = Size + 1;
        return rest;
    }
    int b = int(at) - (Pos - 1) + 1;
    if (include)
        b += int(str.size());
    const QString result = Source.mid(Pos - 1, b - 1);
    Pos += b - 1;
    return result;
}

TCmdParser::TCmdParser(const QString &keyText, const QString &commandLine)
    : TCmdParser(keyText.split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))), commandLine)
{}

TCmdParser::TCmdParser(const QStringList &keys, const QString &commandLine) : CmdLine(commandLine), Keys(keys)
{}

namespace {

struct KeyWord
{
    QString word;
    bool isSwitch = false;
};

const KeyWord *findKey(const std::vector<KeyWord> &keys, const QString &word)
{
    for (const KeyWord &k : keys)
        if (k.word.compare(word, Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

// Splits a key word and a value written together ("logC:/x.txt"): the longest key word that
// begins Word wins, the first in the list among keys of equal length.
QString splitKeyAndValue(const std::vector<KeyWord> &keys, QString &word)
{
    for (qsizetype len = word.size(); len >= 1; --len) {
        for (const KeyWord &k : keys) {
            if (k.word.size() == len && EqualText(word.left(len), k.word)) {
                const QString value = word.mid(len);
                word = word.left(len);
                if (!value.isEmpty())
                    return value;
                // A whole-word match leaves no value; try the first key word that begins Word.
                for (const KeyWord &k2 : keys) {
                    if (word.size() >= k2.word.size() && EqualText(word.left(k2.word.size()), k2.word)) {
                        const QString v2 = word.mid(k2.word.size());
                        word = word.left(k2.word.size());
                        return v2;
                    }
                }
                return {};
            }
        }
    }
    return {};
}

} // namespace

void TCmdParser::Parse()
{
    std::vector<KeyWord> keys;
    for (const QString &line : Keys) {
        KeyWord k;
        k.isSwitch = line.startsWith(u'-');
        k.word = k.isSwitch ? line.mid(1) : line;
        if (!k.word.isEmpty())
            keys.push_back(std::move(k));
    }

    static const CharSet separators(" \"-");
    const QString quote(u'"');
    PositionalCount = -1;
    int slot = 0;
    bool keySeen = false;
    TToken reader(CmdLine, separators);

    while (!reader.Eof()) {
        // A double quote ends the run of separators, so that a quoted text may itself begin with
        // a hyphen or a quote, and "" is an empty parameter.
        const QString delims = reader.ReadDelimitersUpTo(u'"');
        const bool dashed = delims.contains(u'-');

        if (delims.contains(u'"')) {
            const QString value = reader.ReadUntil(quote, false);
            reader.ReadChars(1);
            if (slot > 0 && !value.isEmpty())
                Params.append(u'%' + QString::number(slot) + u'=' + value);
            ++slot;
            if (!keySeen)
                ++PositionalCount;
            continue;
        }

        QString word = reader.ReadWord();
        if (reader.Eof() && word.isEmpty())
            break;

        const KeyWord *key = findKey(keys, word);
        if (!key) {
            QString value;
            if (dashed)
                value = splitKeyAndValue(keys, word);
            if (dashed && value.isEmpty()) {
                if (Params.isEmpty())
                    throw EInvalidParam(QStringLiteral("Unknown param ") + word);
                // A value that held a hyphen (a file name such as my-file.txt) is put back together.
                Params.last() += u'-' + word;
                continue;
            }
            if (!value.isEmpty()) {
                Params.append(word + u'=' + value);
                continue;
            }
            if (!keySeen)
                ++PositionalCount;
            if (slot > 0)
                Params.append(u'%' + QString::number(slot) + u'=' + word);
            ++slot;
            continue;
        }

        keySeen = true;
        if (key->isSwitch) {
            // The separators after a switch go with it, but a quote stays for the next word.
            reader.Mark = reader.Pos;
            while (!reader.Eof() && separators.contains(reader.Source[reader.Pos - 1]) &&
                   reader.Source[reader.Pos - 1] != u'"')
                ++reader.Pos;
            Params.append(u'-' + word + u'=');
            continue;
        }

        const QString after = reader.ReadDelimitersUpTo(u'"').trimmed();
        QString value;
        if (after.startsWith(u'"')) {
            value = reader.ReadUntil(quote, false);
            reader.ReadChars(1);
        } else if (after == QStringLiteral("-")) {
            value = u'-' + reader.ReadWord();
        } else {
            value = reader.ReadWord();
        }
        Params.append(word + u'=' + value);

        // A list file stands where the sources would: it counts as a positional slot.
        if (EqualText(word, QStringLiteral("list")) || EqualText(word, QStringLiteral("l"))) {
            keySeen = false;
            ++PositionalCount;
            ++slot;
        }
    }
}

} // namespace kalido
