#include "xml/XmlParser.h"

#include "util/FsName.h"
#include "xml/Cp1252.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace kalido {

namespace {

// Byte classes of the scanner.
enum : unsigned char {
    kSeparator = 1, // ends tag names and attribute words: NUL, TAB, LF, CR, space, "/", ">"
    kChunkStop = 2, // needs a look in the chunk reader: "<", "/", ">"
    kNameStop = 4,  // needs a look in the tag-name reader: separators, "?", "-"
    kWordStop = 8,  // needs a look in the attribute reader: separators, "=", double quote
};

struct ByteClasses
{
    std::array<unsigned char, 256> table{};
    constexpr ByteClasses()
    {
        for (unsigned char c : {'\0', '\t', '\n', '\r', ' ', '/', '>'})
            table[c] |= kSeparator | kNameStop | kWordStop;
        for (unsigned char c : {'<', '/', '>'})
            table[c] |= kChunkStop;
        for (unsigned char c : {'?', '-'})
            table[c] |= kNameStop;
        for (unsigned char c : {'=', '"'})
            table[c] |= kWordStop;
    }
};

constexpr ByteClasses kClasses;

inline bool is(unsigned char c, unsigned char cls)
{
    return kClasses.table[c] & cls;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

bool ReadXmlFileBytes(const QString &fileName, QByteArray &bytes)
{
    const int fd = FsOpen(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return false;
        throw EFileStreamError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, systemError(errno)));
    }
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st
    {
    };
    qsizetype size = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        size = static_cast<qsizetype>(st.st_size);
    bytes.clear();
    bytes.reserve(size + 1);
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileStreamError(
                QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, systemError(errno)));
        }
        if (bytes.size() > qsizetype(std::numeric_limits<int>::max()) - n)
            throw EFileStreamError(
                QStringLiteral("Cannot read file \"%1\". The file is too large").arg(fileName));
        bytes.append(chunk, n);
    }
    return true;
}

TxmlParser::TxmlParser(TxmlNode *root) : root_(root) {}

inline bool TxmlParser::next()
{
    if (end_ - p_ > 1) {
        ++p_;
        return true;
    }
    eof_ = true;
    return false;
}

QByteArray TxmlParser::internText(QByteArrayView text)
{
    // Runs of line breaks and indentation between elements: share them by length.
    const qsizetype n = text.size();
    if (n >= qsizetype(blanks_.size()))
        return text.toByteArray();
    for (char c : text)
        if (static_cast<unsigned char>(c) > 32)
            return text.toByteArray();
    QByteArray &slot = blanks_[n];
    if (slot.size() != n || std::memcmp(slot.constData(), text.data(), n) != 0)
        slot = text.toByteArray();
    return slot;
}

TxmlParser::Chunk TxmlParser::readChunk(QByteArrayView &text)
{
    if (slashPending_) {
        // "/" was seen right before the ">" under examination.
        slashPending_ = false;
        next();
        return EmptyClose;
    }
    const unsigned char *start = p_;
    const unsigned char *q = p_;
    for (;;) {
        // Ordinary bytes are simply taken; only "<", "/" and ">" need a look.
        while (q < end_ && !is(*q, kChunkStop))
            ++q;
        if (q == end_) {
            p_ = end_ - 1;
            eof_ = true;
            text = QByteArrayView(start, end_ - start);
            return TextRun;
        }
        p_ = q;
        const unsigned char c = *p_;
        if (c == '<') {
            if (p_ != start) {
                text = QByteArrayView(start, p_ - start);
                return TextRun;
            }
            if (!next())
                return Open;
            if (*p_ == '/')
                return Close;
            pending_ = true;
            return Open;
        }
        if (c == '>') {
            text = p_ == start ? QByteArrayView(">") : QByteArrayView(start, p_ - start);
            return TextRun;
        }
        // "/": before ">" it closes an empty element; otherwise it and the byte after it belong
        // to the text, whatever that byte is.
        if (!next()) {
            text = QByteArrayView(start, end_ - start);
            return TextRun;
        }
        if (*p_ == '>') {
            slashPending_ = true;
            text = QByteArrayView(start, p_ - 1 - start);
            return TextRun;
        }
        q = p_ + 1;
    }
}

QByteArrayView TxmlParser::readTagName()
{
    // The name starts at the pending byte (the one after "<"), or after the "/" of "</".
    const unsigned char *start = pending_ ? p_ : p_ + 1;
    qsizetype len = pending_ ? 1 : 0;
    pending_ = false;
    while (next()) {
        const unsigned char c = *p_;
        if (is(c, kNameStop)) {
            if (c == '?')
                return "?";
            if (c == '-') {
                ++len;
                if (len == 3 && std::memcmp(start, "!--", 3) == 0)
                    break;
                continue;
            }
            if (is(c, kSeparator))
                break;
        }
        if (len == 1 && (*start == '?' || *start == '!'))
            break;
        ++len;
    }
    return QByteArrayView(start, len);
}

