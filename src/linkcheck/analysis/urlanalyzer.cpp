#include "linkcheck/analysis/urlanalyzer.h"

#include <limits>

namespace pk {

namespace {

QString waiting()
{
    return QStringLiteral("Waiting for response");
}

} // namespace

UrlAnalyzer::UrlAnalyzer(QString url)
    : m_url(std::move(url))
    , m_status(m_url)
{
    const qsizetype cut = std::max(m_url.lastIndexOf(QLatin1Char('/')),
                                   m_url.lastIndexOf(QLatin1Char('\\')));
    m_suggestion = m_url.mid(cut + 1);
}

UrlAnalyzer::~UrlAnalyzer() = default;

int UrlAnalyzer::fetch(const QString &url, std::vector<QString> &tokens)
{
    UrlAnalyzer analyzer(url);
    while (analyzer.tick(20)) {
    }
    tokens = analyzer.takeTokens();
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
    case 1:
        m_session.emplace(QString::fromLatin1(Agent));
        if (!m_session->isOpen())
            m_step = LastStep;
        break;
    case 2:
        if (!m_request) {
            m_status = waiting();
            m_request = m_session->openUrl(m_url);
            if (!m_request) {
                m_result = 2;
                m_step = LastStep;
                break;
            }
            if (m_request->pump() == InternetRequest::State::Opening)
                break;
        }
        if (m_request->isErrorStatus()) {
            // The server answered with its error page: there is nothing to analyse.
            m_result = 2;
            m_lines.append(m_request->lastResponseText().section(QLatin1Char('\n'), 0, 0).trimmed());
            m_step = LastStep;
        } else if (m_request->state() == InternetRequest::State::Open) {
            m_result = 1;
        } else {
            m_result = 2;
            if (!m_request->errorText().isEmpty())
                m_lines.append(m_request->errorText());
            m_step = LastStep;
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
        if (!m_request->isConnected() && m_request->pump() == InternetRequest::State::Failed) {
            m_result = 0;
            m_step = LastStep;
        }
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
        if (m_firstRead) {
            // The "404" check looks at the first 512 characters, however they arrive.
            if (read == InternetRequest::Read::Data) {
                m_head.append(m_block.data(), qsizetype(got));
                if (m_head.size() < HeadBytes)
                    continue;
            }
            m_firstRead = false;
            if (m_head.isEmpty() || m_head.left(512).contains("404")) {
                m_result = 2;
                m_reading = false;
                return false;
            }
            m_cutter.decoder().choose(m_request->contentType(), m_head);
            m_lines.append(QStringLiteral("Parsing"));
            m_tokens.clear();
            ++m_blocks;
            m_total += m_head.size();
            m_cutter.cutBytes(m_head.constData(), m_head.size(), m_tokens);
            m_head.clear();
            if (read == InternetRequest::Read::Data)
                continue;
        }
        if (read != InternetRequest::Read::Data || got == 0 || m_blocks >= MaxBlocks) {
            m_result = int(std::min<qint64>(m_total, std::numeric_limits<int>::max()));
            m_reading = false;
            return false;
        }
        ++m_blocks;
        m_total += qint64(got);
        m_cutter.cutBytes(m_block.data(), qsizetype(got), m_tokens);
    }
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
