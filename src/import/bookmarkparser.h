#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace pk {

/// A link found on a line of a bookmark file.
struct BookmarkLink
{
    QString location;    ///< leading blanks removed, at most 255 characters
    QString description; ///< the anchor's text, leading blanks removed, at most 255
    QString siteInfo;    ///< text after the anchor, at most 2048; blank when it starts a tag
};

/// What one line of a bookmark file holds.
struct BookmarkLine
{
    /// A "<DD>" line: `text` is the description for the link before it.
    bool isDescription = false;
    /// A folder heading: `text` is the folder's name (at most 50 characters).
    bool isFolder = false;
    QString text;
    /// The folder lists ("<DL>" true, "</DL>" false) opened and closed on the line, in order.
    std::vector<bool> lists;
    /// Links of the line, in order; empty for description and folder lines.
    std::vector<BookmarkLink> links;
};

/**
 * @brief Reads the lines of a bookmark file in the Netscape format (as browsers export it).
 *
 * A line starting with "<DD>" describes the link before it; a "<DT>" line with an "<H3"
 * heading names a folder; any other line is scanned for "href" attributes whose quoted value
 * holds ":", "www", ".net" or ".com", each giving a link with the text up to "</a>" as its
 * description and the text after it as site information. The "<DL>" and "</DL>" marks that open
 * and close folder lists are reported so the reader can tell when a folder ends.
 */
class BookmarkParser final
{
public:
    static constexpr int FolderWidth = 50;
    static constexpr int LocationWidth = 255;
    static constexpr int DescriptionWidth = 255;
    static constexpr int SiteInfoWidth = 2048;

    static BookmarkLine parseLine(QStringView line);
    /// The links of a line (the link scan alone).
    static std::vector<BookmarkLink> scanLinks(QStringView line);
};

} // namespace pk
