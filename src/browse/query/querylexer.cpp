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

} // namespace

bool QueryLexer::tokenize(const QString &text, std::vector<QueryToken> &tokens, QueryError &error)
{
    tokens.clear();
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto fail = [&](qsizetype pos, const QString &reason) {
        error.position = static_cast<int>(pos);
        error.reason = reason;
        return false;
    };
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        QueryToken tok;
        tok.position = static_cast<int>(i);
        if (isNameStart(c)) {
            qsizetype j = i;
            while (true) {
                while (j < n && isNamePart(text.at(j)))
                    ++j;
                if (j < n && text.at(j) == u':') {
                    qsizetype k = j;
                    while (k < n && text.at(k) == u':')
                        ++k;
                    if (k >= n || !isNamePart(text.at(k)))
                        return fail(j, QStringLiteral("a field name must not end with ':'"));
                    j = k;
                    continue;
                }
                break;
            }
            tok.type = QueryToken::Type::Name;
            tok.text = text.mid(i, j - i);
            i = j;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && text.at(i + 1).isDigit())) {
            qsizetype j = i;
            while (j < n && text.at(j).isDigit())
                ++j;
            bool isReal = false;
            if (j < n && text.at(j) == u'.') {
                isReal = true;
                ++j;
                while (j < n && text.at(j).isDigit())
                    ++j;
            }
            if (j < n && isNameStart(text.at(j)))
                return fail(j, QStringLiteral("unexpected '%1' after a number").arg(text.at(j)));
            const QString digits = text.mid(i, j - i);
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
        } else if (c == u'\'') {
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (text.at(j) == u'\'') {
                    if (j + 1 < n && text.at(j + 1) == u'\'') {
                        value += u'\'';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += text.at(j++);
            }
            if (!closed)
                return fail(i, QStringLiteral("the text starting here has no closing quote"));
            tok.type = QueryToken::Type::Text;
            tok.text = value;
            i = j;
        } else if (c == u'(' || c == u')' || c == u',' || c == u'-') {
            tok.type = c == u'('   ? QueryToken::Type::LParen
                       : c == u')' ? QueryToken::Type::RParen
                       : c == u',' ? QueryToken::Type::Comma
                                   : QueryToken::Type::Minus;
            tok.text = c;
            ++i;
        } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
            const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
            tok.type = QueryToken::Type::Compare;
            if (c == u'!') {
                if (next != u'=')
                    return fail(i, QStringLiteral("'!' must be followed by '='"));
                tok.text = QStringLiteral("<>");
                i += 2;
            } else if ((c == u'<' && (next == u'>' || next == u'='))
                       || (c == u'>' && next == u'=')) {
                tok.text = text.mid(i, 2);
                i += 2;
            } else {
                tok.text = c;
                ++i;
            }
        } else if (c == u'"') {
            return fail(i, QStringLiteral("texts are written in single quotes"));
        } else {
            return fail(i, QStringLiteral("unexpected character '%1'").arg(c));
        }
        tokens.push_back(std::move(tok));
    }
    QueryToken end;
    end.type = QueryToken::Type::End;
    end.position = static_cast<int>(n);
    tokens.push_back(end);
    return true;
}

} // namespace pk
