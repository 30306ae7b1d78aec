#include "browse/forms/widgets/locationformdialog.h"

#include "browse/forms/widgets/calendardialog.h"
#include "browse/forms/widgets/ratingbox.h"
#include "browse/forms/widgets/selectcategorydialog.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "shell/procedurenames.h"
#include "store/picture.h"

#include <QButtonGroup>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace pk {

namespace {

QLineEdit *lineEdit(QWidget *parent, int width, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setMaxLength(width);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QLabel *prompt(const char *text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(QLatin1String(text), parent);
    label->setBuddy(buddy);
    return label;
}

QString dateText(qint32 day, bool blankWhenNone)
{
    if (day == 0 && blankWhenNone)
        return {};
    return Picture::format(QStringLiteral("@d17"), day).trimmed();
}

/// The day number typed in a date entry; `fallback` when it cannot be read.
qint32 dateValue(const QString &text, qint32 fallback)
{
    if (text.trimmed().isEmpty())
        return 0;
    const QVariant value = Picture::deformat(QStringLiteral("@d17"), text.trimmed());
    bool ok = false;
    const qint32 day = value.toInt(&ok);
    return ok ? day : fallback;
}

QHBoxLayout *rowButtons(QWidget *parent, const QString &prefix, const std::function<void(FormRequest)> &action,
                        bool enabled)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    const std::pair<const char *, FormRequest> buttons[] = {
        {"&New", FormRequest::Insert}, {"&Edit", FormRequest::Change}, {"&Delete", FormRequest::Delete}};
    for (const auto &[text, request] : buttons) {
        auto *button = new QPushButton(QLatin1String(text), parent);
        button->setObjectName(prefix + QString(QLatin1String(text)).remove(QLatin1Char('&')).toLower());
        button->setEnabled(enabled);
        button->setAutoDefault(false);
        const FormRequest r = request;
        QObject::connect(button, &QPushButton::clicked, parent, [action, r] { action(r); });
        row->addWidget(button);
    }
    return row;
}

} // namespace

