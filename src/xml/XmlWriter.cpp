#include "xml/XmlWriter.h"

#include "util/FsName.h"
#include "xml/Cp1252.h"
#include "xml/XmlNode.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace kalido {

namespace {

const QByteArray kMarker = QByteArrayLiteral("created by Tessel XML package");

// Indentation stops growing here, so that a pathologically deep tree still writes in linear
// space; the reader ignores indentation.
constexpr int kMaxIndentLevel = 32;

qsizetype indentOf(int level)
{
    return 2 * qsizetype(std::min(level, kMaxIndentLevel));
}

// Bytes that need a look when escaping: NUL ends the input, the rest become entities.
constexpr bool needsEscape(unsigned char c)
{
    return c == 0 || c == '"' || c == '&' || c == '<' || c == '>';
}

void appendEntity(QByteArray &out, unsigned char c)
{
    switch (c) {
    case '"':
        out += "&quot;";
        break;
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    default:
        out += "&gt;";
        break;
    }
}

// Element text is already 8-bit: escape it and copy the rest as is.
void appendEncodedText(QByteArray &out, const QByteArray &text)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text.constData());
    const qsizetype n = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (!needsEscape(s[i]))
            continue;
        out.append(text.constData() + run, i - run);
        if (s[i] == 0)
            return;
        appendEntity(out, s[i]);
        run = i + 1;
    }
    out.append(text.constData() + run, n - run);
}

// An attribute value: escaped, converted to the code page, and every character the code page
// cannot hold written as a character reference so that it reads back unchanged.
void appendEncodedValue(QByteArray &out, const QString &value)
{
    const char16_t *s = reinterpret_cast<const char16_t *>(value.constData());
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            if (needsEscape(static_cast<unsigned char>(c))) {
                if (c == 0)
                    return;
                appendEntity(out, static_cast<unsigned char>(c));
            } else {
                out += static_cast<char>(c);
            }
            continue;
        }
        const int b = CharToAnsi(c);
        if (b >= 0) {
            out += static_cast<char>(b);
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            code = QChar::surrogateToUcs4(c, s[i + 1]);
            ++i;
        }
        if (code < 0x100) {
            // The C1 controls the code page has no byte for: a reference below 256 would read
            // back as the code page's character of that number.
            out += '?';
            continue;
        }
        out += "&#";
        out += QByteArray::number(static_cast<quint32>(code));
        out += ';';
    }
}

bool isLeftOut(const TxmlNode &node, const QByteArray &text)
{
    return node.Name.isEmpty() && text.isEmpty() && node.ChildCount() == 0 &&
           (!node.Attributes() || node.Attributes()->Count() == 0);
}

void writeStartLine(QByteArray &out, TxmlNode &node, const QByteArray &text, int level)
{
    const qsizetype lineStart = out.size();
    out.append(indentOf(level), ' ');
    if (node.IsComment && node.ChildCount() == 0 && !text.isEmpty()) {
        out += "<!--";
        out += text;
        out += "-->\r\n";
        return;
    }
    if (isLeftOut(node, text)) {
        out.truncate(lineStart);
        return;
    }
    out += '<';
    out += node.Name;
    if (const TStrAttrHash *attrs = node.Attributes()) {
        for (int i = 0; i < attrs->Count(); ++i) {
            const TAttrRec &rec = attrs->Item(i);
            out += ' ';
            out += rec.Name;
            out += "=\"";
            appendEncodedValue(out, rec.Value);
            out += '"';
        }
    }
    if (node.ChildCount() > 0) {
        out += node.Attributes() ? " >" : ">";
        appendEncodedText(out, text);
    } else if (!text.isEmpty()) {
        out += '>';
        appendEncodedText(out, text);
        out += "</";
        out += node.Name;
        out += '>';
    } else {
        out += " />";
    }
    out += "\r\n";
}

void writeEndLine(QByteArray &out, const TxmlNode &node, int level)
{
    out.append(indentOf(level), ' ');
    out += "</";
    out += node.Name;
    out += ">\r\n";
}

} // namespace

QByteArray WriteXml(TxmlNode &document, const QByteArray &encoding)
{
    QByteArray out;
    out += "<?xml version=\"1.0\"";
    if (!encoding.isEmpty())
        out += " encoding=\"" + encoding + '"';
    out += "?>\r\n<!-- " + kMarker + " -->\r\n";

    // Depth-first with an explicit stack, so that any depth of nesting is safe.
    struct Frame
    {
        TxmlNode *node;
        int next;
    };
    std::vector<Frame> stack{{&document, 0}};
    while (!stack.empty()) {
        Frame &top = stack.back();
        const int level = static_cast<int>(stack.size()) - 1;
        if (top.next >= top.node->ChildCount()) {
            if (level > 0)
                writeEndLine(out, *top.node, level);
            stack.pop_back();
            continue;
        }
        TxmlNode *child = top.node->Child(top.next++);
        const QByteArray text = child->GetText();
        if (text == kMarker)
            continue;
        writeStartLine(out, *child, text, level + 1);
        if (child->ChildCount() > 0)
            stack.push_back({child, 0});
    }
    return out;
}

void WriteXmlFile(TxmlNode &document, const QString &fileName, const QByteArray &encoding)
{
    const QByteArray bytes = WriteXml(document, encoding);
    const int fd = FsOpen(fileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EFileStreamError(QStringLiteral("Cannot create file \"%1\". %2")
                                   .arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            throw EFileStreamError(QStringLiteral("Cannot write file \"%1\". %2")
                                       .arg(fileName, QString::fromLocal8Bit(std::strerror(error))));
        }
        done += n;
    }
    if (::close(fd) != 0)
        throw EFileStreamError(QStringLiteral("Cannot write file \"%1\". %2")
                                   .arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
}

} // namespace kalido
