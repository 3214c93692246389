#pragma once

#include "xml/XmlNode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <memory>
#include <vector>

namespace kalido {

// Reads a whole file. False when it does not exist; open and read failures throw EFileStreamError.
bool ReadXmlFileBytes(const QString &fileName, QByteArray &bytes);

// The forgiving, byte-oriented scanner behind LoadXmlFile and friends. It never reports a syntax
// error: any input gives a tree. Entities stay undecoded; nodes decode themselves on first read.
class TxmlParser
{
public:
    // The parser fills Root (never owned); its children are replaced, its own name, text and
    // attributes stay.
    explicit TxmlParser(TxmlNode *root);
    void Parse(QByteArrayView bytes);

private:
    enum Kind : unsigned char { StartTag, EndTag, Comment, Text, EndOfInput };

    bool next();
    QByteArrayView readChunk();
    QByteArrayView readTagName();
    void readAttributes(bool keep);
    QByteArrayView readComment();
    Kind readToken(QByteArrayView &value);

    QByteArray internName(QByteArrayView name);
    QByteArray internText(QByteArrayView text);
    QString makeValue(QByteArrayView raw, bool lineBreaksToSpaces);
    void addAttribute(QByteArrayView name, QByteArrayView raw, bool quoted);
    std::unique_ptr<TStrAttrHash> takeTable();

    TxmlNode *root_;
    const unsigned char *p_ = nullptr;   // Current
    const unsigned char *end_ = nullptr; // one past the last byte
    bool eof_ = true;
    bool pending_ = false; // Current has been read but not used yet (a byte after "<", or "/" before ">")
    bool slashPending_ = false;

    std::vector<TAttrRec> table_;
    std::array<QByteArray, 512> names_;
    std::array<QByteArray, 64> blanks_;
    std::array<QString, 256> values_;
};

} // namespace kalido
