#include "browse/forms/widgets/formscontext.h"

#include "platform/inifile.h"
#include "shell/windowposition.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>

namespace pk::FormsUi {

namespace {

/// Writes the watched window's place to POSITION.INI on every move, resize and close.
class PositionKeeper final : public QObject
{
public:
    PositionKeeper(QWidget *window, IniFile *ini, QString section)
        : QObject(window)
        , m_window(window)
        , m_ini(ini)
        , m_section(std::move(section))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && m_window->isVisible()
            && (event->type() == QEvent::Move || event->type() == QEvent::Resize
                || event->type() == QEvent::Close || event->type() == QEvent::Hide)) {
            WindowPosition position;
            position.geometry = m_window->geometry();
            position.maximized = m_window->isMaximized();
            position.store(*m_ini, m_section);
        }
        return false;
    }

private:
    QWidget *m_window;
    IniFile *m_ini;
    QString m_section;
};

} // namespace

int dialogUnits(int units, const QFontMetrics &metrics)
{
    return (units * metrics.averageCharWidth() + 2) / 4;
}

void setUpTable(QTableView *table)
{
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
}

void keepPosition(QWidget *window, IniFile *ini, const QString &section)
{
    if (!ini)
        return;
    if (const auto position = WindowPosition::load(*ini, section);
        position && position->geometry.isValid())
        window->setGeometry(position->geometry);
    new PositionKeeper(window, ini, section);
}

void addFindShortcuts(QWidget *window, std::function<void()> find, std::function<void()> findAgain)
{
    auto *f = new QShortcut(QKeySequence(QStringLiteral("Ctrl+F")), window);
    f->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(f, &QShortcut::activated, window, std::move(find));
    auto *f3 = new QShortcut(QKeySequence(Qt::Key_F3), window);
    f3->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(f3, &QShortcut::activated, window, std::move(findAgain));
}

void addRecallShortcut(QWidget *window,
                       std::function<bool()> canRecall,
                       std::function<void()> recall)
{
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), window);
    QObject::connect(shortcut,
                     &QShortcut::activated,
                     window,
                     [canRecall = std::move(canRecall), recall = std::move(recall)] {
                         if (canRecall())
                             recall();
                     });
}

void addTabSwitching(QTabWidget *tabs, QWidget *window)
{
    const auto step = [tabs](int by) {
        const int count = tabs->count();
        if (count < 2)
            return;
        tabs->setCurrentIndex((tabs->currentIndex() + by + count) % count);
        QWidget *page = tabs->currentWidget();
        if (!page)
            return;
        const auto children = page->findChildren<QWidget *>();
        for (QWidget *child : children) {
            if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled()
                && child->isVisibleTo(page)) {
                child->setFocus(Qt::TabFocusReason);
                return;
            }
        }
    };
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto &[sequence, by] : keys) {
        auto *shortcut = new QShortcut(sequence, window);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        const int direction = by;
        QObject::connect(shortcut, &QShortcut::activated, tabs, [step, direction] {
            step(direction);
        });
    }
}

QStringList rowButtonTexts()
{
    return {QStringLiteral("&New"), QStringLiteral("&Edit"), QStringLiteral("&Delete")};
}

QHBoxLayout *rowButtons(QWidget *parent,
                        const QString &prefix,
                        const std::function<void(FormRequest)> &action,
                        bool enabled,
                        const QStringList &texts)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    const FormRequest requests[] = {FormRequest::Insert, FormRequest::Change, FormRequest::Delete};
    const QStringList names = {QStringLiteral("new"),
                               QStringLiteral("edit"),
                               QStringLiteral("delete")};
    for (int i = 0; i < 3; ++i) {
        auto *button = new QPushButton(texts.value(i), parent);
        button->setObjectName(prefix + names[i]);
        button->setEnabled(enabled);
        button->setAutoDefault(false);
        const FormRequest request = requests[i];
        QObject::connect(button, &QPushButton::clicked, parent, [action, request] {
            action(request);
        });
        row->addWidget(button);
    }
    return row;
}

} // namespace pk::FormsUi
