#pragma once

#include "browse/forms/locationform.h"
#include "browse/forms/widgets/formscontext.h"
#include "browse/forms/widgets/locationentries.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableView;
class QVBoxLayout;

namespace pk {

class TextTableModel;

/**
 * @brief "Update Location Information" (`UpdatePATHKEEP`): the location form with the tabs
 * General, Site Info, Additional Keywords and Custom, the detail rows below them, the
 * original file name and OK/Cancel.
 */
class LocationFormDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocationFormDialog)

public:
    /// Picks a category for "&Browse"; the default opens "Select Category".
    using CategoryPicker
        = std::function<std::optional<QString>(const QString &typed, QWidget *parent)>;
    /// Picks a date for a "..." button; the default opens the calendar.
    using DatePicker = std::function<qint32(qint32 day, const QString &title, QWidget *parent)>;

    LocationFormDialog(FormsContext context,
                       FormRequest request,
                       const QString &location,
                       QWidget *parent = nullptr);

    /// Runs one request; true when it completed. The delete request asks and deletes without a window.
    static bool run(FormsContext context,
                    const LocationFormRequest &request,
                    QWidget *parent = nullptr);

    LocationForm &form() { return m_form; }
    bool isLoaded() const { return m_loaded; }
    void setCategoryPicker(CategoryPicker picker) { m_pickCategory = std::move(picker); }
    void setDatePicker(DatePicker picker) { m_entries->setDatePicker(std::move(picker)); }

    LocationEntries &entries() { return *m_entries; }
    QTabWidget *tabs() const { return m_tabs; }
    QLineEdit *locationEdit() const { return m_entries->lineEdit("Location"); }
    QLineEdit *descriptionEdit() const { return m_entries->lineEdit("Description"); }
    QComboBox *categoryBox() const { return m_entries->categoryBox(); }
    QLineEdit *keywordEdit() const { return m_entries->lineEdit("Keyword"); }
    QLineEdit *lastVisitEdit() const { return m_entries->lineEdit("LastVisit"); }
    QTableView *keywordTable() const { return m_keywordTable; }
    QTableView *detailTable() const { return m_detailTable; }
    QLabel *originalFile() const { return m_originalFile; }

    /// Shows the record's values in the entries.
    void showRecord();
    /// Takes the entries into the record; false (reported, entry focused) when one is refused.
    bool takeEntries();

public slots:
    void accept() override;
    void browseCategory();
    bool categoryAccepted();
    void descriptionAccepted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *generalTab();
    QWidget *siteInfoTab();
    QWidget *keywordsTab();
    QWidget *customTab();
    void addDetails(QVBoxLayout *layout);
    void analyze();
    void keyword(FormRequest request);
    void detail(FormRequest request);
    void focusFailed();
    /// Asks for a keyword or detail text; control characters are removed with a notice.
    std::optional<QString> rowText(const QString &title,
                                   const QString &prompt,
                                   const QString &current,
                                   int width);

    FormsContext m_context;
    LocationForm m_form;
    bool m_loaded = false;
    bool m_checking = false;
    QString m_acceptedCategory; ///< the category entry's text when last shown or checked
    CategoryPicker m_pickCategory;

    LocationEntries *m_entries = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTableView *m_keywordTable = nullptr;
    QTableView *m_detailTable = nullptr;
    TextTableModel *m_keywordModel = nullptr;
    TextTableModel *m_detailModel = nullptr;
    QLabel *m_originalFile = nullptr;
};

} // namespace pk
