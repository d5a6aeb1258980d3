#include "HTTPAuthChallenge.h"

namespace platform {

namespace {

bool isTokenChar(QChar c)
{
    if (c.unicode() > 126 || c.unicode() <= 32)
        return false;
    static const QString separators = QStringLiteral("()<>@,;:\\\"/[]?={}");
    return !separators.contains(c);
}

bool isToken68Char(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
        || c == u'-' || c == u'.' || c == u'_' || c == u'~' || c == u'+' || c == u'/';
}

bool isSpace(QChar c) { return c == u' ' || c == u'\t'; }

// Reads one field value. Every step moves the position forward, so the
// loops end on any input.
class Reader {
public:
    explicit Reader(const QString& text) : m_text(text) { }

    void parseInto(QList<HTTPAuthChallenge>& out)
    {
        while (m_pos < m_text.size()) {
            skipSpacesAndCommas();
            if (m_pos >= m_text.size())
                break;
            const QString scheme = readToken();
            if (scheme.isEmpty()) {
                skipPast(u',');
                continue;
            }
            HTTPAuthChallenge challenge;
            challenge.scheme = scheme;
            readChallengeBody(challenge);
            out.append(challenge);
        }
    }

private:
    void readChallengeBody(HTTPAuthChallenge& challenge)
    {
        skipSpaces();
        if (readToken68(challenge.token))
            return;
        while (m_pos < m_text.size()) {
            const qsizetype mark = m_pos;
            skipSpacesAndCommas();
            if (m_pos >= m_text.size())
                return;
            const QString name = readToken().toLower();
            skipSpaces();
            if (name.isEmpty()) {
                skipPast(u',');
                continue;
            }
            // A word without "=" is the next challenge's scheme.
            if (!at(u'=')) {
                m_pos = mark;
                return;
            }
            ++m_pos;
            skipSpaces();
            const QString value = at(u'"') ? readQuoted() : readBareValue();
            skipSpaces();
            if (!challenge.hasParameter(name))
                challenge.parameters.append({ name, value });
            if (m_pos < m_text.size() && !at(u','))
                skipPast(u',');
        }
    }

    // Servers write unquoted values that are not strict tokens (paths, say):
    // take everything up to a comma or a blank.
    QString readBareValue()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != u',' && !isSpace(m_text[m_pos]))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    // A lone token68 is only taken when nothing but the end or a comma follows.
    bool readToken68(QString& token)
    {
        qsizetype end = m_pos;
        while (end < m_text.size() && isToken68Char(m_text[end]))
            ++end;
        if (end == m_pos)
            return false;
        while (end < m_text.size() && m_text[end] == u'=')
            ++end;
        qsizetype after = end;
        while (after < m_text.size() && isSpace(m_text[after]))
            ++after;
        if (after < m_text.size() && m_text[after] != u',')
            return false;
        token = m_text.mid(m_pos, end - m_pos);
        m_pos = after;
        return true;
    }

    QString readToken()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isTokenChar(m_text[m_pos]))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    // An unterminated string runs to the end of the field.
    QString readQuoted()
    {
        QString value;
        ++m_pos;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (c == u'"')
                return value;
            if (c == u'\\' && m_pos < m_text.size())
                value += m_text[m_pos++];
            else
                value += c;
        }
        return value;
    }

    bool at(QChar c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    void skipSpaces()
    {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos]))
            ++m_pos;
    }
    void skipSpacesAndCommas()
    {
        while (m_pos < m_text.size() && (isSpace(m_text[m_pos]) || m_text[m_pos] == u','))
            ++m_pos;
    }
    void skipPast(QChar c)
    {
        while (m_pos < m_text.size() && m_text[m_pos] != c)
            ++m_pos;
        if (m_pos < m_text.size())
            ++m_pos;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

} // namespace

bool HTTPAuthChallenge::hasParameter(const QString& name) const
{
    for (const auto& p : parameters) {
        if (p.first == name)
            return true;
    }
    return false;
}

QString HTTPAuthChallenge::parameter(const QString& name) const
{
    for (const auto& p : parameters) {
        if (p.first == name)
            return p.second;
    }
    return QString();
}

QList<HTTPAuthChallenge> HTTPAuthChallenge::parse(const QString& fieldValue)
{
    QList<HTTPAuthChallenge> out;
    Reader(fieldValue).parseInto(out);
    return out;
}

QList<HTTPAuthChallenge> HTTPAuthChallenge::parse(const QStringList& fieldValues)
{
    QList<HTTPAuthChallenge> out;
    for (const QString& value : fieldValues)
        Reader(value).parseInto(out);
    return out;
}

} // namespace platform
