#pragma once

#include <QByteArray>
#include <QString>

namespace pk::test {

/// Builds a Chromium session command log record by record, as the browser writes it.
class SnssWriter
{
public:
    explicit SnssWriter(quint32 version = 3);

    /// A record of `command` with `payload` as it stands.
    SnssWriter &record(quint8 command, const QByteArray &payload);
    /// A record whose payload is the int32 values given.
    SnssWriter &ints(quint8 command, std::initializer_list<qint32> values);
    /// A navigation entry: a pickle of tab, index, address and UTF-16 title, then the fields
    /// the browser adds after them.
    SnssWriter &navigation(qint32 tab,
                           qint32 index,
                           const QByteArray &address,
                           const QString &title);
    /// Tab `tab` in window `window` at `position`, showing its navigation `selected`.
    SnssWriter &tab(qint32 window, qint32 tab, qint32 position, qint32 selected = 0);

    QByteArray data() const { return m_data; }

private:
    QByteArray m_data;
};

} // namespace pk::test
