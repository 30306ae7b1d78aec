#include "import/widgets/importwizardwindow.h"

#include "browse/forms/widgets/selectcategorydialog.h"
#include "browse/list/browserefresh.h"
#include "framework/userinterface.h"
#include "import/htmlimport.h"
#include "import/importwizard.h"
#include "shell/procedurenames.h"
#include "shell/procedurestarter.h"
#include "shell/widgets/framedwindow.h"
#include "store/locationaddress.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

const CategoryMode kModes[]
    = {CategoryMode::Guess, CategoryMode::Selected, CategoryMode::Ask, CategoryMode::None};

} // namespace

ImportWizardWindow::ImportWizardWindow(ContextProvider context,
                                       ImportSettings settings,
                                       Saver save,
                                       QWidget *parent)
    : QWidget(parent)
    , m_context(std::move(context))
    , m_settings(std::move(settings))
    , m_save(std::move(save))
{
    setWindowTitle(u"Import Wizard"_s);
    setWindowFlag(Qt::Window);
    setObjectName(u"importWizard"_s);
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(typePage(), u"Type"_s);
    m_tabs->addTab(categoryPage(), u"Category"_s);
    m_tabs->addTab(filePage(), u"File"_s);
    m_tabs->addTab(favoritesPage(), u"IE Favorites"_s);
    m_tabs->addTab(urlPage(), u"URL"_s);
    layout->addWidget(m_tabs);

    auto *buttons = new QHBoxLayout;
    m_back = new QPushButton(u"&Back"_s, this);
    m_next = new QPushButton(u"&Next"_s, this);
    m_finish = new QPushButton(u"&Finish"_s, this);
    auto *cancel = new QPushButton(u"Cancel"_s, this);
    auto *helpButton = new QPushButton(u"Help"_s, this);
    buttons->addStretch();
    for (QPushButton *b : {m_back, m_next, m_finish, cancel, helpButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(m_back, &QPushButton::clicked, this, &ImportWizardWindow::back);
    connect(m_next, &QPushButton::clicked, this, &ImportWizardWindow::next);
    connect(m_finish, &QPushButton::clicked, this, &ImportWizardWindow::finish);
    connect(cancel, &QPushButton::clicked, this, &ImportWizardWindow::closeWindow);
    cancelOnEscape(this, [this] { closeWindow(); });
    connect(helpButton, &QPushButton::clicked, this, &ImportWizardWindow::help);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        showButtons();
        // The page's entry takes the focus, so the user can type at once.
        if (QWidget *page = m_tabs->currentWidget()) {
            if (auto *edit = page->findChild<QLineEdit *>(); edit && edit->isEnabled())
                edit->setFocus();
        }
    });

    setType(m_settings.type);
    setAssignment(m_settings.assignment);
    m_tabs->setCurrentIndex(TypePage);
    showButtons();
}

ImportWizardWindow::~ImportWizardWindow()
{
    if (!m_saved && m_save)
        m_save(settings());
}

QWidget *ImportWizardWindow::typePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"What do you want to import?"_s, page));
    m_types = new QButtonGroup(page);
    int id = 0;
    for (const ImportWizard::Kind &kind : ImportWizard::kinds()) {
        auto *radio = new QRadioButton(QString::fromLatin1(kind.label), page);
        radio->setObjectName(QString::fromLatin1(kind.value));
        m_types->addButton(radio, id++);
        layout->addWidget(radio);
    }
    layout->addStretch();
    connect(m_types, &QButtonGroup::idClicked, this, [this](int i) {
        setType(QString::fromLatin1(ImportWizard::kinds()[std::size_t(i)].value));
    });
    return page;
}

