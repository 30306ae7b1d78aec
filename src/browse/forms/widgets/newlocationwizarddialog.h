#pragma once

#include "browse/forms/newlocationwizard.h"
#include "browse/forms/widgets/formscontext.h"
#include "browse/forms/widgets/locationentries.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
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
    using SessionReader = std::function<SessionCapture()>;

    /// `input` is the wizard's input text; `windows` lists the open windows (by default the
    /// X11 windows when the program runs on X11); `sessions` reads the running browsers'
    /// sessions (by default in the home folder).
    NewLocationWizardDialog(FormsContext context,
                            const QString &input,
                            WindowLister windows = {},
                            QWidget *parent = nullptr,
                            SessionReader sessions = {});

    /// The open top-level windows on X11; none on other platforms, which have no window list.
    static std::vector<TopLevelWindow> desktopWindows();

    NewLocationWizard &wizard() { return m_wizard; }
    QStackedWidget *pages() const { return m_pages; }
    QTableView *candidateTable() const { return m_candidateTable; }
    QLabel *notesLabel() const { return m_notes; }
    LocationEntries &entries() { return *m_entries; }
    QLineEdit *locationEdit() const { return m_entries->lineEdit("Location"); }
    QLineEdit *descriptionEdit() const { return m_entries->lineEdit("Description"); }
    QLineEdit *keywordEdit() const { return m_entries->lineEdit("Keyword"); }
    QComboBox *categoryBox() const { return m_entries->categoryBox(); }
    QPushButton *backButton() const { return m_back; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *finishButton() const { return m_finish; }

public slots:
    void next();
    void back();
    void finish();

private:
    QWidget *pickUrlPage();
    QWidget *generalPage();
    QWidget *siteInfoPage();
    void connectEntries();
    void showPage();
    void showRecord();
    bool takeEntries();
    void focusFailed();

    FormsContext m_context;
    NewLocationWizard m_wizard;
    QStackedWidget *m_pages = nullptr;
    QTableView *m_candidateTable = nullptr;
    TextTableModel *m_candidateModel = nullptr;
    QLabel *m_notes = nullptr;
    LocationEntries *m_entries = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_finish = nullptr;
};

} // namespace pk
