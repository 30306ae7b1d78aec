#include "browse/forms/widgets/newlocationwizarddialog.h"

#include "browse/forms/widgets/selectcategorydialog.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "platform/x11windowlist.h"
#include "shell/procedurenames.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

QLabel *hint(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

} // namespace

std::vector<TopLevelWindow> NewLocationWizardDialog::desktopWindows()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    return X11WindowList::list();
}

NewLocationWizardDialog::NewLocationWizardDialog(FormsContext context,
                                                 const QString &input,
                                                 WindowLister windows,
                                                 QWidget *parent,
                                                 SessionReader sessions)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_wizard(m_context.collection, m_context.ui, m_context.errors, m_context.analyze)
{
    setWindowTitle(u"Update Location Information"_s);
    setObjectName(QLatin1String(Procedure::NewUrlWizard));
    m_entries = new LocationEntries(m_context.ui, this);
    // An entry refused on a page not shown brings its page forward.
    m_entries->setReveal([this](QWidget *entry) {
        for (int i = 0; i < m_pages->count(); ++i) {
            if (m_pages->widget(i)->isAncestorOf(entry))
                m_pages->setCurrentIndex(i);
        }
    });
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(pickUrlPage());
    m_pages->addWidget(generalPage());
    m_pages->addWidget(siteInfoPage());
    m_entries->setCategories(m_wizard.categoryChoices());

    m_back = new QPushButton(u"&Back"_s, this);
    m_next = new QPushButton(u"&Next"_s, this);
    m_finish = new QPushButton(u"&Finish"_s, this);
    auto *cancel = new QPushButton(u"Cancel"_s, this);
    m_next->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(m_back, &QPushButton::clicked, this, &NewLocationWizardDialog::back);
    connect(m_next, &QPushButton::clicked, this, &NewLocationWizardDialog::next);
    connect(m_finish, &QPushButton::clicked, this, &NewLocationWizardDialog::finish);
    connect(cancel, &QPushButton::clicked, this, &NewLocationWizardDialog::reject);
    connectEntries();

    resize(600, 420);
    FormsUi::keepPosition(this, m_context.positionIni, QLatin1String(Procedure::NewUrlWizard));

    // The wizard's own window is left out of the capture, so it needs its X11 id first.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const auto ownWindow = x11 ? quint32(winId()) : 0u;
    const bool typed = NewLocationWizard::isAddress(input);
    m_wizard.start(input,
                   typed     ? std::vector<TopLevelWindow>{}
                   : windows ? windows()
                             : desktopWindows(),
                   ownWindow,
                   typed      ? SessionCapture{}
                   : sessions ? sessions()
                              : BrowserSessions::read(QDir::homePath()));
    m_candidateModel->reload();
    m_notes->setText(m_wizard.notes().join(QLatin1Char('\n')));
    m_notes->setVisible(!m_wizard.notes().isEmpty());
    if (!m_wizard.candidates().empty())
        m_candidateTable->selectRow(0);
    showRecord();
    showPage();
}

QWidget *NewLocationWizardDialog::pickUrlPage()
{
    auto *page = new QWidget(m_pages);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Select the browser window to capture, then press Next."_s, page));
    m_candidateModel = new TextTableModel(
        {u"Browser Window"_s, u"URL"_s},
        [this] { return int(m_wizard.candidates().size()); },
        [this](int row, int column) {
            const WindowCandidate &c = m_wizard.candidates()[std::size_t(row)];
            return column == 0 ? c.title.left(255) : c.address.left(255);
        },
        this);
    m_candidateTable = new QTableView(page);
    FormsUi::setUpTable(m_candidateTable);
    m_candidateTable->setModel(m_candidateModel);
    m_candidateTable->setColumnWidth(0, FormsUi::dialogUnits(135, fontMetrics()));
    layout->addWidget(m_candidateTable);
    m_notes = new QLabel(page);
    m_notes->setObjectName(u"captureNotes"_s);
    m_notes->setWordWrap(true);
    m_notes->setTextFormat(Qt::PlainText);
    m_notes->hide();
    layout->addWidget(m_notes);
    connect(m_candidateTable, &QTableView::doubleClicked, this, &NewLocationWizardDialog::next);
    return page;
}

