#include "export/widgets/exportwizarddialog.h"

#include "browse/forms/widgets/selectcategorydialog.h"
#include "export/bookmarkfileexport.h"
#include "export/exportfile.h"
#include "export/preformattedexport.h"
#include "export/widgets/exporthelpwindow.h"
#include "framework/userinterface.h"
#include "shell/procedurenames.h"
#include "store/categorymanager.h"
#include "store/collection.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

enum Page { TypePage, OrderPage, CategoryPage, FieldsPage, FilePage, PageCount };

QButtonGroup *choiceGroup(QWidget *owner,
                          QVBoxLayout *layout,
                          const QList<QPair<QString, QString>> &choices)
{
    auto *group = new QButtonGroup(owner);
    int id = 0;
    for (const auto &[value, text] : choices) {
        auto *button = new QRadioButton(text, owner);
        button->setObjectName(value);
        group->addButton(button, id++);
        layout->addWidget(button);
    }
    return group;
}

void check(QButtonGroup *group, const QList<QPair<QString, QString>> &choices, const QString &value)
{
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (choices[i].first == value)
            group->button(int(i))->setChecked(true);
    }
}

QString checked(QButtonGroup *group,
                const QList<QPair<QString, QString>> &choices,
                const QString &fallback)
{
    const int id = group->checkedId();
    return id >= 0 && id < choices.size() ? choices[id].first : fallback;
}

} // namespace

ExportWizardDialog::ExportWizardDialog(ExportWizardContext context, QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_model(m_context.pathkeepIni, ExportSettings::shared())
{
    setWindowTitle(QLatin1String(ExportWizardModel::Title));
    setObjectName(QLatin1String(Procedure::ExportWizard));

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(typePage());
    m_pages->addWidget(orderPage());
    m_pages->addWidget(categoryPage());
    m_pages->addWidget(fieldsPage());
    m_pages->addWidget(filePage());

    m_back = new QPushButton(u"&Back"_s, this);
    m_next = new QPushButton(u"&Next"_s, this);
    auto *finishButton = new QPushButton(u"&Finish"_s, this);
    finishButton->setToolTip(u"Proceed with the export"_s);
    finishButton->setObjectName(u"finish"_s);
    auto *cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setToolTip(u"Cancel the export"_s);
    auto *help = new QPushButton(u"Help"_s, this);
    help->setObjectName(u"help"_s);
    connect(m_back, &QPushButton::clicked, this, &ExportWizardDialog::back);
    connect(m_next, &QPushButton::clicked, this, &ExportWizardDialog::next);
    connect(finishButton, &QPushButton::clicked, this, &ExportWizardDialog::finish);
    connect(cancel, &QPushButton::clicked, this, &ExportWizardDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        ExportHelpWindow::show(m_context.forms.positionIni, this);
    });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(finishButton);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);
    m_next->setDefault(true);

    fromModel();
    showPage(TypePage);
    resize(560, 380);
    FormsUi::keepPosition(this, m_context.forms.positionIni, QLatin1String(Procedure::ExportWizard));
}

ExportWizardDialog::~ExportWizardDialog() = default;

QWidget *ExportWizardDialog::typePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Enter the destination format type for this export:"_s, page));
    m_types = choiceGroup(page, layout, ExportWizardModel::types());
    m_preformatted = new QCheckBox(u"Use pre-formatted HTML"_s, page);
    m_preformatted->setToolTip(
        u"Use pre-formatted (external) HTML guidelines instead of the internal formats. "
        "The pre-formatted files (default*.htm) can be edited with any HTML editor."_s);
    m_preformattedFile = new QLineEdit(page);
    m_preformattedFile->setAccessibleName(u"Template file"_s);
    m_preformattedFile->setMaxLength(255);
    m_preformattedFile->setToolTip(u"Pre-formatted HTML file name"_s);
    auto *from = new QHBoxLayout;
    from->addWidget(m_preformatted);
    from->addWidget(new QLabel(u"from:"_s, page));
    from->addWidget(m_preformattedFile, 1);
    layout->addLayout(from);
    layout->addStretch();
    connect(m_types, &QButtonGroup::idClicked, this, [this](int id) {
        toModel();
        m_model.setType(ExportWizardModel::types().value(id).first);
        fromModel();
    });
    connect(m_preformatted, &QCheckBox::toggled, this, [this](bool on) {
        if (m_updating)
            return;
        m_model.settings().typePreformatted = on;
        refreshControls();
    });
    return page;
}

