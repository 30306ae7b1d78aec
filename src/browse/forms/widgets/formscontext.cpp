#include "browse/forms/widgets/formscontext.h"

#include "platform/inifile.h"
#include "shell/windowposition.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPointer>
#include <QShortcut>
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
    if (const auto position = WindowPosition::load(*ini, section); position && position->geometry.isValid())
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

} // namespace pk::FormsUi
