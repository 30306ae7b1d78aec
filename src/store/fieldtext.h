#pragma once

#include <QString>
#include <QStringView>

namespace pk {

/// `text` without trailing spaces (the stored form of a fixed-length text).
QString trimTrailingSpaces(QStringView text);
/// `text` cut to at most `width` characters (code points), never splitting a character: a cut
/// that would separate combining marks or a surrogate pair from their base goes before it.
QString truncateToWidth(QStringView text, int width);
/// Both: what assigning `text` to a field of `width` characters stores.
QString fitToField(QStringView text, int width);
/// Length of `text` in characters (code points).
int characterCount(QStringView text);

} // namespace pk
