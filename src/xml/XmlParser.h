#pragma once

#include "xml/XmlNode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <memory>

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
    // Nodes keep sharing Bytes for their attributes until these are first read.
    void Parse(const QByteArray &bytes);

    // Builds a node's attribute table from its tag's attribute run, as the parser saw it.
    static void FillTable(QByteArrayView run, TStrAttrHash &table);

private:
    enum Kind : unsigned char { StartTag, EndTag, Comment, Text, EndOfInput };
    // What the chunk reader found: "<", "</", "/>", or a run of text (">" alone included).
    enum Chunk : unsigned char { Open, Close, EmptyClose, TextRun };

    bool next();
    Chunk readChunk(QByteArrayView &text);
    QByteArrayView readTagName();
    // Skips a tag's attributes; returns how many the tag holds.
    int skipAttributes();
    QByteArrayView readComment();
    Kind readToken(QByteArrayView &value);

    QByteArray internText(QByteArrayView text);

    TxmlNode *root_;
    const unsigned char *p_ = nullptr;   // Current
    const unsigned char *end_ = nullptr; // one past the last byte
    bool eof_ = true;
    bool pending_ = false; // Current has been read but not used yet (a byte after "<", or "/" before ">")
    bool slashPending_ = false;

    QByteArray input_;
    std::array<QByteArray, 64> blanks_;
};

} // namespace kalido