LocationFormDialog::LocationFormDialog(FormsContext context, FormRequest request, const QString &location,
                                       QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_form(m_context.collection, m_context.ui, m_context.errors, request, location,
             LocationForm::Hooks{m_context.openFile})
{
    setWindowTitle(m_form.title());
    setObjectName(QLatin1String(Procedure::UpdateLocation));
    m_loaded = m_form.load();
    m_pickCategory = [this](const QString &typed, QWidget *parentWidget) {
        return SelectCategoryDialog::select(m_context, typed, parentWidget);
    };
    m_pickDate = [](qint32 day, const QString &title, QWidget *parentWidget) {
        return CalendarDialog::pick(day, title, parentWidget);
    };
    const bool editable = !m_form.isReadOnly();

    m_tabs = new QTabWidget(this);

    // General
    auto *general = new QWidget(m_tabs);
    auto *generalForm = new QFormLayout(general);
    m_location = lineEdit(general, 255, "location");
    auto *analyze = new QPushButton(QStringLiteral("Analy&ze"), general);
    analyze->setToolTip(QStringLiteral("Retreive and analyze HTML from this location"));
    analyze->setAutoDefault(false);
    analyze->setEnabled(editable);
    auto *locationRow = new QHBoxLayout;
    locationRow->addWidget(m_location, 1);
    locationRow->addWidget(analyze);
    generalForm->addRow(prompt("&Location:", m_location, general), locationRow);
    m_description = lineEdit(general, 255, "description");
    generalForm->addRow(prompt("&Description:", m_description, general), m_description);
    m_category = new QComboBox(general);
    m_category->setObjectName(QStringLiteral("category"));
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->addItems(m_form.categoryChoices());
    m_category->setMinimumWidth(FormsUi::dialogUnits(120, fontMetrics()));
    m_category->lineEdit()->setMaxLength(50);
    auto *browse = new QPushButton(QStringLiteral("&Browse"), general);
    browse->setObjectName(QStringLiteral("browseCategory"));
    browse->setAutoDefault(false);
    browse->setEnabled(editable);
    auto *categoryRow = new QHBoxLayout;
    categoryRow->addWidget(m_category);
    categoryRow->addWidget(browse);
    categoryRow->addStretch();
    generalForm->addRow(prompt("&Category:", m_category, general), categoryRow);
    m_rating = new RatingBox(general);
    generalForm->addRow(prompt("&Rating:", m_rating, general), m_rating);
    m_keyword = lineEdit(general, 20, "keyword");
    generalForm->addRow(prompt("&Keyword:", m_keyword, general), m_keyword);
    m_comments = lineEdit(general, 1024, "comments");
    generalForm->addRow(prompt("&Comments:", m_comments, general), m_comments);
    m_userName = lineEdit(general, 40, "userName");
    generalForm->addRow(prompt("&User Name:", m_userName, general), m_userName);
    m_password = lineEdit(general, 20, "password");
    generalForm->addRow(prompt("&Password:", m_password, general), m_password);
    m_email = lineEdit(general, 60, "email");
    generalForm->addRow(prompt("&E-mail address:", m_email, general), m_email);
    m_tabs->addTab(general, QStringLiteral("General"));

    // Site Info
    auto *site = new QWidget(m_tabs);
    auto *siteForm = new QFormLayout(site);
    m_siteInfo = new QPlainTextEdit(site);
    m_siteInfo->setObjectName(QStringLiteral("siteInfo"));
    siteForm->addRow(prompt("&Site Info:", m_siteInfo, site), m_siteInfo);
    m_pageSize = lineEdit(site, 14, "pageSize");
    siteForm->addRow(prompt("&Page size:", m_pageSize, site), m_pageSize);
    siteForm->addRow(QStringLiteral("&Last Visit:"), dateRow(m_lastVisit, QStringLiteral("Select last visit date")));
    siteForm->addRow(QStringLiteral("Last &Validated:"),
                     dateRow(m_lastValidated, QStringLiteral("Select last validation date")));
    auto *validated = new QGroupBox(site);
    auto *validatedLayout = new QHBoxLayout(validated);
    m_validated = new QButtonGroup(this);
    const char *states[] = {"Unknown", "Passed", "Failed"};
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(QLatin1String(states[i]), validated);
        m_validated->addButton(radio, i);
        validatedLayout->addWidget(radio);
    }
    validated->setEnabled(editable);
    siteForm->addRow(QString(), validated);
    siteForm->addRow(QStringLiteral("&Expires:"), dateRow(m_expires, QStringLiteral("Select expiry date")));
    m_movedTo = lineEdit(site, 255, "movedTo");
    siteForm->addRow(prompt("&Moved To:", m_movedTo, site), m_movedTo);
    m_tabs->addTab(site, QStringLiteral("Site Info"));

    // Additional Keywords
    auto *keywords = new QWidget(m_tabs);
    auto *keywordLayout = new QVBoxLayout(keywords);
    m_keywordModel = new TextTableModel(
        {QStringLiteral("Keyword")}, [this] { return int(m_form.keywords().size()); },
        [this](int row, int) { return m_form.keywords()[std::size_t(row)].Keyword; }, this);
    m_keywordTable = new QTableView(keywords);
    FormsUi::setUpTable(m_keywordTable);
    m_keywordTable->setModel(m_keywordModel);
    keywordLayout->addWidget(m_keywordTable);
    keywordLayout->addLayout(rowButtons(keywords, QStringLiteral("keyword_"), [this](FormRequest r) { keyword(r); },
                                        editable));
    m_tabs->addTab(keywords, QStringLiteral("Additional Keywords"));

    // Custom
    auto *custom = new QWidget(m_tabs);
    auto *customForm = new QFormLayout(custom);
    m_custom1 = lineEdit(custom, 60, "custom1");
    m_custom2 = lineEdit(custom, 60, "custom2");
    m_custom3 = lineEdit(custom, 60, "custom3");
    customForm->addRow(prompt("Custom &1:", m_custom1, custom), m_custom1);
    customForm->addRow(prompt("Custom &2:", m_custom2, custom), m_custom2);
    customForm->addRow(prompt("Custom &3:", m_custom3, custom), m_custom3);
    m_tabs->addTab(custom, QStringLiteral("Custom"));

    // Details below the tabs
    m_detailModel = new TextTableModel(
        {QStringLiteral("Label"), QStringLiteral("Value")}, [this] { return int(m_form.details().size()); },
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

    m_originalFile = new QLabel(this);
    m_originalFile->setObjectName(QStringLiteral("originalFile"));
    m_originalFile->setCursor(Qt::PointingHandCursor);
    m_originalFile->installEventFilter(this);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &LocationFormDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LocationFormDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_detailTable);
    layout->addLayout(rowButtons(this, QStringLiteral("detail_"), [this](FormRequest r) { detail(r); }, editable));
    layout->addWidget(m_originalFile);
    layout->addWidget(buttons);

    for (QLineEdit *edit : findChildren<QLineEdit *>())
        edit->setReadOnly(!editable);
    m_siteInfo->setReadOnly(!editable);
    m_rating->setReadOnly(!editable);

    connect(analyze, &QPushButton::clicked, this, [this] {
        takeEntries();
        m_form.analyze(this);
        showRecord();
    });
    connect(browse, &QPushButton::clicked, this, &LocationFormDialog::browseCategory);
    connect(m_category->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        // Opening the drop list takes the focus too; only a changed entry is checked.
        if (!m_form.isReadOnly() && !m_category->view()->isVisible()
            && m_category->currentText() != m_acceptedCategory)
            categoryAccepted();
    });
    connect(m_category, &QComboBox::activated, this, [this] { categoryAccepted(); });
    connect(m_description, &QLineEdit::editingFinished, this, &LocationFormDialog::descriptionAccepted);
    connect(m_keywordTable, &QTableView::doubleClicked, this, [this] { keyword(FormRequest::Change); });
    connect(m_detailTable, &QTableView::doubleClicked, this, [this] { detail(FormRequest::Change); });

    resize(600, 560);
    FormsUi::keepPosition(this, m_context.positionIni, QLatin1String(Procedure::UpdateLocation));
    showRecord();
}