QWidget *ImportWizardWindow::categoryPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Determine the category for each URL by:"_s, page));
    m_modes = new QButtonGroup(page);
    int id = 0;
    for (const CategoryMode mode : kModes) {
        auto *radio = new QRadioButton(CategoryModes::label(mode), page);
        radio->setObjectName(CategoryModes::value(mode));
        m_modes->addButton(radio, id++);
        layout->addWidget(radio);
        if (mode == CategoryMode::Selected) {
            auto *row = new QHBoxLayout;
            m_category = new QLineEdit(page);
            m_category->setMaxLength(50);
            m_categoryButton = new QPushButton(u"..."_s, page);
            row->addSpacing(24);
            row->addWidget(m_category);
            row->addWidget(m_categoryButton);
            layout->addLayout(row);
        }
    }
    layout->addStretch();
    m_category->setText(m_settings.category);
    connect(m_modes, &QButtonGroup::idClicked, this, [this](int i) {
        setAssignment(CategoryModes::value(kModes[i]));
    });
    connect(m_category, &QLineEdit::editingFinished, this, [this] {
        if (m_category->isModified()) {
            m_category->setModified(false);
            acceptCategory();
        }
    });
    connect(m_categoryButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> chosen = SelectCategoryDialog::select(m_context(),
                                                                               m_category->text(),
                                                                               this))
            m_category->setText(*chosen);
    });
    return page;
}

QWidget *ImportWizardWindow::filePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"File to import:"_s, page));
    auto *row = new QHBoxLayout;
    m_file = new QLineEdit(m_settings.file, page);
    m_file->setMaxLength(255);
    auto *browse = new QPushButton(u"..."_s, page);
    row->addWidget(m_file);
    row->addWidget(browse);
    layout->addLayout(row);
    m_nestedFolders = new QCheckBox(u"Keep nested folders, dates and tags (a browser's file)"_s,
                                    page);
    m_nestedFolders->setChecked(m_settings.nestedFolders != 0);
    layout->addWidget(m_nestedFolders);
    m_fileHint = new QLabel(page);
    m_fileHint->setWordWrap(true);
    m_fileHint->setVisible(false);
    layout->addWidget(m_fileHint);
    layout->addStretch();
    connect(browse, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> file
            = m_context().ui.openFileName(u"Select file to import"_s, m_file->text(), m_filter))
            m_file->setText(*file);
    });
    return page;
}

QWidget *ImportWizardWindow::favoritesPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Favorites folder to import:"_s, page));
    auto *row = new QHBoxLayout;
    m_folder = new QLineEdit(m_settings.folder, page);
    m_folder->setMaxLength(255);
    auto *browse = new QPushButton(u"..."_s, page);
    row->addWidget(m_folder);
    row->addWidget(browse);
    layout->addLayout(row);
    layout->addStretch();
    connect(browse, &QPushButton::clicked, this, [this] {
        if (const std::optional<QString> folder
            = m_context().ui.existingFolder(u"Select folder to import"_s, m_folder->text()))
            m_folder->setText(*folder);
    });
    return page;
}

QWidget *ImportWizardWindow::urlPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Address of the web site:"_s, page));
    m_url = new QLineEdit(m_settings.url, page);
    layout->addWidget(m_url);
    m_followLinks = new QCheckBox(u"Follow embedded links"_s, page);
    m_followLinks->setChecked(m_settings.followLinks != 0);
    layout->addWidget(m_followLinks);
    layout->addStretch();
    return page;
}

ImportSettings ImportWizardWindow::settings() const
{
    ImportSettings s = m_settings;
    s.category = m_category->text();
    s.file = m_file->text();
    s.folder = m_folder->text();
    s.url = m_url->text();
    s.followLinks = m_followLinks->isChecked() ? 1 : 0;
    s.nestedFolders = m_nestedFolders->isChecked() ? 1 : 0;
    s.fit();
    return s;
}

void ImportWizardWindow::setType(const QString &type)
{
    m_settings.type = type;
    const auto &kinds = ImportWizard::kinds();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (type.compare(QLatin1String(kinds[i].value), Qt::CaseInsensitive) == 0)
            m_types->button(int(i))->setChecked(true);
    }
    // A browser's bookmarks: the profile found on this computer, unless one is named already.
    if (m_file && ImportWizard::isBrowserKind(type))
        m_file->setText(ImportWizard::browserFile(type, m_file->text(), QDir::homePath()));
    if (m_nestedFolders)
        m_nestedFolders->setVisible(
            type.compare(QLatin1String(HtmlImport::BookmarkKind), Qt::CaseInsensitive) == 0);
    showPages();
}

void ImportWizardWindow::setAssignment(const QString &assignment)
{
    const CategoryMode mode = CategoryModes::fromValue(assignment).value_or(CategoryMode::Guess);
    m_settings.assignment = CategoryModes::value(mode);
    for (int i = 0; i < 4; ++i) {
        if (kModes[i] == mode)
            m_modes->button(i)->setChecked(true);
    }
    const bool enabled = ImportWizard::categoryEnabled(m_settings.assignment);
    m_category->setEnabled(enabled);
    m_categoryButton->setEnabled(enabled);
}

