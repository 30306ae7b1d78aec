#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <map>

class QWidget;

namespace pk {

class Shell;

/// What a procedure is started with.
struct ProcedureCall
{
    Shell &shell;
    QWidget *frame = nullptr; ///< the main frame (parent for modal windows)
    QVariantMap arguments;    ///< procedure-specific inputs, usually empty
};

/**
 * @brief The one table of procedures the frame, tray and lists can start by name.
 *
 * Each subsystem registers its windows and processes here, e.g.
 * `ProcedureRegistry::instance().add("BrowsePATHKEEP", factory)`. A factory returns the
 * child window to place in the frame, or nullptr when it ran modally or on its own. The
 * launcher reports a name nobody registered with catalogue message 27.
 */
class ProcedureRegistry final
{
public:
    using Factory = std::function<QWidget *(const ProcedureCall &call)>;

    static ProcedureRegistry &instance();

    void add(const QString &name, Factory factory);
    void remove(const QString &name);
    bool contains(const QString &name) const;
    Factory factory(const QString &name) const;
    /// Every registered name, in order.
    QStringList names() const;

private:
    std::map<QString, Factory> m_factories;
};

} // namespace pk
