#include "import/webpageimport.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "import/importsummary.h"
#include "linkcheck/analysis/internetrequest.h"
#include "linkcheck/analysis/internetsession.h"
#include "store/locationaddress.h"

#include <QDir>
#include <QUrl>

#include <array>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr const char *kTitle = "Import";
// A fetch step waits this long for the network at most, so the window stays responsive.
constexpr int kWaitMs = 40;
constexpr int kBlocksPerStep = 64;

} // namespace

WebPageImport::WebPageImport(Collection &collection,
                             ErrorManager &errors,
                             QString url,
                             CategoryMode mode,
                             QString selectedCategory)
    : m_errors(errors)
    , m_url(url.trimmed())
    , m_page(QDir::tempPath() + u"/pathkeep-page-XXXXXX.html"_s)
{
    // The file exists from here on, so the import knows its name; it is filled by the fetch.
    m_page.open();
    m_html = std::make_unique<HtmlImport>(collection,
                                          errors,
                                          HtmlImport::Settings{u"HTML"_s,
                                                               m_page.fileName(),
                                                               mode,
                                                               std::move(selectedCategory),
                                                               false});
    m_html->setSource(m_url);
}

WebPageImport::~WebPageImport() = default;

bool WebPageImport::start()
{
    const LocationAddress::Problem problem = LocationAddress::check(m_url);
    if (problem != LocationAddress::Problem::None) {
        m_stage = Stage::Done;
        m_failed = true;
        m_errors.ui().message(QLatin1String(kTitle),
                              problem == LocationAddress::Problem::Blank
                                  ? u"No web address was given to import from."_s
                                  : LocationAddress::message(problem, m_url),
                              UserInterface::Icon::Warning);
        return false;
    }
    const QString scheme = QUrl(m_url).scheme().toLower();
    if (scheme != u"http"_s && scheme != u"https"_s) {
        fail(u"Only http:// and https:// addresses can be fetched."_s);
        return false;
    }
    if (!m_page.isOpen()) {
        fail(u"No temporary file could be made for the page: "_s + m_page.errorString());
        return false;
    }
    m_session = std::make_unique<InternetSession>(QLatin1String(Agent));
    m_request = m_session->openUrl(m_url);
    if (!m_request) {
        fail(u"The web client could not be set up."_s);
        return false;
    }
    m_lastByte.start();
    return true;
}

void WebPageImport::fail(const QString &why)
{
    m_stage = Stage::Done;
    m_failed = true;
    m_request.reset();
    m_errors.ui().message(QLatin1String(kTitle),
                          u"The page "_s + LocationAddress::shown(m_url)
                              + u" could not be fetched:\n"_s + why,
                          UserInterface::Icon::Warning);
}

bool WebPageImport::fetchStep()
{
    if (!m_request)
        return false;
    const InternetRequest::State state = m_request->pump(m_request->hasData() ? 0 : kWaitMs);
    if (state == InternetRequest::State::Failed) {
        fail(m_request->errorText().isEmpty() ? u"The connection failed."_s
                                              : m_request->errorText());
        return false;
    }
    if (state == InternetRequest::State::Opening) {
        if (m_lastByte.hasExpired(SilenceMs)) {
            fail(u"The server did not answer."_s);
            return false;
        }
        return true;
    }
    if (m_request->isErrorStatus()) {
        fail(m_request->lastResponseText().section(u'\n', 0, 0).trimmed());
        return false;
    }
    std::array<char, 16 * 1024> block;
    for (int i = 0; i < kBlocksPerStep; ++i) {
        std::size_t got = 0;
        switch (m_request->read(block.data(), block.size(), got)) {
        case InternetRequest::Read::Pending:
            if (m_lastByte.hasExpired(SilenceMs)) {
                fail(u"The server stopped sending the page."_s);
                return false;
            }
            return true;
        case InternetRequest::Read::Failed:
            fail(m_request->errorText().isEmpty() ? u"The server broke off the page."_s
                                                  : m_request->errorText());
            return false;
        case InternetRequest::Read::End:
            m_request.reset();
            m_fetched = true;
            m_page.close();
            return false;
        case InternetRequest::Read::Data:
            break;
        }
        m_lastByte.start();
        m_bytes += qint64(got);
        if (m_bytes > MaxPageBytes) {
            fail(u"The page is larger than "_s + QString::number(MaxPageBytes / (1024 * 1024))
                 + u" MB."_s);
            return false;
        }
        if (m_page.write(block.data(), qint64(got)) != qint64(got)) {
            fail(u"The page could not be written to "_s + m_page.fileName() + u": "_s
                 + m_page.errorString());
            return false;
        }
    }
    return true;
}

bool WebPageImport::step()
{
    switch (m_stage) {
    case Stage::Fetching:
        if (fetchStep())
            return true;
        if (!m_fetched)
            return false; // failed or cancelled: already said
        if (!m_html->open()) {
            m_stage = Stage::Done;
            m_failed = true;
            return false;
        }
        m_stage = Stage::Importing;
        return true;
    case Stage::Importing:
        if (m_html->step())
            return true;
        m_stage = Stage::Done;
        return false;
    case Stage::Done:
        break;
    }
    return false;
}

void WebPageImport::cancel()
{
    if (m_stage == Stage::Fetching) {
        m_request.reset();
        m_html->inserter().markCancelled();
        m_stage = Stage::Done;
    } else if (m_stage == Stage::Importing) {
        m_html->cancel();
    }
}

void WebPageImport::reportResult()
{
    if (m_failed)
        return;
    ImportSummary::show(m_errors.ui(),
                        HtmlImport::resultText(m_html->added()),
                        m_html->inserter().counts());
}

QString WebPageImport::statusText() const
{
    if (m_stage == Stage::Fetching)
        return u"Fetching "_s + LocationAddress::shown(m_url) + u" ("_s
               + QString::number(m_bytes / 1024) + u" KB)"_s;
    return m_html->hasLinkPass() ? m_html->remainingText() : m_html->readingText();
}

int WebPageImport::percent() const
{
    if (m_stage == Stage::Fetching)
        return 0;
    if (m_html->hasLinkPass()) {
        const qsizetype total = std::max<qsizetype>(1, m_html->tokenTotal());
        return int(m_html->tokensExamined() * 100 / total);
    }
    return m_html->percent();
}

} // namespace pk
