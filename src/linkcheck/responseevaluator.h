#pragma once

#include "store/records.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace pk {

/// What one response header says about a location, ready to be written back.
struct ResponseOutcome
{
    /// The seven fields the test writes; taken from the record, then changed by the header.
    quint8 Validated = 0;
    qint32 LastValidated = 0;
    QString MovedTo;
    qint32 PageSize = 0;
    qint32 Expires = 0;
    QString Custom1;
    QString Custom2;

    int statusCode = 0; ///< 0 when no status line could be read
    QString statusLine; ///< the status line as it came (cut to the detail value width)
    bool sawStatusLine = false;
    /// The answer does not begin with an HTTP status line: the location failed.
    bool notHttp = false;
    /// A Location or Content-Location named an address that is not http or https.
    bool notWebTarget = false;
    std::vector<QString> details; ///< detail values to add, in the order found
};

/**
 * @brief Reads a HEAD response header line by line and decides what it means for a location.
 *
 * Passed (1) or failed (2) follows the status code; a Location (or Content-Location) naming
 * another http or https address records it as moved (a relative one resolved against the
 * tested address), and a plain Location makes a redirect count as passed. An answer that does
 * not begin with a well-formed status line ("HTTP/1.1 200 OK"), and a Location naming the same
 * address or one of another scheme, fail the location with a detail row saying why.
 * Content-Type and Last-Modified go to Custom2 and Custom1 only where the user has not put
 * texts of their own.
 */
class ResponseEvaluator final
{
public:
    static constexpr int MaxValueLength = 1024;
    static constexpr int MaxStatusDetailLength = 90;

    /// Where a Location value sends a request for `from`.
    struct Target
    {
        enum Kind { None, Same, Elsewhere, NotWeb };
        Kind kind = None;
        QString address; ///< the absolute address (Elsewhere and Same)
    };
    static Target redirectTarget(const QString &value, const QString &from);

    /// The code of a well-formed status line ("HTTP/1.x nnn reason", a three-digit code from
    /// 100 to 599); 0 for any other line.
    static int statusLineCode(QStringView line);

    /// Evaluates `header` for the location `url`, starting from `record`'s current values.
    /// `withDetails` adds the status line to `details` (the test writes it as a detail row).
    static ResponseOutcome evaluate(const QByteArray &header,
                                    const QString &url,
                                    const LocationRecord &record,
                                    qint32 today,
                                    bool withDetails);

    /// The day number of an HTTP date's date part ("Sun, 06 Nov 1994 08:49:37 GMT"); 0 when
    /// it cannot be read.
    static qint32 expiryDay(const QString &value);

    /// Copies the seven evaluated fields into `record`.
    static void apply(const ResponseOutcome &outcome, LocationRecord &record);
};

} // namespace pk
