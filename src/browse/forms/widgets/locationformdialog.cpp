#include "browse/forms/widgets/locationformdialog.h"

#include "browse/forms/entryinput.h"
#include "browse/forms/widgets/selectcategorydialog.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "shell/procedurenames.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// The detail rows' buttons show with the keyword rows' "&New", "&Edit", "&Delete" and the
/// General tab's entries, so their accelerators sit on other letters.
QStringList detailButtonTexts()
{
    return {u"Ne&w"_s, u"Ed&it"_s, u"Dele&te"_s};
}

} // namespace

LocationFormDialog::LocationFormDialog(FormsContext context,
                                       FormRequest request,
                                       const QString &location,
                                       QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_form(m_context.collection,
             m_context.ui,
             m_context.errors,
             request,
             location,
             LocationForm::Hooks{m_context.openFile, m_context.analyze})
{
    setWindowTitle(m_form.title());
    setObjectName(QLatin1String(Procedure::UpdateLocation));
    m_loaded = m_form.load();
    m_pickCategory = [this](const QString &typed, QWidget *parentWidget) {
        return SelectCategoryDialog::select(m_context, typed, parentWidget);
    };

    m_entries = new LocationEntries(m_context.ui, this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(generalTab(), u"General"_s);
    m_tabs->addTab(siteInfoTab(), u"Site Info"_s);
    m_tabs->addTab(keywordsTab(), u"Additional Keywords"_s);
    m_tabs->addTab(customTab(), u"Custom"_s);
    m_entries->setCategories(m_form.categoryChoices());
    m_entries->setReadOnly(m_form.isReadOnly());
    FormsUi::addTabSwitching(m_tabs, this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    addDetails(layout);

    m_originalFile = new QLabel(this);
    m_originalFile->setObjectName(u"originalFile"_s);
    m_originalFile->setCursor(Qt::PointingHandCursor);
    m_originalFile->installEventFilter(this);
    layout->addWidget(m_originalFile);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"ok"_s);
    ok->setDefault(true);
    buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &LocationFormDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LocationFormDialog::reject);
    layout->addWidget(buttons);

    connect(m_entries, &LocationEntries::browseRequested, this, &LocationFormDialog::browseCategory);
    connect(m_entries, &LocationEntries::categoryAccepted, this, [this] {
        // Only a changed entry is checked: leaving it unchanged says nothing new.
        if (!m_form.isReadOnly() && categoryBox()->currentText() != m_acceptedCategory)
            categoryAccepted();
    });
    connect(descriptionEdit(),
            &QLineEdit::editingFinished,
            this,
            &LocationFormDialog::descriptionAccepted);

    FormsUi::addRecallShortcut(this, m_form, {}, [this] { showRecord(); });

    resize(600, 560);
    FormsUi::keepPosition(this, m_context.positionIni, QLatin1String(Procedure::UpdateLocation));
    showRecord();
    // Typing starts in the first entry, not on the tab bar.
    locationEdit()->setFocus();
}

QWidget *LocationFormDialog::generalTab()
{
    auto *page = new QWidget(m_tabs);
    auto *form = new QFormLayout(page);
    QPushButton *analyze
        = m_entries->makeAnalyzeButton(page, u"Retreive and analyze HTML from this location"_s);
    connect(m_entries, &LocationEntries::analyzeRequested, this, &LocationFormDialog::analyze);
    // Alt+C is the category's, so the comments take Alt+M.
    m_entries->addRows(form,
                       {{"Location", nullptr, analyze},
                        {"Description"},
                        {"Category"},
                        {"Rating"},
                        {"Keyword"},
                        {"Comments", "Co&mments:"},
                        {"UserName"},
                        {"Password"},
                        {"EmailAddress"}});
    return page;
}

QWidget *LocationFormDialog::siteInfoTab()
{
    auto *page = new QWidget(m_tabs);
    auto *form = new QFormLayout(page);
    m_entries->addRows(form,
                       {{"SiteInfo"},
                        {"PageSize"},
                        {"LastVisit", nullptr, nullptr, u"Select last visit date"_s},
                        {"LastValidated", nullptr, nullptr, u"Select last validation date"_s},
                        {"Validated"},
                        {"Expires", nullptr, nullptr, u"Select expiry date"_s},
                        {"MovedTo"}});
    return page;
}

QWidget *LocationFormDialog::keywordsTab()
{
    auto *page = new QWidget(m_tabs);
    auto *layout = new QVBoxLayout(page);
    m_keywordModel = new TextTableModel(
        {u"Keyword"_s},
        [this] { return int(m_form.keywords().size()); },
        [this](int row, int) { return m_form.keywords()[std::size_t(row)].Keyword; },
        this);
    m_keywordTable = new QTableView(page);
    FormsUi::setUpTable(m_keywordTable);
    m_keywordTable->setModel(m_keywordModel);
    layout->addWidget(m_keywordTable);
    layout->addLayout(FormsUi::rowButtons(
        page, u"keyword_"_s, [this](FormRequest r) { keyword(r); }, !m_form.isReadOnly()));
    connect(m_keywordTable, &QTableView::doubleClicked, this, [this] {
        keyword(FormRequest::Change);
    });
    return page;
}

QWidget *LocationFormDialog::customTab()
{
    auto *page = new QWidget(m_tabs);
    auto *form = new QFormLayout(page);
    m_entries->addRows(form, {{"Custom1"}, {"Custom2"}, {"Custom3"}});
    return page;
}

void LocationFormDialog::addDetails(QVBoxLayout *layout)
{
    m_detailModel = new TextTableModel(
        {u"Label"_s, u"Value"_s},
        [this] { return int(m_form.details().size()); },
        [this](int row, int column) {
            const DetailRecord &r = m_form.details()[std::size_t(row)];
            return column == 0 ? r.DataLabel : r.DataValue;
        },
        this);
    m_detailTable = new QTableView(this);
    FormsUi::setUpTable(m_detailTable);
    m_detailTable->setModel(m_detailModel);
    m_detailTable->setColumnWidth(0, FormsUi::dialogUnits(120, fontMetrics()));
    m_detailTable->setMaximumHeight(fontMetrics().height() * 8);
    layout->addWidget(m_detailTable);
    layout->addLayout(FormsUi::rowButtons(
        this,
        u"detail_"_s,
        [this](FormRequest r) { detail(r); },
        !m_form.isReadOnly(),
        detailButtonTexts()));
    connect(m_detailTable, &QTableView::doubleClicked, this, [this] {
        detail(FormRequest::Change);
    });
}

void LocationFormDialog::analyze()
{
    if (!takeEntries())
        return;
    m_form.analyze(this);
    showRecord();
}

bool LocationFormDialog::run(FormsContext context,
                             const LocationFormRequest &request,
                             QWidget *parent)
{
    if (request.action == FormRequest::Delete) {
        LocationForm form(context.collection,
                          context.ui,
                          context.errors,
                          request.action,
                          request.location,
                          LocationForm::Hooks{context.openFile, context.analyze});
        return form.load() && form.remove();
    }
    LocationFormDialog dialog(std::move(context), request.action, request.location, parent);
    if (!dialog.isLoaded())
        return false;
    if (request.action == FormRequest::Insert && !request.category.isEmpty()) {
        dialog.form().record().Category = request.category;
        dialog.showRecord();
    }
    return dialog.exec() == QDialog::Accepted;
}

void LocationFormDialog::showRecord()
{
    const LocationRecord &r = m_form.record();
    m_entries->show(r);
    m_acceptedCategory = r.Category;
    m_originalFile->setText(r.OriginalFilename);
    m_originalFile->setToolTip(m_form.canOpenOriginalFile() ? u"Open this file"_s : QString());
    m_keywordModel->reload();
    m_detailModel->reload();
}

bool LocationFormDialog::takeEntries()
{
    return m_entries->take(m_form.record());
}

void LocationFormDialog::focusFailed()
{
    switch (m_form.failedEntry()) {
    case LocationForm::Entry::Location:
        m_entries->focus("Location");
        break;
    case LocationForm::Entry::Description:
        m_entries->focus("Description");
        break;
    case LocationForm::Entry::Category:
        m_entries->focus("Category");
        break;
    case LocationForm::Entry::Changed:
        // The stored record replaces the entries; Ctrl+H brings the user's changes back.
        showRecord();
        break;
    case LocationForm::Entry::None:
        break;
    }
}

void LocationFormDialog::accept()
{
    if (m_form.isReadOnly()) {
        QDialog::accept();
        return;
    }
    if (!takeEntries())
        return;
    m_checking = true;
    const bool saved = m_form.save();
    m_checking = false;
    if (!saved) {
        focusFailed();
        return;
    }
    QDialog::accept();
}

bool LocationFormDialog::categoryAccepted()
{
    if (m_checking)
        return true;
    m_checking = true;
    m_form.record().Category = categoryBox()->currentText();
    m_acceptedCategory = m_form.record().Category;
    const bool valid = m_form.checkCategory();
    m_checking = false;
    if (!valid)
        m_entries->focus("Category");
    return valid;
}

void LocationFormDialog::browseCategory()
{
    if (!m_pickCategory)
        return;
    const std::optional<QString> chosen = m_pickCategory(categoryBox()->currentText(), this);
    if (!chosen)
        return;
    categoryBox()->setEditText(*chosen);
    m_form.record().Category = *chosen;
    m_acceptedCategory = *chosen;
    m_entries->focus("Rating");
}

void LocationFormDialog::descriptionAccepted()
{
    if (m_form.isReadOnly())
        return;
    m_form.record().Description = descriptionEdit()->text();
    m_form.record().Keyword = keywordEdit()->text();
    m_form.descriptionAccepted();
    keywordEdit()->setText(m_form.record().Keyword);
}

void LocationFormDialog::keyword(FormRequest request)
{
    const QModelIndex index = m_keywordTable->currentIndex();
    const int row = index.isValid() ? index.row() : -1;
    if (request != FormRequest::Insert && row < 0)
        return;
    if (request == FormRequest::Delete) {
        if (m_context.errors.raise(Msg::ConfirmDelete) == 0)
            m_form.removeKeyword(row);
    } else {
        const QString current = request == FormRequest::Change
                                    ? m_form.keywords()[std::size_t(row)].Keyword
                                    : QString();
        const auto text = rowText(request == FormRequest::Insert ? u"New Keyword"_s
                                                                 : u"Edit Keyword"_s,
                                  u"&Keyword:"_s,
                                  current,
                                  32);
        if (!text || text->trimmed().isEmpty())
            return;
        if (request == FormRequest::Insert) {
            m_form.addKeyword(*text);
        } else {
            m_form.changeKeyword(row, *text);
        }
    }
    m_keywordModel->reload();
}

void LocationFormDialog::detail(FormRequest request)
{
    const QModelIndex index = m_detailTable->currentIndex();
    const int row = index.isValid() ? index.row() : -1;
    if (request != FormRequest::Insert && row < 0)
        return;
    if (request == FormRequest::Delete) {
        if (m_context.errors.raise(Msg::ConfirmDelete) == 0)
            m_form.removeDetail(row);
    } else {
        const DetailRecord current = request == FormRequest::Change
                                         ? m_form.details()[std::size_t(row)]
                                         : DetailRecord{};
        const QString title = request == FormRequest::Insert ? QStringLiteral("New Detail")
                                                             : QStringLiteral("Edit Detail");
        const auto label = rowText(title, u"Label:"_s, current.DataLabel, 30);
        if (!label)
            return;
        const auto value = rowText(title, u"Value:"_s, current.DataValue, 90);
        if (!value)
            return;
        if (request == FormRequest::Insert)
            m_form.addDetail(*label, *value);
        else
            m_form.changeDetail(row, *label, *value);
    }
    m_detailModel->reload();
}

std::optional<QString> LocationFormDialog::rowText(const QString &title,
                                                   const QString &prompt,
                                                   const QString &current,
                                                   int width)
{
    const std::optional<QString> typed = m_context.ui.text(title, prompt, current, width);
    if (!typed)
        return typed;
    // A pasted control character would end up in every export of the row.
    const EntryInput::Text fitted = EntryInput::fit(*typed, width);
    if (fitted.cleaned || fitted.cut)
        EntryInput::report(m_context.ui, EntryInput::fitMessage(prompt, fitted, width));
    return fitted.text;
}

bool LocationFormDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_originalFile && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_form.openOriginalFile();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pk
