#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace pk {

class ReportDisplayStrings;

/**
 * @brief "Report Progress...": how far a report has got, with Cancel.
 *
 * The report reads its rows on the window's thread and calls poll() as it goes, which lets
 * the window repaint and notice Cancel.
 */
class ReportProgressWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReportProgressWindow)

public:
    ReportProgressWindow(const ReportDisplayStrings &strings, bool preview, QWidget *parent);

    /// Shows `read` of `total`; true when Cancel was pressed since the last call.
    bool poll(qint64 read, qint64 total);

protected:
    void reject() override;

private:
    QLabel *m_records = nullptr;
    QProgressBar *m_bar = nullptr;
    QString m_recordText;
    bool m_cancel = false;
    qint64 m_shown = -1;
};

} // namespace pk
