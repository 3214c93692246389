#include "xml/XmlWriter.h"

#include "util/FsName.h"
#include "xml/Cp1252.h"
#include "xml/XmlNode.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// The output bytes, written through a raw pointer: each line reserves its worst case first.
class Output
{
public:
    Output()
    {
        buf_.resize(4096);
        p_ = buf_.data();
        end_ = p_ + buf_.size();
    }

    void reserve(qsizetype more)
    {
        if (end_ - p_ < more)
            grow(more);
    }
    void put(char c) { *p_++ = c; }
    void put(const char *s, qsizetype n)
    {
        std::memcpy(p_, s, n);
        p_ += n;
    }
    void put(const QByteArray &s) { put(s.constData(), s.size()); }
    template <qsizetype N> void put(const char (&s)[N]) { put(s, N - 1); }
#ifdef __SSE2__
    void putEight(__m128i bytes)
    {
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p_), bytes);
        p_ += 8;
    }
#endif
    void spaces(qsizetype n)
    {
        std::memset(p_, ' ', n);
        p_ += n;
    }
    void entity(unsigned char c)
    {
        switch (c) {
        case '"':
            put("&quot;");
            break;
        case '&':
            put("&amp;");
            break;
        case '<':
            put("&lt;");
            break;
        default:
            put("&gt;");
            break;
        }
    }
    QByteArray finish()
    {
        buf_.resize(p_ - buf_.data());
        return std::move(buf_);
    }

private:
    void grow(qsizetype more)
    {
        const qsizetype used = p_ - buf_.data();
        buf_.resize(std::max(buf_.size() * 2, used + more));
        p_ = buf_.data() + used;
        end_ = buf_.data() + buf_.size();
    }

    QByteArray buf_;
    char *p_;
    char *end_;
};

// Element text is already 8-bit: escape it and copy the rest as is. At most 6 bytes per byte.
void putEncodedText(Output &out, const QByteArray &text)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text.constData());
    const qsizetype n = text.size();
    qsizetype run = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (!needsEscape(s[i]))
            continue;
        out.put(text.constData() + run, i - run);
        if (s[i] == 0)
            return;
        out.entity(s[i]);
        run = i + 1;
    }
    out.put(text.constData() + run, n - run);
}

// An attribute value: escaped, converted to the code page, and every character the code page
// cannot hold written as a character reference so that it reads back unchanged. At most 8 bytes
// per UTF-16 unit ("&#65535;"; a surrogate pair gives at most 10 for two).
void putEncodedValue(Output &out, const QString &value)
{
    const char16_t *s = reinterpret_cast<const char16_t *>(value.constData());
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
#ifdef __SSE2__
        // Eight plain ASCII characters at a time: nothing to escape, nothing above 127.
        while (n - i >= 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
            __m128i bad =
                _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xFF80))), _mm_setzero_si128());
            bad = _mm_xor_si128(bad, _mm_set1_epi16(-1));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, _mm_setzero_si128()));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, _mm_set1_epi16('"')));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, _mm_set1_epi16('&')));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, _mm_set1_epi16('<')));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, _mm_set1_epi16('>')));
            if (_mm_movemask_epi8(bad) != 0)
                break;
            out.putEight(_mm_packus_epi16(v, v));
            i += 8;
        }
        if (i >= n)
            break;
#endif
        const char16_t c = s[i];
        if (c < 0x80) {
            if (!needsEscape(static_cast<unsigned char>(c))) {
                out.put(static_cast<char>(c));
                continue;
            }
            if (c == 0)
                return;
            out.entity(static_cast<unsigned char>(c));
            continue;
        }
        const int b = CharToAnsi(c);
        if (b >= 0) {
            out.put(static_cast<char>(b));
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
            out.put('?');
            continue;
        }
        char digits[12];
        const int len = std::snprintf(digits, sizeof digits, "&#%u;", static_cast<unsigned>(code));
        out.put(digits, len);
    }
}

bool isLeftOut(const TxmlNode &node, const TStrAttrHash *attrs)
{
    return node.Name.isEmpty() && node.Text.isEmpty() && node.ChildCount() == 0 &&
           (!attrs || attrs->Count() == 0);
}

void writeStartLine(Output &out, TxmlNode &node, int level)
{
    const QByteArray &text = node.Text;
    const TStrAttrHash *attrs = node.Attributes();
    const qsizetype indent = indentOf(level);
    if (node.IsComment && node.ChildCount() == 0 && !text.isEmpty()) {
        out.reserve(indent + text.size() + 9);
        out.spaces(indent);
        out.put("<!--");
        out.put(text);
        out.put("-->\r\n");
        return;
    }
    if (isLeftOut(node, attrs))
        return;
    qsizetype bound = indent + 2 * node.Name.size() + 6 * text.size() + 16;
    if (attrs)
        for (int i = 0; i < attrs->Count(); ++i)
            bound += attrs->Item(i).Name.size() + 8 * attrs->Item(i).Value.size() + 4;
    out.reserve(bound);
    out.spaces(indent);
    out.put('<');
    out.put(node.Name);
    if (attrs) {
        for (int i = 0; i < attrs->Count(); ++i) {
            const TAttrRec &rec = attrs->Item(i);
            out.put(' ');
            out.put(rec.Name);
            out.put("=\"");
            putEncodedValue(out, rec.Value);
            out.put('"');
        }
    }
    if (node.ChildCount() > 0) {
        if (attrs)
            out.put(" >");
        else
            out.put('>');
        putEncodedText(out, text);
    } else if (!text.isEmpty()) {
        out.put('>');
        putEncodedText(out, text);
        out.put("</");
        out.put(node.Name);
        out.put('>');
    } else {
        out.put(" />");
    }
    out.put("\r\n");
}

void writeEndLine(Output &out, const TxmlNode &node, int level)
{
    const qsizetype indent = indentOf(level);
    out.reserve(indent + node.Name.size() + 5);
    out.spaces(indent);
    out.put("</");
    out.put(node.Name);
    out.put(">\r\n");
}

} // namespace

QByteArray WriteXml(TxmlNode &document, const QByteArray &encoding)
{
    Output out;
    out.reserve(100 + encoding.size());
    out.put("<?xml version=\"1.0\"");
    if (!encoding.isEmpty()) {
        out.put(" encoding=\"");
        out.put(encoding);
        out.put('"');
    }
    out.put("?>\r\n<!-- ");
    out.put(kMarker);
    out.put(" -->\r\n");

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
        child->Decode();
        if (child->Text == kMarker)
            continue;
        writeStartLine(out, *child, level + 1);
        if (child->ChildCount() > 0)
            stack.push_back({child, 0});
    }
    return out.finish();
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
