#include "import/csv/csvfileerror.h"

using namespace Qt::StringLiterals;

namespace pk::CsvFileError {

QString describe(const QFileDevice &file, int savedErrno)
{
    if (savedErrno != 0)
        return u"Error #"_s + QString::number(savedErrno) + u" - "_s + qt_error_string(savedErrno);
    return u"Error #"_s + QString::number(static_cast<int>(file.error())) + u" - "_s
           + file.errorString();
}

} // namespace pk::CsvFileError
