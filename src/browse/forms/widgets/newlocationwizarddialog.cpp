#include "browse/forms/widgets/newlocationwizarddialog.h"

#include "browse/forms/widgets/calendardialog.h"
#include "browse/forms/widgets/ratingbox.h"
#include "browse/forms/widgets/selectcategorydialog.h"
#include "browse/forms/widgets/texttablemodel.h"
#include "platform/x11windowlist.h"
#include "shell/procedurenames.h"
#include "store/picture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
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

QWidget *withHint(QWidget *entry, const char *hint, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(entry);
    layout->addWidget(new QLabel(QLatin1String(hint), row));
    layout->addStretch();
    return row;
}

} // namespace

NewLocationWizardDialog::NewLocationWizardDialog(FormsContext context, const QString &input, WindowLister windows,
                                                 QWidget *parent)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_wizard(m_context.collection, m_context.ui, m_context.errors)
{
    setWindowTitle(QStringLiteral("Update Location Information"));
    setObjectName(QLatin1String(Procedure::NewUrlWizard));
    m_pages = new QStackedWidget(this);

    // PickURL
    auto *pick = new QWidget(m_pages);
    auto *pickLayout = new QVBoxLayout(pick);
    pickLayout->addWidget(new QLabel(QStringLiteral("Select the browser window to capture, then press Next."), pick));
    m_candidateModel = new TextTableModel(
        {QStringLiteral("Browser Window"), QStringLiteral("URL")},
        [this] { return int(m_wizard.candidates().size()); },
        [this](int row, int column) {
            const WindowCandidate &c = m_wizard.candidates()[std::size_t(row)];
            return column == 0 ? c.title.left(255) : c.address.left(255);
        },
        this);
    m_candidateTable = new QTableView(pick);
    FormsUi::setUpTable(m_candidateTable);
    m_candidateTable->setModel(m_candidateModel);
    m_candidateTable->setColumnWidth(0, FormsUi::dialogUnits(135, fontMetrics()));
    pickLayout->addWidget(m_candidateTable);
    connect(m_candidateTable, &QTableView::doubleClicked, this, &NewLocationWizardDialog::next);
    m_pages->addWidget(pick);

    // General
    auto *general = new QWidget(m_pages);
    auto *generalForm = new QFormLayout(general);
    m_location = lineEdit(general, 255, "location");
    auto *analyze = new QPushButton(QStringLiteral("Analy&ze"), general);
    analyze->setToolTip(QStringLiteral("Retrieve and analyze HTML from this location"));
    analyze->setAutoDefault(false);
    auto *locationRow = new QHBoxLayout;
    locationRow->addWidget(m_location, 1);
    locationRow->addWidget(analyze);
    generalForm->addRow(QStringLiteral("&Location:"), locationRow);
    m_description = lineEdit(general, 255, "description");
    generalForm->addRow(QStringLiteral("&Description:"), m_description);
    m_category = new QComboBox(general);
    m_category->setObjectName(QStringLiteral("category"));
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->addItems(m_wizard.categoryChoices());
    m_category->setMinimumWidth(FormsUi::dialogUnits(120, fontMetrics()));
    auto *browse = new QPushButton(QStringLiteral("&Browse"), general);
    browse->setAutoDefault(false);
    auto *categoryRow = new QHBoxLayout;
    categoryRow->addWidget(m_category);
    categoryRow->addWidget(browse);
    categoryRow->addStretch();
    generalForm->addRow(QStringLiteral("&Category:"), categoryRow);
    m_rating = new RatingBox(general);
    generalForm->addRow(QStringLiteral("&Rating:"), withHint(m_rating, "<<-  Rate this site", general));
    m_keyword = lineEdit(general, 20, "keyword");
    generalForm->addRow(QStringLiteral("&Keyword:"),
                        withHint(m_keyword, "<<-  Use any primary keyword you wish to sort on", general));
    m_comments = lineEdit(general, 1024, "comments");
    generalForm->addRow(QStringLiteral("Comments:"), m_comments);
    m_userName = lineEdit(general, 40, "userName");
    generalForm->addRow(QStringLiteral("User Name:"), m_userName);
    m_password = lineEdit(general, 20, "password");
    generalForm->addRow(QStringLiteral("Password:"), m_password);
    m_pages->addWidget(general);

    // Site Info
    auto *site = new QWidget(m_pages);
    auto *siteForm = new QFormLayout(site);
    m_siteInfo = new QPlainTextEdit(site);
    siteForm->addRow(QStringLiteral("&Site Info:"), m_siteInfo);
    m_email = lineEdit(site, 60, "email");
    siteForm->addRow(QStringLiteral("&E-mail address:"), m_email);
    m_expires = lineEdit(site, 20, "expires");
    auto *expiresButton = new QPushButton(QStringLiteral("..."), site);
    expiresButton->setAutoDefault(false);
    expiresButton->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    auto *expiresRow = new QHBoxLayout;
    expiresRow->addWidget(m_expires);
    expiresRow->addWidget(expiresButton);
    expiresRow->addStretch();
    siteForm->addRow(QStringLiteral("&Expires:"), expiresRow);
    m_pages->addWidget(site);

    m_back = new QPushButton(QStringLiteral("&Back"), this);
    m_next = new QPushButton(QStringLiteral("&Next"), this);
    m_finish = new QPushButton(QStringLiteral("&Finish"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
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
    connect(analyze, &QPushButton::clicked, this, [this] {
        takeEntries();
        m_wizard.analyze(this);
        showRecord();
    });
    connect(browse, &QPushButton::clicked, this, [this] {
        const auto chosen = SelectCategoryDialog::select(m_context, m_category->currentText(), this);
        if (!chosen)
            return;
        m_category->setEditText(*chosen);
        m_rating->setFocus();
    });
    connect(m_category->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        // Opening the drop list takes the focus too; only a changed entry is checked.
        if (m_category->view()->isVisible() || m_category->currentText() == m_wizard.record().Category)
            return;
        m_wizard.record().Category = m_category->currentText();
        if (!m_wizard.checkCategory())
            m_category->setFocus();
    });
    connect(m_location, &QLineEdit::editingFinished, this, [this] {
        m_wizard.record().Location = m_location->text();
        m_wizard.record().Keyword = m_keyword->text();
        m_wizard.locationAccepted();
        m_keyword->setText(m_wizard.record().Keyword);
    });
    connect(m_description, &QLineEdit::editingFinished, this, [this] {
        m_wizard.record().Description = m_description->text();
        m_wizard.record().Keyword = m_keyword->text();
        m_wizard.descriptionAccepted();
        m_keyword->setText(m_wizard.record().Keyword);
    });
    connect(expiresButton, &QPushButton::clicked, this, [this] {
        const QVariant typed = Picture::deformat(QStringLiteral("@d17"), m_expires->text().trimmed());
        const qint32 day = CalendarDialog::pick(m_expires->text().trimmed().isEmpty() ? 0 : typed.toInt(),
                                                QStringLiteral("Select Expiry Date"), this);
        m_expires->setText(day ? Picture::format(QStringLiteral("@d17"), day).trimmed() : QString());
    });

    resize(600, 420);
    FormsUi::keepPosition(this, m_context.positionIni, QLatin1String(Procedure::NewUrlWizard));

    // The wizard's own window is left out of the capture, so it needs its X11 id first.
    const auto ownWindow = quint32(winId());
    m_wizard.start(input, windows ? windows() : X11WindowList::list(), ownWindow);
    m_candidateModel->reload();
    if (!m_wizard.candidates().empty())
        m_candidateTable->selectRow(0);
    showRecord();
    showPage();
}

void NewLocationWizardDialog::showPage()
{
    switch (m_wizard.page()) {
    case NewLocationWizard::Page::PickUrl:
        m_pages->setCurrentIndex(0);
        break;
    case NewLocationWizard::Page::General:
        m_pages->setCurrentIndex(1);
        break;
    case NewLocationWizard::Page::SiteInfo:
        m_pages->setCurrentIndex(2);
        break;
    }
    m_back->setEnabled(m_wizard.canGoBack());
    m_next->setEnabled(m_wizard.canGoNext());
}

void NewLocationWizardDialog::showRecord()
{
    const LocationRecord &r = m_wizard.record();
    m_location->setText(r.Location);
    m_description->setText(r.Description);
    m_category->setEditText(r.Category);
    m_rating->setValue(r.Rating);
    m_keyword->setText(r.Keyword);
    m_comments->setText(r.Comments);
    m_userName->setText(r.UserName);
    m_password->setText(r.Password);
    m_siteInfo->setPlainText(r.SiteInfo);
    m_email->setText(r.EmailAddress);
    m_expires->setText(r.Expires ? Picture::format(QStringLiteral("@d17"), r.Expires).trimmed() : QString());
}

void NewLocationWizardDialog::takeEntries()
{
    if (m_wizard.page() == NewLocationWizard::Page::PickUrl)
        return;
    LocationRecord &r = m_wizard.record();
    r.Location = m_location->text();
    r.Description = m_description->text();
    r.Category = m_category->currentText();
    r.Rating = m_rating->value();
    r.Keyword = m_keyword->text();
    r.Comments = m_comments->text();
    r.UserName = m_userName->text();
    r.Password = m_password->text();
    r.SiteInfo = m_siteInfo->toPlainText();
    r.EmailAddress = m_email->text();
    const QString expires = m_expires->text().trimmed();
    if (expires.isEmpty()) {
        r.Expires = 0;
    } else {
        bool ok = false;
        const qint32 day = Picture::deformat(QStringLiteral("@d17"), expires).toInt(&ok);
        if (ok)
            r.Expires = day;
    }
}

void NewLocationWizardDialog::focusFailed()
{
    if (m_wizard.failedEntry() == NewLocationWizard::Entry::Location)
        m_location->setFocus();
    else if (m_wizard.failedEntry() == NewLocationWizard::Entry::Category)
        m_category->setFocus();
}

void NewLocationWizardDialog::next()
{
    const bool picking = m_wizard.page() == NewLocationWizard::Page::PickUrl;
    takeEntries();
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
    takeEntries();
    m_wizard.back();
    showPage();
}

void NewLocationWizardDialog::finish()
{
    takeEntries();
    if (!m_wizard.finish()) {
        showPage();
        focusFailed();
        return;
    }
    accept();
}

} // namespace pk