QWidget *LocationFormDialog::dateRow(QLineEdit *&edit, const QString &title)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    edit = new QLineEdit(row);
    auto *button = new QPushButton(QStringLiteral("..."), row);
    button->setAutoDefault(false);
    button->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    button->setEnabled(!m_form.isReadOnly());
    QLineEdit *target = edit;
    connect(button, &QPushButton::clicked, this, [this, target, title] { pickDate(target, title); });
    layout->addWidget(edit);
    layout->addWidget(button);
    layout->addStretch();
    return row;
}

bool LocationFormDialog::run(FormsContext context, FormRequest request, const QString &location,
                             const QVariantMap &arguments, QWidget *parent)
{
    if (request == FormRequest::Delete) {
        LocationForm form(context.collection, context.ui, context.errors, request, location,
                          LocationForm::Hooks{context.openFile});
        return form.load() && form.remove();
    }
    LocationFormDialog dialog(std::move(context), request, location, parent);
    if (!dialog.isLoaded())
        return false;
    const QString category = arguments.value(QStringLiteral("Category")).toString();
    if (request == FormRequest::Insert && !category.isEmpty()) {
        dialog.form().record().Category = category;
        dialog.showRecord();
    }
    return dialog.exec() == QDialog::Accepted;
}

void LocationFormDialog::showRecord()
{
    const LocationRecord &r = m_form.record();
    m_location->setText(r.Location);
    m_description->setText(r.Description);
    m_category->setEditText(r.Category);
    m_acceptedCategory = r.Category;
    m_rating->setValue(r.Rating);
    m_keyword->setText(r.Keyword);
    m_comments->setText(r.Comments);
    m_userName->setText(r.UserName);
    m_password->setText(r.Password);
    m_email->setText(r.EmailAddress);
    m_siteInfo->setPlainText(r.SiteInfo);
    m_pageSize->setText(r.PageSize == 0 ? QString() : QString::number(r.PageSize));
    m_lastVisit->setText(dateText(r.LastVisit, true));
    m_lastValidated->setText(dateText(r.LastValidated, true));
    if (QAbstractButton *button = m_validated->button(r.Validated <= 2 ? r.Validated : 0))
        button->setChecked(true);
    m_expires->setText(dateText(r.Expires, true));
    m_movedTo->setText(r.MovedTo);
    m_custom1->setText(r.Custom1);
    m_custom2->setText(r.Custom2);
    m_custom3->setText(r.Custom3);
    m_originalFile->setText(r.OriginalFilename);
    m_originalFile->setToolTip(m_form.canOpenOriginalFile() ? QStringLiteral("Open this file") : QString());
    m_keywordModel->reload();
    m_detailModel->reload();
}