QWidget *ExportWizardDialog::orderPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Select the export order:"_s, page));
    auto *box = new QWidget(page);
    box->setToolTip(u"Order in which to export locations"_s);
    auto *boxLayout = new QVBoxLayout(box);
    m_orders = choiceGroup(box, boxLayout, ExportWizardModel::orders());
    layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget *ExportWizardDialog::categoryPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"Select the locations to be exported:"_s, page));
    m_assignments = choiceGroup(page, layout, ExportWizardModel::assignments());
    m_category = new QLineEdit(page);
    m_category->setAccessibleName(u"Category"_s);
    m_category->setMaxLength(50);
    m_category->setObjectName(u"category"_s);
    m_categoryButton = new QPushButton(u"Select category"_s, page);
    auto *row = new QHBoxLayout;
    row->addSpacing(24);
    row->addWidget(m_category, 1);
    row->addWidget(m_categoryButton);
    layout->insertLayout(3, row);
    layout->addStretch();
    connect(m_assignments, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.settings().categoryAssignment = ExportWizardModel::assignments().value(id).first;
        refreshControls();
    });
    connect(m_category, &QLineEdit::editingFinished, this, &ExportWizardDialog::checkCategory);
    connect(m_categoryButton, &QPushButton::clicked, this, &ExportWizardDialog::lookUpCategory);
    return page;
}

QWidget *ExportWizardDialog::fieldsPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(
        new QLabel(u"The location and description fields are always exported."_s, page));
    layout->addWidget(new QLabel(u"Select additional export fields:"_s, page));
    m_rating = new QCheckBox(u"Export rating"_s, page);
    m_keyword = new QCheckBox(u"Export keyword"_s, page);
    m_siteInfo = new QCheckBox(u"Export site information"_s, page);
    m_otherFields = new QCheckBox(u"Export all other basic fields"_s, page);
    for (QCheckBox *box : {m_rating, m_keyword, m_siteInfo, m_otherFields})
        layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget *ExportWizardDialog::filePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(
        new QLabel(u"Enter the path and name of the file to create and export to:"_s, page));
    m_file = new QLineEdit(page);
    m_file->setAccessibleName(u"File to export to"_s);
    m_file->setMaxLength(255);
    m_file->setObjectName(u"file"_s);
    auto *browse = new QPushButton(u"..."_s, page);
    browse->setObjectName(u"fileButton"_s);
    connect(browse, &QPushButton::clicked, this, &ExportWizardDialog::chooseFile);
    auto *row = new QHBoxLayout;
    row->addWidget(m_file, 1);
    row->addWidget(browse);
    layout->addLayout(row);

    m_webGroup = new QGroupBox(u"Web page"_s, page);
    auto *web = new QVBoxLayout(m_webGroup);
    web->addWidget(new QLabel(u"Enter the title to use for this web page:"_s, m_webGroup));
    m_title = new QLineEdit(m_webGroup);
    m_title->setAccessibleName(u"Title of the web page"_s);
    m_title->setMaxLength(255);
    m_title->setToolTip(u"Title of page"_s);
    web->addWidget(m_title);
    m_metaKeywordsLabel
        = new QLabel(u"Meta keywords to be embedded in the exported page (optional):"_s, m_webGroup);
    m_metaKeywords = new QLineEdit(m_webGroup);
    m_metaKeywords->setAccessibleName(u"Meta keywords"_s);
    m_metaKeywords->setMaxLength(1024);
    m_metaDescriptionLabel
        = new QLabel(u"Meta description to be embedded in the exported page (optional):"_s,
                     m_webGroup);
    m_metaDescription = new QLineEdit(m_webGroup);
    m_metaDescription->setAccessibleName(u"Meta description"_s);
    m_metaDescription->setMaxLength(1024);
    web->addWidget(m_metaKeywordsLabel);
    web->addWidget(m_metaKeywords);
    web->addWidget(m_metaDescriptionLabel);
    web->addWidget(m_metaDescription);
    layout->addWidget(m_webGroup);
    layout->addStretch();
    return page;
}

void ExportWizardDialog::fromModel()
{
    m_updating = true;
    const ExportSettings &s = m_model.settings();
    check(m_types, ExportWizardModel::types(), s.type);
    m_preformatted->setChecked(s.typePreformatted);
    m_preformattedFile->setText(s.filePreformatted);
    check(m_orders, ExportWizardModel::orders(), s.order);
    check(m_assignments, ExportWizardModel::assignments(), s.categoryAssignment);
    m_category->setText(s.category);
    m_rating->setChecked(s.rating);
    m_keyword->setChecked(s.keyword);
    m_siteInfo->setChecked(s.siteInfo);
    m_otherFields->setChecked(s.otherFields);
    m_file->setText(s.file);
    m_title->setText(s.pageTitle);
    m_metaKeywords->setText(s.metaKeywords);
    m_metaDescription->setText(s.metaDescription);
    m_updating = false;
    refreshControls();
}

void ExportWizardDialog::toModel()
{
    ExportSettings &s = m_model.settings();
    s.typePreformatted = m_preformatted->isChecked();
    s.filePreformatted = m_preformattedFile->text().trimmed();
    s.order = checked(m_orders, ExportWizardModel::orders(), s.order);
    s.categoryAssignment = checked(m_assignments,
                                   ExportWizardModel::assignments(),
                                   s.categoryAssignment);
    s.category = m_category->text().trimmed();
    s.rating = m_rating->isChecked();
    s.keyword = m_keyword->isChecked();
    s.siteInfo = m_siteInfo->isChecked();
    s.otherFields = m_otherFields->isChecked();
    s.file = m_file->text().trimmed();
    s.pageTitle = m_title->text().trimmed();
    s.metaKeywords = m_metaKeywords->text().trimmed();
    s.metaDescription = m_metaDescription->text().trimmed();
}

