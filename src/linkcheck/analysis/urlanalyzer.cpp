#include "linkcheck/analysis/urlanalyzer.h"

#include <limits>

namespace pk {

namespace {

QString waiting()
{
    return QStringLiteral("Waiting for response");
}

} // namespace

UrlAnalyzer::UrlAnalyzer(QString url, FetchLimits limits)
    : m_url(std::move(url))
    , m_status(m_url)
    , m_limits(limits)
{
    // The read stops at the smaller size limit and the page read so far is analysed; the
    // request itself ends only on the time limits and the unpacking ratio.
    for (const qint64 bound : {m_limits.pageBytes, m_limits.unpackedBytes}) {
        if (bound > 0 && (m_readLimit == 0 || bound < m_readLimit))
            m_readLimit = bound;
    }
    const qsizetype cut = std::max(m_url.lastIndexOf(QLatin1Char('/')),
                                   m_url.lastIndexOf(QLatin1Char('\\')));
    m_suggestion = m_url.mid(cut + 1);
}

UrlAnalyzer::~UrlAnalyzer() = default;

int UrlAnalyzer::fetch(const QString &url, std::vector<QString> &tokens)
{
    return fetchWith(url, tokens, FetchLimits::current(), nullptr);
}

int UrlAnalyzer::fetchWith(const QString &url,
                           std::vector<QString> &tokens,
                           const FetchLimits &limits,
                           QString *failure)
{
    UrlAnalyzer analyzer(url, limits);
    while (analyzer.tick(20)) {
    }
    tokens = analyzer.takeTokens();
    if (failure)
        *failure = analyzer.failureText();
    return analyzer.result();
}

bool UrlAnalyzer::tick(int waitMs)
{
    if (m_finished)
        return false;
    // A step that waits for the network moves the transfer on without advancing.
    if (m_request && m_step == 2 && m_request->state() == InternetRequest::State::Opening) {
        if (m_request->pump(waitMs) == InternetRequest::State::Opening)
            return true;
        runStep();
    } else if (m_reading) {
        if (readPage(waitMs))
            return true;
        m_step = LastStep;
    } else {
        ++m_step;
        m_progress = m_step * 10;
        runStep();
    }
    if (m_request && m_step == 2 && m_request->state() == InternetRequest::State::Opening)
        return true;
    if (m_reading)
        return true;
    addStatusLine();
    if (m_step >= LastStep)
        finish();
    return !m_finished;
}

void UrlAnalyzer::runStep()
{
    switch (m_step) {
    case 1: {
        FetchLimits requestLimits = m_limits;
        requestLimits.pageBytes = 0;
        requestLimits.unpackedBytes = 0;
        m_session.emplace(QString::fromLatin1(Agent), requestLimits);
        if (!m_session->isOpen()) {
            m_failure = QStringLiteral("The page fetcher could not be set up");
            m_step = LastStep;
        }
        break;
    }
    case 2:
        if (!m_request) {
            m_status = waiting();
            m_request = m_session->openUrl(m_url);
            if (!m_request) {
                fail(2, QStringLiteral("The page could not be opened"));
                break;
            }
            if (m_request->pump() == InternetRequest::State::Opening)
                break;
        }
        if (m_request->isErrorStatus()) {
            // The server answered with its error page: there is nothing to analyse.
            fail(2, m_request->lastResponseText().section(QLatin1Char('\n'), 0, 0).trimmed());
        } else if (m_request->state() == InternetRequest::State::Open) {
            m_result = 1;
        } else {
            fail(2,
                 m_request->errorText().isEmpty() ? QStringLiteral("The page could not be opened")
                                                  : m_request->errorText());
        }
        break;
    case 3:
    case 5: {
        m_status = waiting();
        const QString response = m_request->lastResponseText();
        if (!response.isEmpty())
            m_status = response;
        break;
    }
    case 6:
        m_status = waiting();
        if (!m_request->isConnected() && m_request->pump() == InternetRequest::State::Failed)
            fail(0,
                 m_request->errorText().isEmpty() ? QStringLiteral("The connection was lost")
                                                  : m_request->errorText());
        break;
    case 7:
        m_status = QStringLiteral("Analyzing HTML document");
        m_block.resize(BlockSize);
        m_reading = true;
        m_firstRead = true;
        if (!readPage(0))
            m_step = LastStep;
        break;
    case LastStep:
        m_result = 1;
        break;
    default:
        break;
    }
}

bool UrlAnalyzer::readPage(int waitMs)
{
    // Reads what has arrived, block by block; true while more is expected.
    for (int blocksThisTick = 0;; ++blocksThisTick) {
        // One tick reads a bounded amount, then gives the event loop its turn.
        if (blocksThisTick == 64)
            return true;
        std::size_t got = 0;
        InternetRequest::Read read = m_request->read(m_block.data(), m_block.size(), got);
        if (read == InternetRequest::Read::Pending) {
            m_request->pump(waitMs);
            waitMs = 0;
            read = m_request->read(m_block.data(), m_block.size(), got);
            if (read == InternetRequest::Read::Pending)
                return true;
        }
        if (read == InternetRequest::Read::Failed) {
            // A server that stalls, drips or sends a compression bomb has no page to analyse.
            const InternetRequest::Limit limit = m_request->limitReached();
            if (limit == InternetRequest::Limit::Ratio
                || limit == InternetRequest::Limit::RequestTime
                || limit == InternetRequest::Limit::Silence) {
                m_reading = false;
                fail(2, m_request->errorText());
                return false;
            }
        }
        if (m_firstRead) {
            // The "404" check looks at the first 512 characters, however they arrive.
            if (read == InternetRequest::Read::Data) {
                m_head.append(m_block.data(), qsizetype(got));
                if (m_head.size() < HeadBytes)
                    continue;
            }
            m_firstRead = false;
            if (m_head.isEmpty() || m_head.left(512).contains("404")) {
                m_reading = false;
                if (!m_head.isEmpty())
                    fail(2, QStringLiteral("The page's first 512 characters contain \"404\""));
                else if (read == InternetRequest::Read::Failed && !m_request->errorText().isEmpty())
                    fail(2, m_request->errorText());
                else
                    fail(2, QStringLiteral("The page is empty"));
                return false;
            }
            m_cutter.decoder().choose(m_request->contentType(), m_head);
            m_lines.append(QStringLiteral("Parsing"));
            m_kept.clear();
            ++m_blocks;
            cutBlock(m_head.constData(), m_head.size());
            m_head.clear();
            if (!m_reading)
                return false;
            if (read == InternetRequest::Read::Data)
                continue;
        }
        if (read != InternetRequest::Read::Data || got == 0 || m_blocks >= MaxBlocks) {
            pageRead();
            return false;
        }
        ++m_blocks;
        cutBlock(m_block.data(), qsizetype(got));
        if (!m_reading)
            return false;
    }
}

void UrlAnalyzer::cutBlock(const char *data, qsizetype size)
{
    // Analysis needs the head of a page and its links: the rest of a huge page is not read.
    const bool last = m_readLimit > 0 && m_total + size >= m_readLimit;
    if (last)
        size = qsizetype(m_readLimit - m_total);
    m_total += size;
    m_cutter.cutBytes(data, size, m_cut);
    m_kept.take(m_cut);
    if (last) {
        m_lines.append(QStringLiteral("Only the first ") + FetchLimits::sizeText(m_readLimit)
                       + QStringLiteral(" of the page were read (the largest page allowed)"));
        m_request.reset();
        pageRead();
    }
}

void UrlAnalyzer::pageRead()
{
    if (m_kept.metaTagsLeftOut() > 0)
        m_lines.append(QString::number(m_kept.metaTagsLeftOut())
                       + QStringLiteral(" meta tags after the first ")
                       + QString::number(AnalysisTokens::MaxMetaTags)
                       + QStringLiteral(" were left out"));
    m_result = int(std::min<qint64>(m_total, std::numeric_limits<int>::max()));
    m_reading = false;
}

void UrlAnalyzer::fail(int result, const QString &why)
{
    m_result = result;
    m_failure = why;
    if (!why.isEmpty())
        m_lines.append(why.left(255));
    m_step = LastStep;
}

void UrlAnalyzer::addStatusLine()
{
    QString line = m_status.left(255);
    for (QChar &c : line) {
        if (c < QLatin1Char(' '))
            c = QLatin1Char(' ');
    }
    if (!line.trimmed().isEmpty())
        m_lines.append(line);
}

void UrlAnalyzer::cancel()
{
    if (m_finished)
        return;
    m_result = Cancelled;
    m_reading = false;
    finish();
}

void UrlAnalyzer::finish()
{
    m_progress = 90;
    m_request.reset();
    m_session.reset();
    m_finished = true;
}

} // namespace pk
