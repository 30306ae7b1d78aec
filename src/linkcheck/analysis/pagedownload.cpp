#include "linkcheck/analysis/pagedownload.h"

#include "framework/userinterface.h"
#include "platform/inifile.h"
#include "store/picture.h"

#include <QDir>

namespace pk {

PageDownload::PageDownload(
    QString target, QString url, QString logFolder, UserInterface *ui, FetchLimits limits)
    : m_url(url.trimmed().left(255))
    , m_logFolder(std::move(logFolder))
    , m_ui(ui)
    , m_limits(limits)
{
    target = target.trimmed();
    if (target.endsWith(QLatin1Char('*')))
        m_folder = target.chopped(1);
    else
        m_fileName = target;
}

PageDownload::~PageDownload()
{
    if (!m_finished)
        cancel();
}

QString PageDownload::deriveFileName(const QString &text, const QString &previous)
{
    qsizetype cut = -1;
    for (const QChar c : {QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char(':')})
        cut = std::max(cut, text.lastIndexOf(c));
    QString name = text.mid(cut + 1);
    if (name.trimmed().isEmpty())
        name = previous;
    for (QChar &c : name) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('/') || c == QLatin1Char(':')
            || c == QLatin1Char('?') || c == QLatin1Char('*'))
            c = QLatin1Char('_');
    }
    for (qsizetype open = name.indexOf(QLatin1Char('[')); open >= 0;
         open = name.indexOf(QLatin1Char('['), open)) {
        const qsizetype close = name.indexOf(QLatin1Char(']'), open);
        if (close < 0)
            break;
        name.remove(open, close - open + 1);
    }
    return name;
}

QString PageDownload::fetch(const QString &target,
                            const QString &url,
                            const QString &logFolder,
                            UserInterface *ui,
                            QString *failure)
{
    return fetch(target, url, logFolder, FetchLimits::current(), ui, failure);
}

QString PageDownload::fetch(const QString &target,
                            const QString &url,
                            const QString &logFolder,
                            const FetchLimits &limits,
                            UserInterface *ui,
                            QString *failure)
{
    PageDownload download(target, url, logFolder, ui, limits);
    if (download.start()) {
        while (download.tick(20)) {
        }
    }
    if (failure)
        *failure = download.failureText();
    return download.writtenFile();
}

bool PageDownload::start()
{
    if (m_url.isEmpty()) {
        m_failure = QStringLiteral("The address is blank");
        m_finished = true;
        return false;
    }
    if (m_fileName.isEmpty()) {
        if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/')))
            m_folder += QLatin1Char('/');
        m_fileName = deriveFileName(m_url, QString());
    }
    m_session.emplace(QString::fromLatin1(Agent), m_limits);
    if (!m_session->isOpen()) {
        m_failure = QStringLiteral("The page fetcher could not be set up");
        m_finished = true;
        return false;
    }
    m_clock.start();
    m_block.resize(BlockSize);
    m_started = true;
    return openNext();
}

bool PageDownload::openNext()
{
    // Every attempt is the same plain request: a server that could not be reached may be
    // reachable a moment later, but a made-up header line only earns a 400.
    if (m_attempt >= Attempts) {
        end(false);
        return false;
    }
    if (m_request && m_request->limitReached() != InternetRequest::Limit::None) {
        // A limit gives the same answer however often it is asked.
        fail(m_request->errorText());
        return false;
    }
    ++m_attempt;
    m_request = m_session->openUrl(m_url);
    return true;
}

bool PageDownload::prepareFile()
{
    if (m_fileName.trimmed().isEmpty()) {
        // The URL names no file: the server's name for the document, else temp.html.
        QString name = m_request->dataFileName();
        if (name.trimmed().isEmpty())
            name = deriveFileName(m_url, QString());
        if (name.trimmed().isEmpty())
            name = QStringLiteral("temp.html");
        m_fileName = deriveFileName(name, name);
    }
    m_filePath = m_folder + m_fileName;

    // The document goes into a temporary file beside its own, which replaces a file of that
    // name only once the document is whole.
    m_file.setFileName(m_filePath);
    if (!m_file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("Could not create ") + m_filePath + QStringLiteral(": ")
             + m_file.errorString());
        return false;
    }
    m_status = m_url;
    return true;
}

