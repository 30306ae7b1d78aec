#include "tools/widgets/repairwindow.h"

#include "framework/userinterface.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pk {

namespace {

/// "Progress...": the current file, the action, a bar and the files left, with Cancel.
class RepairProgress final : public QWidget
{
public:
    explicit RepairProgress(QWidget *parent)
        : QWidget(parent, Qt::Dialog)
    {
        setWindowTitle(QStringLiteral("Progress..."));
        setWindowModality(Qt::WindowModal);
        auto *grid = new QGridLayout(this);
        grid->addWidget(new QLabel(QStringLiteral("Current File :"), this), 0, 0);
        grid->addWidget(m_file = new QLabel(this), 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("Action :"), this), 1, 0);
        grid->addWidget(m_action = new QLabel(this), 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("Progress :"), this), 2, 0);
        grid->addWidget(m_bar = new QProgressBar(this), 2, 1);
        grid->addWidget(new QLabel(QStringLiteral("Files Left     :"), this), 3, 0);
        grid->addWidget(m_left = new QLabel(this), 3, 1);
        auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
        grid->addWidget(cancel, 4, 1, Qt::AlignRight);
        connect(cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
        m_bar->setRange(0, 100);
    }

    bool update(const QString &file, const QString &action, int percent, int left)
    {
        m_file->setText(file);
        m_action->setText(action);
        m_bar->setValue(percent);
        m_left->setText(QString::number(left));
        QApplication::processEvents();
        return !m_cancelled;
    }

private:
    QLabel *m_file = nullptr;
    QLabel *m_action = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_left = nullptr;
    bool m_cancelled = false;
};

} // namespace

RepairWindow::RepairWindow(Collection &collection, UserInterface &ui, QWidget *parent)
    : QDialog(parent)
    , m_repair(collection, ui)
    , m_ui(ui)
{
    setWindowTitle(QLatin1String(RepairFiles::Title));
    auto *layout = new QHBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QString(), QStringLiteral("File"), QStringLiteral("Records"), QStringLiteral("Disk name")});
    m_list->setAccessibleName(QStringLiteral("Files"));
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->setColumnWidth(1, fontMetrics().horizontalAdvance(QLatin1Char('x')) * 16);
    layout->addWidget(m_list, 1);

    auto *buttons = new QVBoxLayout;
    auto add = [&](const char *text, const char *tip, auto &&action) {
        auto *b = new QPushButton(QLatin1String(text), this);
        b->setToolTip(QLatin1String(tip));
        connect(b, &QPushButton::clicked, this, action);
        buttons->addWidget(b);
        return b;
    };
    auto operation = [this](RepairOperation op) { return [this, op] { runOperation(op); }; };
    add("&Repair",
        "Attempt to fix corruption in the tagged data files",
        operation(RepairOperation::Repair));
    add("&Build",
        "Build the key files for the tagged data files",
        operation(RepairOperation::Build));
    add("&Pack", "Pack the tagged data files", operation(RepairOperation::Pack));
    add("Relea&se",
        "Release any held records in the tagged files",
        operation(RepairOperation::Release));
    add("&Tag All", "Tag all the files", [this] {
        m_repair.tagAll();
        showRows();
    });
    // Enter must never rewrite a file: Info is the default, the other buttons take no Enter.
    QPushButton *infoButton = add("&Info",
                                  "Information on each file",
                                  operation(RepairOperation::Info));
    add("Freshen", "Copy the records into a new file", operation(RepairOperation::Freshen));
    add("&Create", "Create any non-existent files", operation(RepairOperation::Create));
    add("&Untag All", "Untag all of the files", [this] {
        m_repair.untagAll();
        showRows();
    });
    buttons->addStretch();
    add("Cl&ose", "Close this window", [this] { emit closeRequested(); });
    layout->addLayout(buttons);
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    infoButton->setDefault(true);

    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        m_repair.toggle(m_list->indexOfTopLevelItem(item));
        showRows();
    });
    connect(this, &RepairWindow::closeRequested, this, &QDialog::reject);
    m_repair.fill();
    showRows();
    resize(820, 320);
}

void RepairWindow::start()
{
    m_repair.start();
    showRows();
}

void RepairWindow::runOperation(RepairOperation operation)
{
    RepairProgress progress(this);
    progress.show();
    m_repair.run(operation, [&](const QString &file, const QString &action, int percent, int left) {
        return progress.update(file, action, percent, left);
    });
    progress.close();
    showRows();
    m_ui.message(QLatin1String(RepairFiles::Title),
                 m_repair.outcomeText(operation),
                 UserInterface::Icon::Information);
}

void RepairWindow::showRows()
{
    const int current = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem())
                                              : -1;
    m_list->clear();
    const QIcon tick = style()->standardIcon(QStyle::SP_DialogApplyButton);
    for (const RepairRow &row : m_repair.rows()) {
        auto *item = new QTreeWidgetItem(m_list);
        if (row.tagged)
            item->setIcon(0, tick);
        item->setText(1, row.file);
        item->setText(2, row.records);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(3, row.diskName);
        item->setToolTip(3, row.diskName);
    }
    if (current >= 0 && current < m_list->topLevelItemCount())
        m_list->setCurrentItem(m_list->topLevelItem(current));
}

} // namespace pk
