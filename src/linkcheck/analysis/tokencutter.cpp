#include "linkcheck/analysis/tokencutter.h"

namespace pk {

namespace {

void emitToken(QStringView piece, std::vector<QString> &tokens)
{
    bool blank = true;
    bool hasBreak = false;
    for (const QChar c : piece) {
        const char16_t u = c.unicode();
        if (u == u'\r' || u == u'\n')
            hasBreak = true;
        else if (blank && u != u' ' && u != u'\t')
            blank = false;
    }
    if (blank)
        return;
    if (!hasBreak) {
        tokens.push_back(piece.left(TokenCutter::MaxToken).toString());
        return;
    }
    QString token(std::min(piece.size(), TokenCutter::MaxToken), Qt::Uninitialized);
    QChar *out = token.data();
    qsizetype length = 0;
    for (const QChar c : piece) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            continue;
        if (length == TokenCutter::MaxToken)
            break;
        out[length++] = c;
    }
    token.truncate(length);
    tokens.push_back(std::move(token));
}

} // namespace

void TokenCutter::cut(QStringView block, std::vector<QString> &tokens)
{
    const QChar *data = block.data();
    const qsizetype size = block.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'<') {
            if (i - start >= 2) {
                emitToken(block.sliced(start, i - start), tokens);
                start = i;
            }
        } else if (c == u'>') {
            if (i + 1 - start >= 2) {
                emitToken(block.sliced(start, i + 1 - start), tokens);
                start = i + 1;
            }
        }
    }
    if (start < size)
        emitToken(block.sliced(start), tokens);
}

void TokenCutter::cutBytes(const char *data, qsizetype size, std::vector<QString> &tokens)
{
    const QString text = m_decoder.decode(QByteArrayView(data, size));
    cut(text, tokens);
}

} // namespace pk
