#include "snsswriter.h"

#include "browse/capture/chromiumsession.h"

#include <QtEndian>

namespace pk::test {

namespace {

void int32(QByteArray &out, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void pad(QByteArray &out)
{
    while (out.size() % 4 != 0)
        out.append('\0');
}

} // namespace

SnssWriter::SnssWriter(quint32 version)
{
    m_data = "SNSS";
    int32(m_data, qint32(version));
}

SnssWriter &SnssWriter::record(quint8 command, const QByteArray &payload)
{
    char size[2];
    qToLittleEndian(quint16(payload.size() + 1), size);
    m_data.append(size, 2);
    m_data.append(char(command));
    m_data.append(payload);
    return *this;
}

SnssWriter &SnssWriter::ints(quint8 command, std::initializer_list<qint32> values)
{
    QByteArray payload;
    for (qint32 v : values)
        int32(payload, v);
    return record(command, payload);
}

SnssWriter &SnssWriter::navigation(qint32 tab,
                                   qint32 index,
                                   const QByteArray &address,
                                   const QString &title)
{
    QByteArray body;
    int32(body, tab);
    int32(body, index);
    int32(body, qint32(address.size()));
    body.append(address);
    pad(body);
    int32(body, qint32(title.size()));
    for (QChar c : title) {
        char unit[2];
        qToLittleEndian(c.unicode(), unit);
        body.append(unit, 2);
    }
    pad(body);
    int32(body, 0); // page state
    int32(body, 1); // transition
    int32(body, 0); // has post data
    body.append(QByteArray(24, '\0'));
    QByteArray pickle;
    int32(pickle, qint32(body.size()));
    return record(ChromiumSession::UpdateTabNavigation, pickle + body);
}

SnssWriter &SnssWriter::tab(qint32 window, qint32 tab, qint32 position, qint32 selected)
{
    ints(ChromiumSession::SetTabWindow, {window, tab});
    ints(ChromiumSession::SetTabIndexInWindow, {tab, position});
    return ints(ChromiumSession::SetSelectedNavigationIndex, {tab, selected});
}

} // namespace pk::test