void ExportWizardDialog::refreshControls()
{
    m_preformatted->setEnabled(m_model.preformattedEnabled());
    m_webGroup->setVisible(m_model.webGroupVisible());
    const bool meta = m_model.metaEnabled();
    for (QWidget *w : {static_cast<QWidget *>(m_metaKeywordsLabel),
                       static_cast<QWidget *>(m_metaKeywords),
                       static_cast<QWidget *>(m_metaDescriptionLabel),
                       static_cast<QWidget *>(m_metaDescription)})
        w->setEnabled(meta);
    const bool category = m_model.categoryControlsEnabled();
    m_category->setEnabled(category);
    m_categoryButton->setEnabled(category);
    if (!isPageShown(pageIndex()))
        showPage(FilePage);
    showPage(pageIndex());
}

int ExportWizardDialog::pageIndex() const
{
    return m_pages->currentIndex();
}

bool ExportWizardDialog::isPageShown(int page) const
{
    return page != FieldsPage || m_model.fieldsPageVisible();
}

void ExportWizardDialog::showPage(int page)
{
    m_pages->setCurrentIndex(page);
    m_back->setEnabled(page > TypePage);
    m_next->setEnabled(page < FilePage);
}

void ExportWizardDialog::next()
{
    int page = pageIndex() + 1;
    while (page < PageCount && !isPageShown(page))
        ++page;
    if (page < PageCount)
        showPage(page);
}

void ExportWizardDialog::back()
{
    int page = pageIndex() - 1;
    while (page >= 0 && !isPageShown(page))
        --page;
    if (page >= 0)
        showPage(page);
}

void ExportWizardDialog::checkCategory()
{
    const QString typed = m_category->text().trimmed();
    if (typed.isEmpty())
        return;
    CategoryRecord row;
    if (m_context.forms.collection.categories().get(typed, row)) {
        m_category->setText(row.Category);
        return;
    }
    const std::optional<QString> chosen = SelectCategoryDialog::select(m_context.forms, typed, this);
    if (chosen)
        m_category->setText(*chosen);
    else
        m_category->setFocus();
}

void ExportWizardDialog::lookUpCategory()
{
    const std::optional<QString> chosen = SelectCategoryDialog::select(m_context.forms,
                                                                       m_category->text().trimmed(),
                                                                       this);
    if (chosen)
        m_category->setText(*chosen);
}

void ExportWizardDialog::chooseFile()
{
    const std::optional<QString> chosen
        = m_context.forms.ui.saveFileName(u"Select file to export to"_s,
                                          m_file->text().trimmed(),
                                          m_model.fileMask());
    if (chosen)
        m_file->setText(*chosen);
}

ExportResult ExportWizardDialog::runWithProgress(
    const std::function<ExportResult(ExportEnvironment)> &run)
{
    QProgressDialog progress(u"Exporting\n0% Completed"_s, u"Cancel"_s, 0, 100, this);
    progress.setWindowTitle(u"Processing Records"_s);
    // Wide enough for the window manager to show the title whole beside its buttons.
    progress.setMinimumWidth(
        std::max(360, 2 * progress.fontMetrics().horizontalAdvance(progress.windowTitle())));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setValue(0);
    ExportEnvironment env = m_context.environment;
    env.progress = [&progress](qint64 done, qint64 total) {
        const int percent = total > 0 ? int(qMin<qint64>(100, done * 100 / total)) : 100;
        progress.setLabelText(u"Exporting\n"_s + QString::number(percent) + u"% Completed"_s);
        progress.setValue(percent);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportResult result = run(env);
    QApplication::restoreOverrideCursor();
    return result;
}

void ExportWizardDialog::finish()
{
    toModel();
    ExportWizardModel::Runners runners;
    runners.exportFile = [this](const ExportSettings &s) {
        return runWithProgress(
            [&s](ExportEnvironment env) { return ExportFile(s, std::move(env)).run(); });
    };
    runners.preformatted = [this](const ExportSettings &s) {
        return runWithProgress(
            [&s](ExportEnvironment env) { return PreformattedExport(s, std::move(env)).run(); });
    };
    runners.bookmarkFile = [this](const ExportSettings &s) {
        return runWithProgress(
            [&s](ExportEnvironment env) { return BookmarkFileExport(s, std::move(env)).run(); });
    };
    runners.advanced = [this] {
        // The advanced export reads the shared settings, so they must be current first.
        ExportSettings::shared() = m_model.settings();
        return m_context.advanced && m_context.advanced(m_model.settings());
    };
    runners.launch = m_context.launch;
    if (!m_model.finish(m_context.forms.ui, runners)) {
        if (m_model.fileRefused()) {
            showPage(FilePage);
            m_file->setFocus();
            m_file->selectAll();
        }
        return;
    }
    closeWizard();
    accept();
}

void ExportWizardDialog::reject()
{
    toModel();
    closeWizard();
    QDialog::reject();
}

void ExportWizardDialog::closeWizard()
{
    if (m_closed)
        return;
    m_closed = true;
    m_model.close(ExportSettings::shared());
}

} // namespace pk
