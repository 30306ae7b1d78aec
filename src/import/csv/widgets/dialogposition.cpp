#include "import/csv/widgets/dialogposition.h"

#include "platform/inifile.h"
#include "shell/windowposition.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace pk::DialogPosition {

namespace {

class Keeper final : public QObject
{
public:
    Keeper(QWidget *window, IniFile *ini, QString name)
        : QObject(window)
        , m_ini(ini)
        , m_name(std::move(name))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && m_ini) {
            auto *window = static_cast<QWidget *>(watched);
            WindowPosition position;
            position.geometry = window->geometry();
            if (position.geometry.isValid()) {
                position.store(*m_ini, m_name);
                m_ini->save();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    IniFile *m_ini;
    QString m_name;
};

} // namespace

void keep(QWidget *window, IniFile *ini, const QString &name)
{
    if (!ini || !window)
        return;
    if (const auto position = WindowPosition::load(*ini, name);
        position && position->geometry.isValid())
        window->setGeometry(position->geometry);
    new Keeper(window, ini, name);
}

} // namespace pk::DialogPosition
