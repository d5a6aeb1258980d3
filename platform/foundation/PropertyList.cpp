#include "PropertyList.h"

#include "platform/libraries/SystemLibraries.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <limits>

namespace platform {

namespace {

// ---------------------------------------------------------------- XML form

bool isBlank(const xmlChar* text)
{
    if (!text)
        return true;
    for (; *text; ++text) {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
            return false;
    }
    return true;
}

bool named(const xmlNode* node, const char* name)
{
    return node->name && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

QString textOf(const xmlNode* element)
{
    QByteArray bytes;
    for (const xmlNode* child = element->children; child; child = child->next) {
        if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) && child->content)
            bytes += reinterpret_cast<const char*>(child->content);
    }
    return QString::fromUtf8(bytes);
}

// Entities a document declares itself are not expanded (they could name
// files or grow without end); a value that uses one is refused.
bool usesDeclaredEntity(const xmlNode* element)
{
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type == XML_ENTITY_REF_NODE || child->type == XML_ENTITY_NODE)
            return true;
    }
    return false;
}

class XMLReader {
public:
    QString error;

    std::optional<QVariant> document(const xmlNode* root)
    {
        if (!root)
            return fail(QStringLiteral("no root element"));
        if (!named(root, "plist"))
            return value(root, 1);
        const xmlNode* only = nullptr;
        for (const xmlNode* child = root->children; child; child = child->next) {
            if (!significant(child))
                continue;
            if (child->type != XML_ELEMENT_NODE || only)
                return fail(QStringLiteral("a plist holds exactly one value"));
            only = child;
        }
        if (!only)
            return fail(QStringLiteral("empty plist"));
        return value(only, 1);
    }

private:
    std::nullopt_t fail(const QString& why)
    {
        if (error.isEmpty())
            error = why;
        return std::nullopt;
    }

    // Elements count; blank text and comments between them do not.
    bool significant(const xmlNode* node)
    {
        switch (node->type) {
        case XML_ELEMENT_NODE:
            return true;
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            return !isBlank(node->content);
        default:
            return false;
        }
    }

    std::optional<QVariant> value(const xmlNode* node, int depth)
    {
        if (node->type != XML_ELEMENT_NODE)
            return fail(QStringLiteral("text where a value belongs"));
        if (depth > PropertyList::kMaxDepth)
            return fail(QStringLiteral("nested too deeply"));
        if (usesDeclaredEntity(node))
            return fail(QStringLiteral("entity references are not read"));
        if (named(node, "dict"))
            return dictionary(node, depth);
        if (named(node, "array"))
            return array(node, depth);
        if (named(node, "string"))
            return QVariant(textOf(node));
        if (named(node, "integer"))
            return integer(textOf(node).trimmed());
        if (named(node, "real"))
            return real(textOf(node).trimmed());
        if (named(node, "true"))
            return QVariant(true);
        if (named(node, "false"))
            return QVariant(false);
        if (named(node, "data"))
            return data(textOf(node));
        if (named(node, "date"))
            return date(textOf(node).trimmed());
        return fail(QStringLiteral("unknown element <%1>").arg(QString::fromUtf8(reinterpret_cast<const char*>(node->name))));
    }

    std::optional<QVariant> dictionary(const xmlNode* node, int depth)
    {
        QVariantMap map;
        std::optional<QString> key;
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (!significant(child))
                continue;
            if (!key) {
                if (child->type != XML_ELEMENT_NODE || !named(child, "key"))
                    return fail(QStringLiteral("a dictionary entry must start with <key>"));
                if (usesDeclaredEntity(child))
                    return fail(QStringLiteral("entity references are not read"));
                key = textOf(child);
                continue;
            }
            auto item = value(child, depth + 1);
            if (!item)
                return std::nullopt;
            map.insert(*key, *item);
            key.reset();
        }
        if (key)
            return fail(QStringLiteral("a key without a value"));
        return QVariant(map);
    }

    std::optional<QVariant> array(const xmlNode* node, int depth)
    {
        QVariantList list;
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (!significant(child))
                continue;
            auto item = value(child, depth + 1);
            if (!item)
                return std::nullopt;
            list.append(*item);
        }
        return QVariant(list);
    }

    std::optional<QVariant> integer(const QString& text)
    {
        bool ok = false;
        qlonglong number = 0;
        QString digits = text;
        const bool negative = digits.startsWith(QLatin1Char('-'));
        if (negative || digits.startsWith(QLatin1Char('+')))
            digits.remove(0, 1);
        if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            number = digits.mid(2).toLongLong(&ok, 16);
        else if (!digits.isEmpty() && digits.at(0).isDigit())
            number = digits.toLongLong(&ok, 10);
        if (!ok)
            return fail(QStringLiteral("not an integer: %1").arg(text.left(40)));
        return QVariant(negative ? -number : number);
    }

    std::optional<QVariant> real(const QString& text)
    {
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok)
            return fail(QStringLiteral("not a real number: %1").arg(text.left(40)));
        return QVariant(number);
    }

    std::optional<QVariant> data(const QString& text)
    {
        QByteArray compact;
        for (QChar c : text) {
            if (!c.isSpace())
                compact += char(c.toLatin1());
        }
        auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return fail(QStringLiteral("data that is not base64"));
        return QVariant(*decoded);
    }

    std::optional<QVariant> date(const QString& text)
    {
        QDateTime when = QDateTime::fromString(text, Qt::ISODate);
        if (!when.isValid())
            return fail(QStringLiteral("not a date: %1").arg(text.left(40)));
        return QVariant(when.toUTC());
    }
};