QWidget *NewLocationWizardDialog::generalPage()
{
    auto *page = new QWidget(m_pages);
    auto *form = new QFormLayout(page);
    QPushButton *analyze
        = m_entries->makeAnalyzeButton(page, u"Retrieve and analyze HTML from this location"_s);
    connect(m_entries, &LocationEntries::analyzeRequested, this, [this] {
        if (!takeEntries())
            return;
        m_wizard.analyze(this);
        showRecord();
    });
    m_entries->addRows(form,
                       {{"Location", nullptr, analyze},
                        {"Description"},
                        {"Category"},
                        {"Rating", nullptr, hint(u"<<-  Rate this site"_s, page)},
                        {"Keyword",
                         nullptr,
                         hint(u"<<-  Use any primary keyword you wish to sort on"_s, page)},
                        {"Comments", "Comments:"},
                        {"UserName", "User Name:"},
                        {"Password", "Password:"}});
    // "&Back" holds Alt+B on every page.
    m_entries->browseButton()->setText(u"Brow&se"_s);
    return page;
}

QWidget *NewLocationWizardDialog::siteInfoPage()
{
    auto *page = new QWidget(m_pages);
    auto *form = new QFormLayout(page);
    // Alt+E is the e-mail address's on this page.
    m_entries->addRows(form,
                       {{"SiteInfo"},
                        {"EmailAddress"},
                        {"Expires", "E&xpires:", nullptr, u"Select Expiry Date"_s}});
    return page;
}

void NewLocationWizardDialog::connectEntries()
{
    connect(m_entries, &LocationEntries::browseRequested, this, [this] {
        const auto chosen = SelectCategoryDialog::select(m_context,
                                                         categoryBox()->currentText(),
                                                         this);
        if (!chosen)
            return;
        categoryBox()->setEditText(*chosen);
        m_entries->focus("Rating");
    });
    connect(m_entries, &LocationEntries::categoryAccepted, this, [this] {
        // Only a changed entry is checked.
        if (categoryBox()->currentText() == m_wizard.record().Category)
            return;
        m_wizard.record().Category = categoryBox()->currentText();
        if (!m_wizard.checkCategory())
            m_entries->focus("Category");
    });
    connect(locationEdit(), &QLineEdit::editingFinished, this, [this] {
        m_wizard.record().Location = locationEdit()->text();
        m_wizard.record().Keyword = keywordEdit()->text();
        m_wizard.locationAccepted();
        keywordEdit()->setText(m_wizard.record().Keyword);
    });
    connect(descriptionEdit(), &QLineEdit::editingFinished, this, [this] {
        m_wizard.record().Description = descriptionEdit()->text();
        m_wizard.record().Keyword = keywordEdit()->text();
        m_wizard.descriptionAccepted();
        keywordEdit()->setText(m_wizard.record().Keyword);
    });
}

void NewLocationWizardDialog::showPage()
{
    switch (m_wizard.page()) {
    case NewLocationWizard::Page::PickUrl:
        m_pages->setCurrentIndex(0);
        m_candidateTable->setFocus();
        break;
    case NewLocationWizard::Page::General:
        m_pages->setCurrentIndex(1);
        m_entries->focus("Location");
        break;
    case NewLocationWizard::Page::SiteInfo:
        m_pages->setCurrentIndex(2);
        m_entries->focus("SiteInfo");
        break;
    }
    m_back->setEnabled(m_wizard.canGoBack());
    m_next->setEnabled(m_wizard.canGoNext());
}

void NewLocationWizardDialog::showRecord()
{
    m_entries->show(m_wizard.record());
}

bool NewLocationWizardDialog::takeEntries()
{
    if (m_wizard.page() == NewLocationWizard::Page::PickUrl)
        return true;
    return m_entries->take(m_wizard.record());
}

void NewLocationWizardDialog::focusFailed()
{
    if (m_wizard.failedEntry() == NewLocationWizard::Entry::Location)
        m_entries->focus("Location");
    else if (m_wizard.failedEntry() == NewLocationWizard::Entry::Category)
        m_entries->focus("Category");
}

void NewLocationWizardDialog::next()
{
    const bool picking = m_wizard.page() == NewLocationWizard::Page::PickUrl;
    if (!takeEntries())
        return;
    const QModelIndex index = m_candidateTable->currentIndex();
    if (!m_wizard.next(index.isValid() ? index.row() : -1)) {
        focusFailed();
        return;
    }
    if (picking)
        showRecord();
    showPage();
}

void NewLocationWizardDialog::back()
{
    if (!takeEntries())
        return;
    m_wizard.back();
    showPage();
}

void NewLocationWizardDialog::finish()
{
    if (!takeEntries())
        return;
    if (!m_wizard.finish()) {
        showPage();
        focusFailed();
        return;
    }
    accept();
}

} // namespace pk
