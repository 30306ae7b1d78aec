#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace pk {

/// One address found in a line of free text, and the text that follows it.
struct ScannedAddress
{
    QString location; ///< whole, however long
    QString rest;     ///< the rest of the line after the address, leading blanks removed

    bool operator==(const ScannedAddress &) const = default;
};

/**
 * @brief Finds web addresses in a line of free text.
 *
 * An address starts at "http://", "https://", "ftp://", "telnet://", "news://" or "gopher://",
 * or is the quoted value of an "a href" (any letter case). It runs on over the characters a URL
 * may hold (letters, digits and - . _ ~ : / ? # [ ] @ ! $ & ' ( ) * + ; = %) and ends at
 * anything else: a space, a comma, "<", a quote, the end of the line. The character that ends
 * it is dropped and the scan goes on after it, so one line may give several addresses.
 */
class AddressScanner final
{
public:
    static constexpr int LocationWidth = 2048;

    static QList<ScannedAddress> scan(QStringView line);
    /// Whether `c` may continue an address.
    static bool continuesAddress(QChar c);
};

} // namespace pk
