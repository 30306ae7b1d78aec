#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace pk {

class IniFile;

/// "Export Help": the lines of export.txt (the current folder's, else the shipped one), read
/// only. A window of the wizard's own, so that it can be read while the wizard is open.
class ExportHelpWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExportHelpWindow)

public:
    static constexpr const char *FileName = "export.txt";

    /// Shows the viewer; does nothing when the file cannot be opened.
    static void show(IniFile *positionIni, QWidget *parent);

    ExportHelpWindow(const QString &text, IniFile *positionIni, QWidget *parent = nullptr);

private:
    QPlainTextEdit *m_text = nullptr;
};

} // namespace pk
