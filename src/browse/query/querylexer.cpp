#include "browse/query/querylexer.h"

namespace pk {

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

/// Reads one token of a query's text at a time: each read starts at `i`, moves `i` past the
/// token and fills `tok`; false (with the error set) for a malformed one.
class QueryScanner final
{
public:
    QueryScanner(const QString &text, QueryError &error)
        : m_text(text)
        , m_n(text.size())
        , m_error(error)
    {}

    bool fail(qsizetype pos, const QString &reason)
    {
        m_error.position = static_cast<int>(pos);
        m_error.reason = reason;
        return false;
    }

    /// A name, field names with their prefix ("URL:Description") included.
    bool name(qsizetype &i, QueryToken &tok)
    {
        qsizetype j = i;
        while (true) {
            while (j < m_n && isNamePart(m_text.at(j)))
                ++j;
            if (j < m_n && m_text.at(j) == u':') {
                qsizetype k = j;
                while (k < m_n && m_text.at(k) == u':')
                    ++k;
                if (k >= m_n || !isNamePart(m_text.at(k)))
                    return fail(j, QStringLiteral("a field name must not end with ':'"));
                j = k;
                continue;
            }
            break;
        }
        tok.type = QueryToken::Type::Name;
        tok.text = m_text.mid(i, j - i);
        i = j;
        return true;
    }

    /// A whole number, or a real one with a decimal point.
    bool number(qsizetype &i, QueryToken &tok)
    {
        qsizetype j = i;
        while (j < m_n && m_text.at(j).isDigit())
            ++j;
        bool isReal = false;
        if (j < m_n && m_text.at(j) == u'.') {
            isReal = true;
            ++j;
            while (j < m_n && m_text.at(j).isDigit())
                ++j;
        }
        if (j < m_n && isNameStart(m_text.at(j)))
            return fail(j, QStringLiteral("unexpected '%1' after a number").arg(m_text.at(j)));
        const QString digits = m_text.mid(i, j - i);
        bool ok = false;
        if (!isReal) {
            const qlonglong v = digits.toLongLong(&ok);
            if (ok)
                tok.value = v;
        }
        if (!ok) {
            const double d = digits.toDouble(&ok);
            if (!ok)
                return fail(i, QStringLiteral("'%1' is not a valid number").arg(digits));
            tok.value = d;
        }
        tok.type = QueryToken::Type::Number;
        tok.text = digits;
        i = j;
        return true;
    }

    /// A text in single quotes, a doubled quote standing for one.
    bool quoted(qsizetype &i, QueryToken &tok)
    {
        QString value;
        qsizetype j = i + 1;
        bool closed = false;
        while (j < m_n) {
            if (m_text.at(j) == u'\'') {
                if (j + 1 < m_n && m_text.at(j + 1) == u'\'') {
                    value += u'\'';
                    j += 2;
                    continue;
                }
                closed = true;
                ++j;
                break;
            }
            value += m_text.at(j++);
        }
        if (!closed)
            return fail(i, QStringLiteral("the text starting here has no closing quote"));
        tok.type = QueryToken::Type::Text;
        tok.text = value;
        i = j;
        return true;
    }

    /// "=", "<", ">", "<=", ">=", "<>" and "!=" (read as "<>").
    bool compare(qsizetype &i, QueryToken &tok)
    {
        const QChar c = m_text.at(i);
        const QChar next = i + 1 < m_n ? m_text.at(i + 1) : QChar();
        tok.type = QueryToken::Type::Compare;
        if (c == u'!') {
            if (next != u'=')
                return fail(i, QStringLiteral("'!' must be followed by '='"));
            tok.text = QStringLiteral("<>");
            i += 2;
        } else if ((c == u'<' && (next == u'>' || next == u'=')) || (c == u'>' && next == u'=')) {
            tok.text = m_text.mid(i, 2);
            i += 2;
        } else {
            tok.text = c;
            ++i;
        }
        return true;
    }

private:
    const QString &m_text;
    const qsizetype m_n;
    QueryError &m_error;
};

} // namespace

bool QueryLexer::tokenize(const QString &text, std::vector<QueryToken> &tokens, QueryError &error)
{
    tokens.clear();
    const qsizetype n = text.size();
    QueryScanner scan(text, error);
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        QueryToken tok;
        tok.position = static_cast<int>(i);
        bool ok = true;
        if (isNameStart(c)) {
            ok = scan.name(i, tok);
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && text.at(i + 1).isDigit())) {
            ok = scan.number(i, tok);
        } else if (c == u'\'') {
            ok = scan.quoted(i, tok);
        } else if (c == u'(' || c == u')' || c == u',' || c == u'-') {
            tok.type = c == u'('   ? QueryToken::Type::LParen
                       : c == u')' ? QueryToken::Type::RParen
                       : c == u',' ? QueryToken::Type::Comma
                                   : QueryToken::Type::Minus;
            tok.text = c;
            ++i;
        } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
            ok = scan.compare(i, tok);
        } else if (c == u'"') {
            return scan.fail(i, QStringLiteral("texts are written in single quotes"));
        } else {
            return scan.fail(i, QStringLiteral("unexpected character '%1'").arg(c));
        }
        if (!ok)
            return false;
        tokens.push_back(std::move(tok));
    }
    QueryToken end;
    end.type = QueryToken::Type::End;
    end.position = static_cast<int>(n);
    tokens.push_back(end);
    return true;
}

} // namespace pk
