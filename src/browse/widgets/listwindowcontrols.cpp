#include "browse/widgets/listwindowcontrols.h"

#include "browse/list/sendtype.h"
#include "platform/launcher.h"

#include <QApplication>
#include <QClipboard>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

namespace pk::ListWindowControls {

LocationBrowse::Hooks withDesktopHooks(LocationBrowse::Hooks hooks)
{
    if (!hooks.setClipboard)
        hooks.setClipboard = [](const QString &text) {
            QGuiApplication::clipboard()->setText(text);
        };
    if (!hooks.setBusy)
        hooks.setBusy = [](bool on) {
            if (on)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        };
    return hooks;
}

Launcher &launcherOrOwn(Launcher *given, UserInterface &ui, std::unique_ptr<Launcher> &own)
{
    if (given)
        return *given;
    own = std::make_unique<Launcher>(ui);
    return *own;
}

QPushButton *button(QWidget *owner,
                    const QString &text,
                    const QString &tip,
                    const char *name,
                    const std::function<void()> &command)
{
    auto *b = new QPushButton(text, owner);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, owner, command);
    return b;
}

QHBoxLayout *toolRow(QWidget *owner,
                     const Commands &commands,
                     QList<QWidget *> &resetWidgets,
                     QComboBox *&sendTypes)
{
    auto *tools = new QHBoxLayout;
    QStyle *style = owner->style();
    const auto tool = [&](const QString &text,
                          const QString &tip,
                          const char *name,
                          QStyle::StandardPixmap icon,
                          const std::function<void()> &command) {
        auto *b = new QToolButton(owner);
        b->setText(text);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        b->setIcon(style->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        QObject::connect(b, &QToolButton::clicked, owner, command);
        tools->addWidget(b);
        return b;
    };
    LocationBrowse &locations = commands.locations;
    const std::function<int()> row = commands.currentRow;
    tool(QStringLiteral("Query"),
         QStringLiteral("Query the database (show selected records)"),
         "queryTool",
         QStyle::SP_FileDialogContentsView,
         commands.query);
    resetWidgets << tool(QStringLiteral("Reset"),
                         QStringLiteral("Reset the query (show all records)"),
                         "resetTool",
                         QStyle::SP_DialogResetButton,
                         commands.resetQuery);
    tool(QStringLiteral("Copy"),
         QStringLiteral("Copy highlighted URL to the clipboard"),
         "copyTool",
         QStyle::SP_FileIcon,
         [&locations, row] { locations.copyToClipboard(row()); });
    tool(QStringLiteral("Launch"),
         QStringLiteral("Launch using the default program"),
         "launchTool",
         QStyle::SP_MediaPlay,
         [&locations, row] { locations.launch(row()); });
    tools->addWidget(button(owner,
                            QStringLiteral("Downlo&ad"),
                            QStringLiteral("Download URL(s) to a local folder"),
                            "downloadButton",
                            [&locations, row] { locations.download(row()); }));
    tool(QStringLiteral("Grab"),
         QStringLiteral("Get current URL from an open browser window"),
         "grabTool",
         QStyle::SP_ArrowDown,
         [&locations] { locations.grabFromBrowser(); });
    tools->addStretch();
    auto *actionsLabel = new QLabel(QStringLiteral("Actions"), owner);
    sendTypes = new QComboBox(owner);
    sendTypes->setObjectName(QStringLiteral("sendTypes"));
    sendTypes->addItems(SendType::names());
    sendTypes->setCurrentIndex(0);
    sendTypes->setToolTip(
        QStringLiteral("Select information to \ncopy to the clipboard \nor launch"));
    actionsLabel->setBuddy(sendTypes);
    QObject::connect(sendTypes, &QComboBox::currentIndexChanged, owner, [&locations](int index) {
        locations.setSendType(SendType::Type(std::max(index, 0)));
    });
    tools->addWidget(actionsLabel);
    tools->addWidget(sendTypes);
    return tools;
}

QHBoxLayout *commandRow(QWidget *owner, const Commands &commands, QList<QWidget *> &resetWidgets)
{
    LocationBrowse &locations = commands.locations;
    const std::function<int()> row = commands.currentRow;
    auto *layout = new QHBoxLayout;
    layout->addWidget(button(owner,
                             QStringLiteral("Copy to clipboard (action)"),
                             QStringLiteral("Copy to the clipboard.  Use the clipboard monitor to "
                                            "quickly copy *FROM* the clipboard."),
                             "copyButton",
                             [&locations, row] { locations.copyToClipboard(row()); }));
    layout->addWidget(button(owner,
                             QStringLiteral("Launch URL"),
                             QStringLiteral("Launch using the default program"),
                             "launchButton",
                             [&locations, row] { locations.launch(row()); }));
    layout->addWidget(button(owner,
                             QStringLiteral("&Query"),
                             QStringLiteral("View selected records"),
                             "queryButton",
                             commands.query));
    QPushButton *reset = button(owner,
                                QStringLiteral("&Reset"),
                                QStringLiteral("View all records"),
                                "resetButton",
                                commands.resetQuery);
    resetWidgets << reset;
    layout->addWidget(reset);
    layout->addStretch();
    return layout;
}

QHBoxLayout *recordRow(QWidget *owner, const Commands &commands, std::function<void()> close)
{
    LocationBrowse &locations = commands.locations;
    const std::function<int()> row = commands.currentRow;
    auto *layout = new QHBoxLayout;
    layout->addWidget(button(owner,
                             QStringLiteral("&New"),
                             QStringLiteral("Add location information"),
                             "insertButton",
                             [&locations] { locations.insert(); }));
    layout->addWidget(button(owner,
                             QStringLiteral("&Edit"),
                             QStringLiteral("Change location information"),
                             "changeButton",
                             [&locations, row] { locations.change(row()); }));
    layout->addWidget(button(owner,
                             QStringLiteral("&Delete"),
                             QStringLiteral("Remove location information"),
                             "deleteButton",
                             [&locations, row] { locations.remove(row()); }));
    layout->addWidget(button(owner,
                             QStringLiteral("&Test"),
                             QStringLiteral("Test currently highlighted URL"),
                             "testButton",
                             [&locations, row] { locations.test(row()); }));
    layout->addWidget(button(owner,
                             QStringLiteral("&Print"),
                             QStringLiteral("Print location information"),
                             "printButton",
                             [&locations] { locations.print(); }));
    layout->addStretch();
    layout->addWidget(button(owner,
                             QStringLiteral("Cl&ose"),
                             QStringLiteral("Close this window"),
                             "closeButton",
                             std::move(close)));
    return layout;
}

QAction *addPopupEntry(QMenu *popup, const QString &text, const std::function<void()> &command)
{
    QAction *action = popup->addAction(text);
    QObject::connect(action, &QAction::triggered, popup, command);
    return action;
}

QMenu *popupMenu(QWidget *owner, const Commands &commands, QList<QAction *> &resetActions)
{
    LocationBrowse &locations = commands.locations;
    const std::function<int()> row = commands.currentRow;
    auto *popup = new QMenu(owner);
    popup->setObjectName(QStringLiteral("listPopup"));
    const auto add = [popup](const QString &text, const std::function<void()> &command) {
        return addPopupEntry(popup, text, command);
    };
    add(QStringLiteral("&Insert"), [&locations] { locations.insert(); });
    add(QStringLiteral("&Change"), [&locations, row] { locations.change(row()); });
    add(QStringLiteral("&Delete"), [&locations, row] { locations.remove(row()); });
    popup->addSeparator();
    add(QStringLiteral("&Query"), commands.query);
    resetActions << add(QStringLiteral("&Reset"), commands.resetQuery);
    popup->addSeparator();
    add(QStringLiteral("Copy to clipboard (action)"),
        [&locations, row] { locations.copyToClipboard(row()); });
    add(QStringLiteral("Launch URL"), [&locations, row] { locations.launch(row()); });
    add(QStringLiteral("Get current URL from browser"),
        [&locations] { locations.grabFromBrowser(); });
    popup->addSeparator();
    add(QStringLiteral("&Test"), [&locations, row] { locations.test(row()); });
    add(QStringLiteral("Downlo&ad"), [&locations, row] { locations.download(row()); });
    popup->addSeparator();
    add(QStringLiteral("&Print"), [&locations] { locations.print(); });
    return popup;
}

void setUpTable(QTableView *table)
{
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setSectionsMovable(true);
    table->horizontalHeader()->setSectionsClickable(true);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    table->setIconSize(QSize(12, 12));
}

void connectMouse(QTableView *table,
                  QMenu *popup,
                  const std::function<void(int row)> &selectRow,
                  const std::function<void(int row)> &doubleClick)
{
    QObject::connect(table,
                     &QTableView::doubleClicked,
                     table,
                     [doubleClick](const QModelIndex &index) { doubleClick(index.row()); });
    QObject::connect(table,
                     &QWidget::customContextMenuRequested,
                     table,
                     [table, popup, selectRow](const QPoint &pos) {
                         const QModelIndex index = table->indexAt(pos);
                         if (index.isValid())
                             selectRow(index.row());
                         popup->popup(table->viewport()->mapToGlobal(pos));
                     });
}

void addFindShortcuts(QWidget *window,
                      const std::function<void()> &find,
                      const std::function<void()> &findAgain)
{
    auto *findShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), window);
    findShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(findShortcut, &QShortcut::activated, window, find);
    auto *againShortcut = new QShortcut(QKeySequence(Qt::Key_F3), window);
    againShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(againShortcut, &QShortcut::activated, window, findAgain);
}

int currentRow(const QTableView *table)
{
    const QModelIndex index = table->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void selectRow(QTableView *table, int row)
{
    QAbstractItemModel *model = table->model();
    if (!model || row < 0 || row >= model->rowCount())
        return;
    const QModelIndex index = model->index(row, std::max(table->columnAt(0), 0));
    table->setCurrentIndex(index);
    table->selectRow(row);
    table->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void enableReset(const QList<QWidget *> &widgets, const QList<QAction *> &actions, bool applied)
{
    for (QWidget *w : widgets)
        w->setEnabled(applied);
    for (QAction *a : actions)
        a->setEnabled(applied);
}

} // namespace pk::ListWindowControls
