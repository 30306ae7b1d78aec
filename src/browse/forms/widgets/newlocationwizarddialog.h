#pragma once

#include "browse/forms/newlocationwizard.h"
#include "browse/forms/widgets/formscontext.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableView;

namespace pk {

class TextTableModel;

/**
 * @brief The New-location wizard window: pages PickURL, General and Site Info over
 * NewLocationWizard, capturing candidates from the open windows when it opens.
 */
class NewLocationWizardDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NewLocationWizardDialog)

public:
    using WindowLister = std::function<std::vector<TopLevelWindow>()>;

    /// `input` is the wizard's input text; `windows` lists the open windows (X11 by default).
    NewLocationWizardDialog(FormsContext context, const QString &input, WindowLister windows = {},
                            QWidget *parent = nullptr);

    NewLocationWizard &wizard() { return m_wizard; }
    QStackedWidget *pages() const { return m_pages; }
    QTableView *candidateTable() const { return m_candidateTable; }
    QLineEdit *locationEdit() const { return m_location; }
    QLineEdit *descriptionEdit() const { return m_description; }
    QLineEdit *keywordEdit() const { return m_keyword; }
    QComboBox *categoryBox() const { return m_category; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *finishButton() const { return m_finish; }

public slots:
    void next();
    void back();
    void finish();

private:
    void showPage();
    void showRecord();
    void takeEntries();
    void focusFailed();

    FormsContext m_context;
    NewLocationWizard m_wizard;
    QStackedWidget *m_pages = nullptr;
    QTableView *m_candidateTable = nullptr;
    TextTableModel *m_candidateModel = nullptr;
    QLineEdit *m_location = nullptr;
    QLineEdit *m_description = nullptr;
    QComboBox *m_category = nullptr;
    QSpinBox *m_rating = nullptr;
    QLineEdit *m_keyword = nullptr;
    QLineEdit *m_comments = nullptr;
    QLineEdit *m_userName = nullptr;
    QLineEdit *m_password = nullptr;
    QPlainTextEdit *m_siteInfo = nullptr;
    QLineEdit *m_email = nullptr;
    QLineEdit *m_expires = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_finish = nullptr;
};

} // namespace pk
