#pragma once

class QWidget;

namespace pk {

/// The help page of the field-selected export and import windows.
namespace ExchangeHelp {

/// Shows the page in a window of its own; says so when the page is not installed.
void show(QWidget *parent);

} // namespace ExchangeHelp

} // namespace pk