namespace {

// The position of the scanner: Current is *p; a failed read sets eof.
struct Cursor
{
    const unsigned char *&p;
    const unsigned char *end;
    bool &eof;
    bool &slashPending;

    bool next()
    {
        if (end - p > 1) {
            ++p;
            return true;
        }
        eof = true;
        return false;
    }
};

// The attribute reader, from Current to the end of the tag. Add(name, value, quoted) receives
// each attribute in order, the value as raw bytes.
template <typename Add> void scanAttributes(Cursor c, Add &&add)
{
    if (c.eof)
        return;
    const unsigned char *word = c.p;
    qsizetype wordLen = 0;
    QByteArrayView name;
    bool afterEquals = false;
    bool separator = false;
    for (;;) {
        const unsigned char ch = *c.p;
        if (!is(ch, kWordStop)) {
            if (separator || wordLen == 0) {
                word = c.p;
                wordLen = 0;
                separator = false;
            }
            ++wordLen;
            // The rest of a plain word needs no look at each byte's role.
            while (c.end - c.p > 1 && !is(c.p[1], kWordStop)) {
                ++c.p;
                ++wordLen;
            }
        } else if (ch == '"' && afterEquals) {
            const unsigned char *open = c.p;
            const void *close = c.end - c.p > 1 ? std::memchr(c.p + 1, '"', c.end - c.p - 1) : nullptr;
            const unsigned char *stop = close ? static_cast<const unsigned char *>(close) : c.end;
            add(QByteArrayView(word, wordLen), QByteArrayView(open + 1, stop - open - 1), true);
            wordLen = 0;
            afterEquals = false;
            separator = false;
            if (!close) {
                c.p = c.end - 1;
                c.eof = true;
                return;
            }
            c.p = stop;
        } else if (is(ch, kSeparator)) {
            const bool wasSeparator = separator;
            separator = true;
            const bool endsValue = !wasSeparator && afterEquals;
            if (ch == '/') {
                if (!c.next())
                    return;
                if (*c.p == '>') {
                    if (endsValue)
                        add(name, QByteArrayView(word, wordLen), false);
                    c.slashPending = true;
                    return;
                }
                // "/" and the byte after it start a word, or continue the one before them.
                if (wasSeparator || wordLen == 0) {
                    word = c.p - 1;
                    wordLen = 0;
                }
                wordLen += 2;
                separator = false;
            } else {
                if (endsValue) {
                    add(name, QByteArrayView(word, wordLen), false);
                    afterEquals = false;
                    wordLen = 0;
                }
                if (ch == '>') {
                    c.next();
                    return;
                }
            }
        } else if (ch == '=' && !afterEquals) {
            afterEquals = true;
            separator = true;
            name = QByteArrayView(word, wordLen);
        } else {
            // A double quote outside a value, or "=" after "=": an ordinary byte.
            if (separator || wordLen == 0) {
                word = c.p;
                wordLen = 0;
                separator = false;
            }
            ++wordLen;
        }
        if (!c.next())
            return;
    }
}

// Attribute names repeat throughout a document: share one copy of each recent name.
QByteArray internName(QByteArrayView name)
{
    const qsizetype n = name.size();
    if (n == 0 || n > 40)
        return name.toByteArray();
    thread_local std::array<QByteArray, 256> names;
    const auto *s = reinterpret_cast<const unsigned char *>(name.data());
    const unsigned h = (unsigned(n) * 131u + s[0] * 31u + s[n - 1] * 7u + s[n / 2]) % names.size();
    QByteArray &slot = names[h];
    if (slot.size() != n || std::memcmp(slot.constData(), s, n) != 0)
        slot = name.toByteArray();
    return slot;
}

QString makeValue(QByteArrayView raw, bool quoted)
{
    const qsizetype n = raw.size();
    const auto *s = reinterpret_cast<const unsigned char *>(raw.data());
    bool plain = true;
    for (qsizetype i = 0; i < n && plain; ++i)
        plain = s[i] >= 32 && s[i] < 0x80;
    if (plain)
        return QString::fromLatin1(raw);
    QString out = FromAnsi(raw);
    if (quoted) {
        // Line breaks inside a quoted value read as one space each.
        for (qsizetype i = 0; i < n; ++i)
            if (s[i] == '\r' || s[i] == '\n')
                out[i] = u' ';
    }
    return out;
}

} // namespace

