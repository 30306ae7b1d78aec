#pragma once

#include "linkcheck/linktest.h"

#include <QString>

class QWidget;

namespace pk {

class Shell;

/// Registers "RetrieveAndTest", "ValidateAllLinks" and "ValidateIELinks" with the procedure
/// registry.
void registerLinkCheckProcedures();

/// What a test started from the program works with: the shell's current collection, its
/// messages and its error catalogue.
LinkTestEnvironment linkTestEnvironment(Shell &shell);

/// The single-location test: the test window, modal over `parent`, until the test ends.
/// Returns the test's result value.
int retrieveAndTest(const LinkTestEnvironment &environment,
                    const QString &url,
                    bool update,
                    QWidget *parent);

} // namespace pk
