#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace pk {

/// Shows the HTML help shipped in the data folder, at its contents or its index page.
class HelpWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpWindow)

public:
    explicit HelpWindow(const QString &helpFolder, QWidget *parent = nullptr);

    void showContents();
    void showIndex();
    QString currentPage() const;
    /// Places the window over the middle of `owner`.
    void centreOn(const QWidget *owner);

private:
    void open(const QString &page);

    QString m_folder;
    QTextBrowser *m_browser;
};

} // namespace pk
