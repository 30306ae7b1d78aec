#pragma once

#include <QString>

namespace pk {

/**
 * @brief Replaces the first %NAME% in `text` by the value of the environment variable NAME.
 *
 * Only the first pair of '%' signs is looked at, as the registry's expandable values need. A
 * variable that is not set leaves the text as it is, except USERPROFILE, which on this system
 * means the home folder.
 */
QString expandFirstVariable(const QString &text);

} // namespace pk