void PageDownload::writeLog()
{
    IniFile log(QDir(m_logFolder).filePath(QString::fromLatin1(LogFile)));
    log.load();
    log.setValue(QString::fromLatin1(LogSection),
                 m_url,
                 m_filePath + QStringLiteral(" on ")
                     + Picture::format(QStringLiteral("@d17"), DayNumber::today()));
    log.save();
}

bool PageDownload::tick(int waitMs)
{
    if (m_finished || !m_started)
        return false;
    if (!m_file.isOpen()) {
        const InternetRequest::State state = m_request->pump(waitMs);
        if (state == InternetRequest::State::Opening)
            return true;
        if (state == InternetRequest::State::Failed) {
            m_failure = m_request->errorText();
            return openNext();
        }
        if (m_request->isErrorStatus()) {
            // The server's error page is not the document; asking again gets the same answer.
            fail(m_request->lastResponseText().section(QLatin1Char('\n'), 0, 0).trimmed());
            return false;
        }
        if (!prepareFile())
            return false;
        waitMs = 0;
    }
    m_request->pump(m_request->hasData() ? 0 : waitMs);
    readBlocks();
    return !m_finished;
}

void PageDownload::readBlocks()
{
    for (int i = 0; i < BlocksPerTick && !m_finished; ++i) {
        std::size_t got = 0;
        const InternetRequest::Read read = m_request->read(m_block.data(), m_block.size(), got);
        if (read == InternetRequest::Read::Pending)
            return;
        if (read == InternetRequest::Read::Failed) {
            // The server broke off, or a limit ended the transfer: what arrived is not the
            // document.
            fail(m_request->errorText().isEmpty() ? QStringLiteral("Download failed")
                                                  : m_request->errorText());
            return;
        }
        if (read == InternetRequest::Read::End) {
            end(true);
            return;
        }
        if (m_file.write(m_block.data(), qint64(got)) != qint64(got)) {
            // A file with a hole in it is not the document. The caller reports the failure.
            fail(QStringLiteral("WriteFile failed: ") + m_file.errorString());
            return;
        }
        m_bytes += qint64(got);
        // Refreshing the texts for every kilobyte is waste; once per tick reads the same.
        if (i + 1 == BlocksPerTick
            || m_request->read(nullptr, 0, got) != InternetRequest::Read::Data)
            showProgress();
    }
}

void PageDownload::showProgress()
{
    if (m_bytes > m_highest) {
        m_countText = QString::number(m_bytes) + QStringLiteral("/Unknown");
        m_highest = m_bytes + (m_bytes / 50000 + 1) * 50000;
    } else {
        m_countText = QString::number(m_bytes) + QLatin1Char('/') + QString::number(m_highest);
        m_percentText = QString::number(m_highest > 0 ? m_bytes * 100 / m_highest : 0)
                        + QLatin1Char('%');
    }
    const qint64 hundredths = std::max<qint64>(1, m_clock.elapsed() / 10);
    m_speedText = QString::number(m_bytes / hundredths / 10) + QStringLiteral("k/s");
}

void PageDownload::cancel()
{
    if (m_finished)
        return;
    m_failure.clear();
    end(false);
}

void PageDownload::fail(const QString &why)
{
    m_failure = why;
    m_status = why;
    end(false);
}

void PageDownload::end(bool success)
{
    m_request.reset();
    m_session.reset();
    if (m_file.isOpen()) {
        if (!success) {
            // Nothing of a failed download stays behind: the temporary file goes.
            m_file.cancelWriting();
            (void) m_file.commit(); // after cancelWriting() this only discards
        } else if (!m_file.commit()) {
            m_failure = QStringLiteral("Could not write ") + m_filePath + QStringLiteral(": ")
                        + m_file.errorString();
            m_status = m_failure;
            success = false;
        }
    }
    if (success) {
        writeLog();
        showProgress();
        m_percentText = QStringLiteral("100%");
    } else if (m_failure.isEmpty() && !m_finished && m_started && m_attempt >= Attempts) {
        m_failure = QStringLiteral("The page could not be opened");
    }
    m_succeeded = success;
    m_finished = true;
}

} // namespace pk
