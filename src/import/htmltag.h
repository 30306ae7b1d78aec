#pragma once

#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

namespace pk {

/**
 * @brief One HTML tag read as a browser reads it: its name and its attributes, whose values may
 * stand in double quotes, in single quotes or without quotes. A ">" inside a quoted value does
 * not end the tag.
 */
struct HtmlTag
{
    QString name; ///< upper-cased ("A", "H3", "DL"); blank for a comment or declaration
    bool closing = false;
    /// Attribute names upper-cased, values as written (character references not decoded).
    std::vector<std::pair<QString, QString>> attributes;

    bool is(QStringView upperName) const { return name == upperName; }
    bool has(QStringView upperName) const;
    /// The value as written; blank when the attribute is missing.
    QString value(QStringView upperName) const;

    enum class Result { Complete, Incomplete, NoTag };
    /**
     * Reads the tag that starts at `text[start]` (a "<"). Complete: `end` is the index after its
     * ">". Incomplete: the tag goes on past the end of `text` (when `atEnd`, it is taken to end
     * there, Complete); `end` is then where the quoted value that is still open starts, or -1
     * when none is (no ">" follows at all). NoTag: the "<" starts no tag ("a < b") and is text.
     */
    static Result read(QStringView text, qsizetype start, bool atEnd, HtmlTag &tag, qsizetype &end);
    /// A whole token ("<a href=x>") read as a tag; an empty name when it is none.
    static HtmlTag parse(QStringView token);
};

} // namespace pk