void TxmlParser::FillTable(QByteArrayView run, TStrAttrHash &table)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(run.data());
    bool eof = run.isEmpty();
    bool slash = false;
    int count = 0;
    scanAttributes(Cursor{p, p + run.size(), eof, slash},
                   [&count](QByteArrayView, QByteArrayView, bool) { ++count; });
    table.Clear();
    if (table.Capacity() < count)
        table.items_.resize(count);
    p = reinterpret_cast<const unsigned char *>(run.data());
    eof = run.isEmpty();
    scanAttributes(Cursor{p, p + run.size(), eof, slash},
                   [&table](QByteArrayView name, QByteArrayView raw, bool quoted) {
                       TAttrRec &rec = table.items_[table.count_++];
                       rec.Name = internName(name);
                       rec.Value = makeValue(raw, quoted);
                   });
}

int TxmlParser::skipAttributes()
{
    int count = 0;
    scanAttributes(Cursor{p_, end_, eof_, slashPending_},
                   [&count](QByteArrayView, QByteArrayView, bool) { ++count; });
    return count;
}

QByteArrayView TxmlParser::readComment()
{
    const unsigned char *start = p_ + 1;
    if (!next())
        return QByteArrayView();
    for (;;) {
        const void *dash = std::memchr(p_, '-', end_ - p_);
        if (!dash) {
            p_ = end_ - 1;
            eof_ = true;
            return QByteArrayView(start, end_ - start);
        }
        p_ = static_cast<const unsigned char *>(dash);
        const unsigned char *body = p_;
        if (end_ - p_ < 3) {
            p_ = end_ - 1;
            eof_ = true;
            return QByteArrayView(start, end_ - start);
        }
        if (p_[1] == '-' && p_[2] == '>') {
            p_ += 2;
            next();
            return QByteArrayView(start, body - start);
        }
        // "-" and the two bytes after it are body; scanning goes on behind them.
        p_ += 2;
        if (!next())
            return QByteArrayView(start, end_ - start);
    }
}

TxmlParser::Kind TxmlParser::readToken(QByteArrayView &value)
{
    value = QByteArrayView();
    while (!eof_) {
        QByteArrayView text;
        switch (readChunk(text)) {
        case Open: {
            const QByteArrayView tag = readTagName();
            if (tag.size() == 1 && (tag[0] == '?' || tag[0] == '!')) {
                // Declarations and processing instructions are skipped, attributes and all.
                skipAttributes();
                continue;
            }
            if (tag.size() == 3 && tag[0] == '!' && tag[1] == '-' && tag[2] == '-') {
                value = readComment();
                return Comment;
            }
            value = tag;
            return StartTag;
        }
        case Close:
            value = readTagName();
            skipAttributes();
            return EndTag;
        case EmptyClose:
            value = "/>";
            return EndTag;
        case TextRun:
            break;
        }
        // Runs of spaces are nothing; tabs and line breaks count as text.
        qsizetype i = 0;
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i == text.size())
            continue;
        value = text;
        if (text.data()[0] == '>' && text.size() == 1 && *p_ == '>')
            next();
        return Text;
    }
    return EndOfInput;
}

void TxmlParser::Parse(const QByteArray &bytes)
{
    root_->Clear();
    input_ = bytes;
    p_ = reinterpret_cast<const unsigned char *>(input_.constData());
    end_ = p_ + bytes.size();
    eof_ = bytes.isEmpty();
    pending_ = false;
    slashPending_ = false;
    TxmlNode *current = root_;
    for (;;) {
        QByteArrayView value;
        const Kind kind = readToken(value);
        switch (kind) {
        case StartTag: {
            auto node = std::make_unique<TxmlNode>(internName(value));
            const unsigned char *run = p_;
            if (skipAttributes() > 0) {
                const unsigned char *begin = reinterpret_cast<const unsigned char *>(input_.constData());
                const unsigned char *runEnd = eof_ ? end_ : slashPending_ ? p_ + 1 : p_;
                node->rawAttributes_ = input_;
                node->rawBegin_ = run - begin;
                node->rawEnd_ = runEnd - begin;
            }
            current = current->AppendChild(std::move(node));
            break;
        }
        case EndTag:
            if (value.size() == 2 && value[0] == '/' && value[1] == '>') {
                if (current != root_)
                    current = current->parent_;
            } else {
                // Close the nearest open element of that name with everything inside it; an
                // end tag that matches nothing open returns to the document level.
                TxmlNode *open = current;
                while (open != root_ && !NamesMatch(open->Name, value))
                    open = open->parent_;
                current = open == root_ ? root_ : open->parent_;
            }
            break;
        case Comment: {
            auto node = std::make_unique<TxmlNode>();
            node->IsComment = true;
            node->Text = value.toByteArray();
            current->AppendChild(std::move(node));
            break;
        }
        case Text:
            // The document node keeps its own text (LoadFromFile leaves it alone).
            if (current != root_)
                current->Text = internText(value);
            break;
        case EndOfInput:
            return;
        }
        if (value.isEmpty())
            return;
    }
}

} // namespace kalido
