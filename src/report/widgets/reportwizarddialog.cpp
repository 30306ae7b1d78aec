#include "report/widgets/reportwizarddialog.h"

#include "framework/userinterface.h"
#include "platform/appfolders.h"
#include "platform/inifile.h"
#include "report/reportwizardchoices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

namespace {
constexpr int ColumnRole = Qt::UserRole + 1;
}

ReportWizardDialog::ReportWizardDialog(UserInterface &ui, int order, QWidget *parent)
    : QDialog(parent)
    , m_ui(ui)
{
    setObjectName(u"ReportWizard"_s);
    setWindowTitle(u"Report Wizard"_s);
    auto *layout = new QVBoxLayout(this);
    auto *columnsLabel = new QLabel(u"&Columns to print (checked), from left to right:"_s, this);
    layout->addWidget(columnsLabel);
    auto *row = new QGridLayout();
    m_columns = new QListWidget(this);
    m_columns->setObjectName(u"columns"_s);
    m_columns->setDragDropMode(QAbstractItemView::InternalMove);
    columnsLabel->setBuddy(m_columns);
    row->addWidget(m_columns, 0, 0, 3, 1);
    auto *up = new QPushButton(u"Move &Up"_s, this);
    auto *down = new QPushButton(u"Move &Down"_s, this);
    connect(up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(down, &QPushButton::clicked, this, [this] { move(1); });
    row->addWidget(up, 0, 1);
    row->addWidget(down, 1, 1);
    layout->addLayout(row, 1);

    auto *form = new QFormLayout();
    m_order = new QComboBox(this);
    m_order->setObjectName(u"order"_s);
    for (const ReportWizardChoices::Choice &c : ReportWizardChoices::orders())
        m_order->addItem(c.name);
    form->addRow(u"O&rder:"_s, m_order);
    m_description = new QLineEdit(this);
    m_description->setObjectName(u"description"_s);
    m_description->setMaxLength(100);
    form->addRow(u"D&escription:"_s, m_description);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportWizardDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportWizardDialog::reject);
    layout->addWidget(buttons);
    load(order);
    m_columns->setCurrentRow(0);
    m_columns->setFocus();
    resize(460, 480);
}

void ReportWizardDialog::load(int order)
{
    IniFile ini(AppFolders::pathkeepIni());
    ini.load();
    const QString section = QString::fromLatin1(Section);
    const QStringList saved = ini.value(section, u"Columns"_s).split(u',', Qt::SkipEmptyParts);
    const QStringList chosen = saved.isEmpty() ? QStringList{u"URL:Location"_s,
                                                             u"URL:Description"_s,
                                                             u"URL:Category"_s,
                                                             u"URL:Rating"_s}
                                               : saved;
    const auto &all = ReportWizardChoices::columns();
    QList<int> sequence;
    for (const QString &field : chosen) {
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all.at(i).value.compare(field.trimmed(), Qt::CaseInsensitive) == 0
                && !sequence.contains(int(i)))
                sequence << int(i);
        }
    }
    const qsizetype checked = sequence.size();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (!sequence.contains(int(i)))
            sequence << int(i);
    }
    for (qsizetype k = 0; k < sequence.size(); ++k) {
        auto *item = new QListWidgetItem(all.at(sequence.at(k)).name, m_columns);
        item->setData(ColumnRole, sequence.at(k));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                       | Qt::ItemIsDragEnabled);
        item->setCheckState(k < checked ? Qt::Checked : Qt::Unchecked);
    }
    if (order < 0)
        order = ini.intValue(section, u"Order"_s, 0);
    m_order->setCurrentIndex(std::clamp(order, 0, int(m_order->count()) - 1));
    m_description->setText(ini.value(section, u"Description"_s));
}

void ReportWizardDialog::save() const
{
    IniFile ini(AppFolders::pathkeepIni());
    if (!ini.load())
        return;
    const QString section = QString::fromLatin1(Section);
    QStringList fields;
    for (int i : columns())
        fields << ReportWizardChoices::columns().at(i).value;
    ini.setValue(section, u"Columns"_s, fields.join(u','));
    ini.setValue(section, u"Order"_s, order());
    ini.setValue(section, u"Description"_s, description());
    ini.save();
}

void ReportWizardDialog::move(int step)
{
    const int row = m_columns->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= m_columns->count())
        return;
    QListWidgetItem *item = m_columns->takeItem(row);
    m_columns->insertItem(target, item);
    m_columns->setCurrentRow(target);
}

QList<int> ReportWizardDialog::columns() const
{
    QList<int> out;
    for (int i = 0; i < m_columns->count(); ++i) {
        const QListWidgetItem *item = m_columns->item(i);
        if (item->checkState() == Qt::Checked)
            out << item->data(ColumnRole).toInt();
    }
    return out;
}

int ReportWizardDialog::order() const
{
    return m_order->currentIndex();
}

QString ReportWizardDialog::description() const
{
    return m_description->text().trimmed();
}

void ReportWizardDialog::accept()
{
    if (columns().isEmpty()) {
        m_ui.message(u"Report Wizard"_s,
                     u"Check at least one column to print."_s,
                     UserInterface::Icon::Warning);
        return;
    }
    save();
    QDialog::accept();
}

} // namespace pk
