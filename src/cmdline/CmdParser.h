#pragma once

#include "util/Errors.h"
#include "util/Text.h"

#include <QString>
#include <QStringList>

namespace kalido {

// A command-line word that can be neither placed nor attached to a key.
class EInvalidParam : public Exception
{
public:
    using Exception::Exception;
};

// Cuts a string into runs of separator and non-separator characters. Positions are 1-based.
class TToken
{
public:
    TToken(const QString &text, const CharSet &delimiters);

    void SetText(const QString &text);
    bool Eof() const { return Pos > Size; }
    // The run of separators at Pos (possibly empty).
    QString ReadDelimiters();
    // The run of separators at Pos, ending after the first occurrence of Stop when it is met.
    QString ReadDelimitersUpTo(QChar stop);
    // The run of non-separators at Pos (possibly empty).
    QString ReadWord();
    // Up to N characters from Pos; Pos advances by N.
    QString ReadChars(int n);
    // The text from Pos up to Str (or past it with Include). Not found: the whole rest, and Pos
    // ends past the text.
    QString ReadUntil(const QString &str, bool include, bool *found = nullptr);

    QString Source;
    int Size = 0;
    int Pos = 1;
    int Mark = 1;
    CharSet Delimiters;
};

// Turns a command line into lines "name=value" in command-line order. Separators are the space,
// the double quote and the hyphen-minus. Positional words are named "%N" by their slot number;
// slot 0 (the program itself) is never stored.
class TCmdParser
{
public:
    // KeyText holds the accepted key words, one a line; a word written with a leading "-" is a
    // switch, which takes no value.
    TCmdParser(const QString &keyText, const QString &commandLine);
    TCmdParser(const QStringList &keys, const QString &commandLine);

    // Fills Params and PositionalCount. Throws EInvalidParam "Unknown param <word>" for a dashed
    // word that is no key, does not begin with one and comes before any stored parameter.
    void Parse();

    QString CmdLine;
    QStringList Keys;
    QStringList Params;
    // Positional words before the first key, plus one for each "list"/"l" key and the positional
    // words right after it; -1 for an empty command line.
    int PositionalCount = -1;
};

} // namespace kalido
