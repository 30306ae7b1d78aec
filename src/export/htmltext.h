#pragma once

#include <QString>
#include <QStringView>

namespace pk {

/**
 * @brief Field text made safe to place in an exported page.
 *
 * `<` and `>` always become references, `"` too (so the text may stand in an attribute value),
 * and `&` unless it already begins a character reference such as "&amp;", "&#233;" or
 * "&#x2019;" (text brought in from web pages carries those and must render as before). Nothing
 * else changes. Category snippets and templates are HTML on purpose and never pass through here.
 */
namespace HtmlText {

QString escape(QStringView text);
/// Shares `text` when nothing needs escaping.
QString escape(const QString &text);

/// Like escape(), and "(" before "URL:" (any letter case) becomes "&#40;", so that a value
/// placed in a template can never be taken for one of the template's own tokens.
QString escapeTemplateValue(QStringView text);

/// Whether `text` at `pos` (an '&') starts a character reference ("&name;", "&#nn;", "&#xhh;").
bool startsCharacterReference(QStringView text, qsizetype pos);

} // namespace HtmlText

} // namespace pk
