#include "browse/forms/widgets/cathtmldialog.h"

#include "shell/procedurenames.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pk {

CatHtmlDialog::CatHtmlDialog(FormsContext context,
                             FormRequest request,
                             const QString &category,
                             const QString &type,
                             QWidget *parent,
                             CatHtmlForm::Keeper keeper,
                             const CatHtmlRecord &held)
    : QDialog(parent)
    , m_context(std::move(context))
    , m_form(m_context.collection, m_context.ui, m_context.errors, request, category, type)
{
    setWindowTitle(m_form.title());
    setObjectName(QLatin1String(Procedure::UpdateCatHtml));
    if (keeper)
        m_form.keepWith(held, std::move(keeper));
    m_loaded = m_form.load();

    auto *group = new QGroupBox(QStringLiteral("Type Of HTML"), this);
    auto *groupLayout = new QVBoxLayout(group);
    m_types = new QButtonGroup(this);
    int id = 0;
    for (const CatHtmlForm::TypeOption &option : CatHtmlForm::types()) {
        auto *radio = new QRadioButton(QLatin1String(option.optionText), group);
        m_types->addButton(radio, id++);
        groupLayout->addWidget(radio);
    }
    auto *hint = new QLabel(QStringLiteral("Enter or Paste your\nHTML code here ->"), this);
    m_html = new QPlainTextEdit(this);
    m_html->setAccessibleName(QStringLiteral("HTML to add"));
    m_html->setObjectName(QStringLiteral("html"));
    const bool editable = !m_form.isReadOnly();
    m_html->setReadOnly(!editable);
    group->setEnabled(editable);

    auto *top = new QHBoxLayout;
    top->addWidget(group);
    top->addWidget(hint, 0, Qt::AlignBottom);
    top->addStretch();

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CatHtmlDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CatHtmlDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_html, 1);
    layout->addWidget(buttons);
    FormsUi::addRecallShortcut(
        this, m_form, [this] { takeEntries(); }, [this] { showRecord(); });

    showRecord();
    resize(520, 420);
    FormsUi::keepPosition(this, m_context.positionIni, QLatin1String(Procedure::UpdateCatHtml));
    // Typing goes into the snippet; the type is one accelerator away.
    m_html->setFocus();
}

bool CatHtmlDialog::run(FormsContext context,
                        FormRequest request,
                        const QString &category,
                        const QString &type,
                        QWidget *parent)
{
    if (request == FormRequest::Delete) {
        CatHtmlForm form(context.collection, context.ui, context.errors, request, category, type);
        return form.load() && form.remove();
    }
    CatHtmlDialog dialog(std::move(context), request, category, type, parent);
    if (!dialog.isLoaded())
        return false;
    return dialog.exec() == QDialog::Accepted;
}

bool CatHtmlDialog::runHeld(FormsContext context,
                            FormRequest request,
                            const QString &category,
                            const CatHtmlRecord &held,
                            CatHtmlForm::Keeper keeper,
                            QWidget *parent)
{
    CatHtmlDialog dialog(std::move(context),
                         request,
                         category,
                         held.TypeOfHTML,
                         parent,
                         std::move(keeper),
                         held);
    return dialog.isLoaded() && dialog.exec() == QDialog::Accepted;
}

void CatHtmlDialog::showRecord()
{
    const int current = CatHtmlForm::typeIndex(m_form.record().TypeOfHTML);
    if (QAbstractButton *button = m_types->button(current >= 0 ? current : 1))
        button->setChecked(true);
    m_html->setPlainText(m_form.record().HTMLtoAdd);
}

void CatHtmlDialog::takeEntries()
{
    const int type = m_types->checkedId();
    if (type >= 0)
        m_form.record().TypeOfHTML = QLatin1String(CatHtmlForm::types()[std::size_t(type)].stored);
    m_form.record().HTMLtoAdd = m_html->toPlainText();
}

void CatHtmlDialog::accept()
{
    if (m_form.isReadOnly()) {
        QDialog::accept();
        return;
    }
    takeEntries();
    if (!m_form.save()) {
        // After a conflict the entries show the snippet as stored; Ctrl+H brings mine back.
        if (m_form.showsStoredAfterConflict())
            showRecord();
        return;
    }
    QDialog::accept();
}

} // namespace pk
