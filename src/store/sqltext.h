#pragma once

#include <QString>

#include <string>

namespace pk::sqltext {

/// A statement or value as SQLiteCpp takes it.
inline std::string utf8(const QString &s)
{
    return s.toStdString();
}

/// A table, schema or column name kept as a C string.
inline QString str(const char *s)
{
    return QString::fromLatin1(s);
}

} // namespace pk::sqltext
