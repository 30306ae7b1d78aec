#pragma once

#include <QString>
#include <QStringList>

namespace pk {

/**
 * @brief `Export:ImportDefaultHTML`: a template file cut into pieces.
 *
 * Lines end at line feeds when the first 1024 bytes hold a line feed and no carriage return,
 * else at carriage returns; line feeds and carriage returns are then dropped. Each line is cut
 * before every "<" and after every ">", so every tag and every run of text between tags is a
 * piece of its own. Blank pieces are dropped. Long lines are kept whole.
 */
class DefaultHtmlReader final
{
public:
    /// Appends the pieces of `path` to `pieces`; false when the file cannot be read.
    static bool read(const QString &path, QStringList &pieces);
    /// The pieces of the text of one line.
    static void cutLine(QStringView line, QStringList &pieces);
};

} // namespace pk
