#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace pk {

class FavoritesImport;
class TextTableModel;

/**
 * @brief "Searching MSIE Favorites...": lists the favourites tree and imports it on its timer,
 * EntriesPerStep shortcuts a tick, then reports the count and closes itself. OK ends the import
 * early and keeps what was added.
 */
class FavoritesImportWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FavoritesImportWindow)

public:
    enum class Stage { Start, Scanning, Importing, Done };

    explicit FavoritesImportWindow(std::unique_ptr<FavoritesImport> import,
                                   QWidget *parent = nullptr);
    ~FavoritesImportWindow() override;

    FavoritesImport &import() { return *m_import; }
    Stage stage() const { return m_stage; }
    QTableView *list() const { return m_list; }
    QLabel *prompt() const { return m_prompt; }

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void tick();
    void scanned();
    void end();
    void closeWindow();
    void stopByUser();

    std::unique_ptr<FavoritesImport> m_import;
    Stage m_stage = Stage::Start;
    QTimer *m_timer = nullptr;
    QLabel *m_prompt = nullptr;
    QLabel *m_folder = nullptr;
    QLabel *m_wait = nullptr;
    QTableView *m_list = nullptr;
    TextTableModel *m_model = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_cursor = false;
    bool m_reported = false;
    bool m_inStep = false;
    bool m_closeRequested = false;
    bool m_stopRequested = false;
};

} // namespace pk
