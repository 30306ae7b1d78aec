#pragma once

#include <QString>
#include <QtGlobal>

namespace pk {

/// The kinds of text on a report page; each has its own font.
enum class ReportStyle { Title, Subtitle, Heading, Body, Footer };

/**
 * @brief How wide a text is and how tall a line is, in the units of the page being laid out.
 *
 * The printing side measures with the printer's fonts; tests measure in characters.
 */
class ReportMetrics
{
public:
    virtual ~ReportMetrics() = default;
    virtual qreal width(ReportStyle style, const QString &text) const = 0;
    virtual qreal lineHeight(ReportStyle style) const = 0;
};

} // namespace pk