void LocationFormDialog::takeEntries()
{
    LocationRecord &r = m_form.record();
    r.Location = m_location->text();
    r.Description = m_description->text();
    r.Category = m_category->currentText();
    r.Rating = m_rating->value();
    r.Keyword = m_keyword->text();
    r.Comments = m_comments->text();
    r.UserName = m_userName->text();
    r.Password = m_password->text();
    r.EmailAddress = m_email->text();
    r.SiteInfo = m_siteInfo->toPlainText();
    bool ok = false;
    const qint32 size = m_pageSize->text().trimmed().remove(QLatin1Char(',')).toInt(&ok);
    r.PageSize = ok ? size : (m_pageSize->text().trimmed().isEmpty() ? 0 : r.PageSize);
    r.LastVisit = dateValue(m_lastVisit->text(), r.LastVisit);
    r.LastValidated = dateValue(m_lastValidated->text(), r.LastValidated);
    r.Validated = quint8(std::max(0, m_validated->checkedId()));
    r.Expires = dateValue(m_expires->text(), r.Expires);
    r.MovedTo = m_movedTo->text();
    r.Custom1 = m_custom1->text();
    r.Custom2 = m_custom2->text();
    r.Custom3 = m_custom3->text();
}

void LocationFormDialog::focusFailed()
{
    switch (m_form.failedEntry()) {
    case LocationForm::Entry::Location:
        m_tabs->setCurrentIndex(0);
        m_location->setFocus();
        break;
    case LocationForm::Entry::Description:
        m_tabs->setCurrentIndex(0);
        m_description->setFocus();
        break;
    case LocationForm::Entry::Category:
        m_tabs->setCurrentIndex(0);
        m_category->setFocus();
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
    takeEntries();
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
    m_form.record().Category = m_category->currentText();
    m_acceptedCategory = m_form.record().Category;
    const bool valid = m_form.checkCategory();
    m_checking = false;
    if (!valid) {
        m_tabs->setCurrentIndex(0);
        m_category->setFocus();
    }
    return valid;
}

void LocationFormDialog::browseCategory()
{
    if (!m_pickCategory)
        return;
    const std::optional<QString> chosen = m_pickCategory(m_category->currentText(), this);
    if (!chosen)
        return;
    m_category->setEditText(*chosen);
    m_form.record().Category = *chosen;
    m_acceptedCategory = *chosen;
    m_rating->setFocus();
}

void LocationFormDialog::descriptionAccepted()
{
    if (m_form.isReadOnly())
        return;
    m_form.record().Description = m_description->text();
    m_form.record().Keyword = m_keyword->text();
    m_form.descriptionAccepted();
    m_keyword->setText(m_form.record().Keyword);
}

void LocationFormDialog::pickDate(QLineEdit *edit, const QString &title)
{
    if (!m_pickDate)
        return;
    const qint32 day = m_pickDate(dateValue(edit->text(), 0), title, this);
    edit->setText(dateText(day, true));
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
        const QString current = request == FormRequest::Change ? m_form.keywords()[std::size_t(row)].Keyword : QString();
        const auto text = m_context.ui.text(request == FormRequest::Insert ? QStringLiteral("New Keyword")
                                                                            : QStringLiteral("Edit Keyword"),
                                            QStringLiteral("&Keyword:"), current, 32);
        if (!text || text->trimmed().isEmpty())
            return;
        if (request == FormRequest::Insert) {
            m_form.record().Location = m_location->text();
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
        const DetailRecord current = request == FormRequest::Change ? m_form.details()[std::size_t(row)] : DetailRecord{};
        const QString title = request == FormRequest::Insert ? QStringLiteral("New Detail") : QStringLiteral("Edit Detail");
        const auto label = m_context.ui.text(title, QStringLiteral("Label:"), current.DataLabel, 30);
        if (!label)
            return;
        const auto value = m_context.ui.text(title, QStringLiteral("Value:"), current.DataValue, 90);
        if (!value)
            return;
        if (request == FormRequest::Insert)
            m_form.addDetail(*label, *value);
        else
            m_form.changeDetail(row, *label, *value);
    }
    m_detailModel->reload();
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