bool ImportWizardWindow::acceptCategory()
{
    QString entry = m_category->text();
    const FormsContext context = m_context();
    const bool ok
        = ImportWizard::acceptCategory(context.collection, entry, [&](const QString &typed) {
              return SelectCategoryDialog::select(context, typed, this);
          });
    if (ok)
        m_category->setText(entry);
    else
        m_category->setFocus();
    return ok;
}

bool ImportWizardWindow::isPageShown(Page page) const
{
    return m_tabs->isTabVisible(page);
}

void ImportWizardWindow::showPages()
{
    const ImportWizard::Pages p = ImportWizard::pages(m_settings.type);
    m_tabs->setTabVisible(CategoryPage, p.category);
    m_tabs->setTabVisible(FilePage, p.file);
    m_tabs->setTabVisible(FavoritesPage, p.favorites);
    m_tabs->setTabVisible(UrlPage, p.url);
    m_filter = ImportWizard::fileFilter(m_settings.type);
    if (m_fileHint) {
        const QString hint = ImportWizard::fileHint(m_settings.type);
        m_fileHint->setText(hint);
        m_fileHint->setVisible(!hint.isEmpty());
    }
    showButtons();
}

void ImportWizardWindow::showButtons()
{
    if (!m_back)
        return;
    const int current = m_tabs->currentIndex();
    bool before = false;
    bool after = false;
    for (int i = 0; i < PageCount; ++i) {
        if (!m_tabs->isTabVisible(i))
            continue;
        before = before || i < current;
        after = after || i > current;
    }
    m_back->setEnabled(before);
    m_next->setEnabled(after);
}

void ImportWizardWindow::next()
{
    for (int i = m_tabs->currentIndex() + 1; i < PageCount; ++i) {
        if (m_tabs->isTabVisible(i)) {
            m_tabs->setCurrentIndex(i);
            return;
        }
    }
}

void ImportWizardWindow::back()
{
    for (int i = m_tabs->currentIndex() - 1; i >= 0; --i) {
        if (m_tabs->isTabVisible(i)) {
            m_tabs->setCurrentIndex(i);
            return;
        }
    }
}

void ImportWizardWindow::help()
{
    const QString help = QLatin1String(Procedure::ImportHelp);
    if (const FormsContext context = m_context();
        context.starter && context.starter->isDefined(help))
        context.starter->start(help);
}

void ImportWizardWindow::finish()
{
    if (ImportWizard::categoryEnabled(m_settings.assignment) && m_category->isModified()) {
        m_category->setModified(false);
        if (!acceptCategory())
            return;
    }
    const ImportSettings s = settings();
    if (ImportWizard::pages(s.type).url && !s.url.trimmed().isEmpty()) {
        // The address is handed on whole or not at all.
        const LocationAddress::Problem problem = LocationAddress::check(s.url);
        if (problem != LocationAddress::Problem::None) {
            m_context().ui.message(u"Import Wizard"_s,
                                   LocationAddress::message(problem, s.url),
                                   UserInterface::Icon::Warning);
            m_url->setFocus();
            return;
        }
    }
    // A file the import could not read is for the user to correct here: the wizard stays.
    if (const QString problem = ImportWizard::fileProblem(s); !problem.isEmpty()) {
        m_context().ui.message(u"Import Wizard"_s, problem, UserInterface::Icon::Warning);
        m_tabs->setCurrentIndex(FilePage);
        m_file->setFocus();
        m_file->selectAll();
        return;
    }
    // The import reads the settings from the file as well as from its arguments.
    if (m_save)
        m_save(s);
    m_saved = true;
    const ImportWizard::Start start = ImportWizard::startFor(s);
    if (const FormsContext context = m_context();
        context.starter && context.starter->isDefined(start.procedure))
        std::visit([&](const auto &request) { context.starter->start(start.procedure, request); },
                   start.request);
    BrowseRefresh::instance().request();
    closeWindow();
}

void ImportWizardWindow::closeWindow()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void ImportWizardWindow::closeEvent(QCloseEvent *event)
{
    if (m_save)
        m_save(settings());
    m_saved = true;
    event->accept();
}

} // namespace pk
