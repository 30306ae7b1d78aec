#include "cli/progressbar.h"

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pk {

ProgressBar::ProgressBar(bool enabled, std::FILE *err)
    : m_enabled(enabled)
    , m_err(err)
{}

ProgressBar::~ProgressBar()
{
    clear();
}

bool ProgressBar::stderrIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

QString ProgressBar::line(int percent, const QString &label)
{
    const int p = qBound(0, percent, 100);
    const int filled = p * Width / 100;
    QString bar = u"["_s + QString(filled, u'#') + QString(Width - filled, u'.') + u"] "_s
                  + QString::number(p).rightJustified(3) + u'%';
    if (!label.isEmpty())
        bar += u' ' + label.left(60);
    return bar;
}

void ProgressBar::update(int percent, const QString &label)
{
    if (!m_enabled)
        return;
    if (percent == m_lastPercent && m_since.isValid() && m_since.elapsed() < 1000)
        return;
    if (m_since.isValid() && m_since.elapsed() < 100 && percent < 100)
        return;
    m_lastPercent = percent;
    m_since.start();
    draw(line(percent, label));
}

void ProgressBar::clear()
{
    if (!m_enabled || m_drawn == 0)
        return;
    draw(QString());
    std::fputc('\r', m_err);
    std::fflush(m_err);
    m_drawn = 0;
}

void ProgressBar::draw(const QString &text)
{
    QString padded = text;
    if (padded.size() < m_drawn)
        padded += QString(m_drawn - padded.size(), u' ');
    const QByteArray bytes = '\r' + padded.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_err);
    std::fflush(m_err);
    m_drawn = text.size();
}

} // namespace pk
