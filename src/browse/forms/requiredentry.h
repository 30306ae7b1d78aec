#pragma once

#include <QString>

namespace pk {

class UserInterface;

/// The forms' report of a blank required entry: "@PROMPT must be entered." titled
/// "Missing Information", the prompt's text (without its accelerator) in double quotes.
namespace RequiredEntry {
QString message(const QString &prompt);
void report(UserInterface &ui, const QString &prompt);
} // namespace RequiredEntry

} // namespace pk
