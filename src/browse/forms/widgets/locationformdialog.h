#pragma once

#include "browse/forms/locationform.h"
#include "browse/forms/widgets/formscontext.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;

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
    using CategoryPicker = std::function<std::optional<QString>(const QString &typed, QWidget *parent)>;
    /// Picks a date for a "..." button; the default opens the calendar.
    using DatePicker = std::function<qint32(qint32 day, const QString &title, QWidget *parent)>;

    LocationFormDialog(FormsContext context, FormRequest request, const QString &location,
                       QWidget *parent = nullptr);

    /// Runs one request; true when it completed. The delete request asks and deletes without a window.
    static bool run(FormsContext context, FormRequest request, const QString &location,
                    const QVariantMap &arguments = {}, QWidget *parent = nullptr);

    LocationForm &form() { return m_form; }
    bool isLoaded() const { return m_loaded; }
    void setCategoryPicker(CategoryPicker picker) { m_pickCategory = std::move(picker); }
    void setDatePicker(DatePicker picker) { m_pickDate = std::move(picker); }

    QTabWidget *tabs() const { return m_tabs; }
    QLineEdit *locationEdit() const { return m_location; }
    QLineEdit *descriptionEdit() const { return m_description; }
    QComboBox *categoryBox() const { return m_category; }
    QLineEdit *keywordEdit() const { return m_keyword; }
    QLineEdit *lastVisitEdit() const { return m_lastVisit; }
    QTableView *keywordTable() const { return m_keywordTable; }
    QTableView *detailTable() const { return m_detailTable; }
    QLabel *originalFile() const { return m_originalFile; }

    /// Shows the record's values in the entries.
    void showRecord();
    /// Takes the entries into the record.
    void takeEntries();

public slots:
    void accept() override;
    void browseCategory();
    bool categoryAccepted();
    void descriptionAccepted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pickDate(QLineEdit *edit, const QString &title);
    void keyword(FormRequest request);
    void detail(FormRequest request);
    void focusFailed();
    QWidget *dateRow(QLineEdit *&edit, const QString &title);

    FormsContext m_context;
    LocationForm m_form;
    bool m_loaded = false;
    bool m_checking = false;
    QString m_acceptedCategory; ///< the category entry's text when last shown or checked
    CategoryPicker m_pickCategory;
    DatePicker m_pickDate;

    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_location = nullptr;
    QLineEdit *m_description = nullptr;
    QComboBox *m_category = nullptr;
    QSpinBox *m_rating = nullptr;
    QLineEdit *m_keyword = nullptr;
    QLineEdit *m_comments = nullptr;
    QLineEdit *m_userName = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_email = nullptr;
    QPlainTextEdit *m_siteInfo = nullptr;
    QLineEdit *m_pageSize = nullptr;
    QLineEdit *m_lastVisit = nullptr;
    QLineEdit *m_lastValidated = nullptr;
    QButtonGroup *m_validated = nullptr;
    QLineEdit *m_expires = nullptr;
    QLineEdit *m_movedTo = nullptr;
    QLineEdit *m_custom1 = nullptr;
    QLineEdit *m_custom2 = nullptr;
    QLineEdit *m_custom3 = nullptr;
    QTableView *m_keywordTable = nullptr;
    QTableView *m_detailTable = nullptr;
    TextTableModel *m_keywordModel = nullptr;
    TextTableModel *m_detailModel = nullptr;
    QLabel *m_originalFile = nullptr;
};

} // namespace pk
