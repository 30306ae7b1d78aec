#include "linkcheck/analysis/tokencutter.h"

namespace pk {

namespace {

void emitToken(QStringView piece, std::vector<QString> &tokens)
{
    QString token;
    token.reserve(std::min(piece.size(), TokenCutter::MaxToken));
    bool blank = true;
    for (const QChar c : piece) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            continue;
        if (token.size() >= TokenCutter::MaxToken)
            break;
        if (blank && c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            blank = false;
        token.append(c);
    }
    if (!blank)
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
