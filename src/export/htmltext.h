#pragma once

#include <QString>
#include <QStringView>

namespace pk {

/**
 * @brief Field text made safe to place in an exported page.
 *
 * Field text is plain text (the imports read character references), so every `&`, `<`, `>` and
 * `"` becomes a reference ("&amp;", "&lt;", "&gt;", "&quot;"; the quote so that the text may
 * stand in an attribute value): a stored "&amp;" is written "&amp;amp;" and reads back as
 * "&amp;". Nothing else changes. Category snippets and templates are HTML on purpose and never
 * pass through here.
 */
namespace HtmlText {

QString escape(QStringView text);
/// Shares `text` when nothing needs escaping.
QString escape(const QString &text);

/// Like escape(), and "(" before "URL:" (any letter case) becomes "&#40;", so that a value
/// placed in a template can never be taken for one of the template's own tokens.
QString escapeTemplateValue(QStringView text);

} // namespace HtmlText

} // namespace pk
