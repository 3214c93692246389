#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kalido {

// Windows-1252 is the program's 8-bit ("ANSI") code page: XML names, element text and the bytes of
// every XML file are in it. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 controls of the same number, so every byte survives bytes -> text -> bytes.

// The character a byte stands for.
char16_t AnsiToChar(unsigned char byte);
// The byte for a character, or -1 when the code page cannot hold it.
int CharToAnsi(char16_t c);

QString FromAnsi(QByteArrayView bytes);
// Characters the code page cannot hold become "?".
QByteArray ToAnsi(QStringView text);

// The byte a name compares as: letters folded to lower case through the code page.
unsigned char FoldAnsi(unsigned char byte);
// Two 8-bit names are equal without regard to letter case.
bool SameAnsiText(QByteArrayView a, QByteArrayView b);

} // namespace kalido
