#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace pk {

/// "Import Help" and "Export Help": a help text in a read-only, scrollable box with "&Close".
class HelpViewerWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpViewerWindow)

public:
    HelpViewerWindow(const QString &title, const QString &text, QWidget *parent = nullptr);

    QPlainTextEdit *textBox() const { return m_text; }

private:
    QPlainTextEdit *m_text = nullptr;
};

} // namespace pk