std::optional<QVariant> fromXML(const QByteArray& utf8, QString* error)
{
    if (utf8.size() > std::numeric_limits<int>::max())
        return std::nullopt;
    // No network, no entity expansion, no external subsets: the list is
    // read as it stands, and a hostile one cannot make it grow.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    // The XML library is loaded by the first XML list read.
    if (QString why; !systemlibraries::xml().load(&why)) {
        if (error)
            *error = why;
        return std::nullopt;
    }
    xmlDocPtr doc = xmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8", options);
    if (!doc) {
        if (error)
            *error = QStringLiteral("malformed XML");
        return std::nullopt;
    }
    XMLReader reader;
    std::optional<QVariant> result = reader.document(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    if (!result && error)
        *error = reader.error;
    return result;
}

// ---------------------------------------------------------- old text form

class TextReader {
public:
    explicit TextReader(const QString& text)
        : m_text(text)
    {
    }

    QString error;

    std::optional<QVariant> document()
    {
        skipSpace();
        if (atEnd())
            return fail(QStringLiteral("empty property list"));
        auto result = value(1);
        if (!result)
            return std::nullopt;
        skipSpace();
        if (!atEnd())
            return fail(QStringLiteral("text after the property list"));
        return result;
    }

private:
    std::nullopt_t fail(const QString& why)
    {
        if (error.isEmpty())
            error = QStringLiteral("%1 (at %2)").arg(why).arg(m_at);
        return std::nullopt;
    }

    bool atEnd() const { return m_at >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return m_at + ahead < m_text.size() ? m_text.at(m_at + ahead) : QChar();
    }

    static bool isBare(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '$' ||
               u == '/' || u == ':' || u == '.' || u == '-' || u == '+';
    }

    void skipSpace()
    {
        while (!atEnd()) {
            const QChar c = peek();
            if (c.isSpace()) {
                ++m_at;
            } else if (c == QLatin1Char('/') && peek(1) == QLatin1Char('/')) {
                while (!atEnd() && peek() != QLatin1Char('\n'))
                    ++m_at;
            } else if (c == QLatin1Char('/') && peek(1) == QLatin1Char('*')) {
                const qsizetype end = m_text.indexOf(QLatin1String("*/"), m_at + 2);
                // An open comment runs to the end; the caller then finds nothing.
                m_at = end < 0 ? m_text.size() : end + 2;
            } else {
                return;
            }
        }
    }

    std::optional<QVariant> value(int depth)
    {
        if (depth > PropertyList::kMaxDepth)
            return fail(QStringLiteral("nested too deeply"));
        skipSpace();
        if (atEnd())
            return fail(QStringLiteral("a value is missing"));
        const QChar c = peek();
        if (c == QLatin1Char('{'))
            return dictionary(depth);
        if (c == QLatin1Char('('))
            return array(depth);
        if (c == QLatin1Char('<'))
            return data();
        auto text = string();
        if (!text)
            return std::nullopt;
        return QVariant(*text);
    }

    std::optional<QString> string()
    {
        const QChar c = peek();
        if (c == QLatin1Char('"') || c == QLatin1Char('\''))
            return quoted(c);
        const qsizetype start = m_at;
        while (!atEnd() && isBare(peek()))
            ++m_at;
        if (m_at == start)
            return fail(QStringLiteral("unexpected character"));
        return m_text.mid(start, m_at - start);
    }

    std::optional<QString> quoted(QChar quote)
    {
        ++m_at;
        QString out;
        while (!atEnd()) {
            QChar c = m_text.at(m_at++);
            if (c == quote)
                return out;
            if (c != QLatin1Char('\\')) {
                out += c;
                continue;
            }
            if (atEnd())
                break;
            c = m_text.at(m_at++);
            switch (c.unicode()) {
            case 'a': out += QChar(7); break;
            case 'b': out += QChar(8); break;
            case 'f': out += QChar(12); break;
            case 'n': out += QChar(10); break;
            case 'r': out += QChar(13); break;
            case 't': out += QChar(9); break;
            case 'v': out += QChar(11); break;
            case 'U':
            case 'u': {
                char16_t code = 0;
                int digits = 0;
                while (digits < 4 && !atEnd() && isHex(peek())) {
                    code = char16_t(code * 16 + hexValue(peek()));
                    ++m_at;
                    ++digits;
                }
                if (digits == 0)
                    return fail(QStringLiteral("\\U without digits"));
                out += QChar(code);
                break;
            }
            default:
                if (c >= QLatin1Char('0') && c <= QLatin1Char('7')) {
                    int code = c.unicode() - '0';
                    for (int digits = 1; digits < 3 && peek() >= QLatin1Char('0') && peek() <= QLatin1Char('7'); ++digits)
                        code = code * 8 + (m_text.at(m_at++).unicode() - '0');
                    out += QChar(char16_t(code));
                } else {
                    out += c;
                }
            }
        }
        return fail(QStringLiteral("unterminated string"));
    }

    static bool isHex(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
    }
    static int hexValue(QChar c)
    {
        const char16_t u = c.unicode();
        return u <= '9' ? u - '0' : (u | 0x20) - 'a' + 10;
    }

    std::optional<QVariant> data()
    {
        ++m_at;
        QByteArray bytes;
        int high = -1;
        while (!atEnd()) {
            const QChar c = m_text.at(m_at++);
            if (c == QLatin1Char('>')) {
                if (high >= 0)
                    return fail(QStringLiteral("odd number of hex digits"));
                return QVariant(bytes);
            }
            if (c.isSpace())
                continue;
            if (!isHex(c))
                return fail(QStringLiteral("not a hex digit in data"));
            if (high < 0) {
                high = hexValue(c);
            } else {
                bytes += char(high * 16 + hexValue(c));
                high = -1;
            }
        }
        return fail(QStringLiteral("unterminated data"));
    }

    std::optional<QVariant> dictionary(int depth)
    {
        ++m_at;
        QVariantMap map;
        for (;;) {
            skipSpace();
            if (atEnd())
                return fail(QStringLiteral("unterminated dictionary"));
            if (peek() == QLatin1Char('}')) {
                ++m_at;
                return QVariant(map);
            }
            auto key = string();
            if (!key)
                return std::nullopt;
            skipSpace();
            if (peek() != QLatin1Char('='))
                return fail(QStringLiteral("'=' expected after a key"));
            ++m_at;
            auto item = value(depth + 1);
            if (!item)
                return std::nullopt;
            skipSpace();
            if (peek() != QLatin1Char(';'))
                return fail(QStringLiteral("';' expected after a dictionary entry"));
            ++m_at;
            map.insert(*key, *item);
        }
    }

    std::optional<QVariant> array(int depth)
    {
        ++m_at;
        QVariantList list;
        for (;;) {
            skipSpace();
            if (atEnd())
                return fail(QStringLiteral("unterminated array"));
            if (peek() == QLatin1Char(')')) {
                ++m_at;
                return QVariant(list);
            }
            auto item = value(depth + 1);
            if (!item)
                return std::nullopt;
            list.append(*item);
            skipSpace();
            if (peek() == QLatin1Char(',')) {
                ++m_at;
            } else if (peek() != QLatin1Char(')')) {
                return fail(QStringLiteral("',' or ')' expected in an array"));
            }
        }
    }

    const QString& m_text;
    qsizetype m_at = 0;
};

bool looksLikeXML(const QString& text)
{
    qsizetype at = 0;
    while (at < text.size() && (text.at(at).isSpace() || text.at(at) == QChar(0xfeff)))
        ++at;
    const QStringView rest = QStringView(text).mid(at);
    return rest.startsWith(QLatin1String("<?")) || rest.startsWith(QLatin1String("<!")) ||
           rest.startsWith(QLatin1String("<plist"));
}

} // namespace

std::optional<QVariant> PropertyList::fromText(const QString& text, QString* error)
{
    if (looksLikeXML(text))
        return fromXML(text.toUtf8(), error);
    TextReader reader(text);
    std::optional<QVariant> result = reader.document();
    if (!result && error)
        *error = reader.error;
    return result;
}

std::optional<QVariant> PropertyList::fromData(const QByteArray& data, QString* error)
{
    return fromText(QString::fromUtf8(data), error);
}

} // namespace platform
