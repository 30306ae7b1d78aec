#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <map>

class QWidget;

namespace pk {

class ProcedureStarter;
class Shell;

/// What a procedure is started with.
struct ProcedureCall
{
    Shell &shell;
    ProcedureStarter &starter; ///< starts further procedures (the frame's launcher)
    QWidget *frame = nullptr;  ///< the main frame (parent for modal windows)
    QVariantMap arguments;     ///< procedure-specific inputs, usually empty
};

/**
 * @brief The one table of procedures the frame, tray and lists can start by name.
 *
 * Each subsystem registers its windows and processes here under a name from
 * procedurenames.h, e.g. `ProcedureRegistry::instance().add(Procedure::BrowseLocations,
 * factory)`. A factory returns the child window to place in the frame, or nullptr when it ran
 * modally or on its own. Procedures are started through a ProcedureStarter, never by calling
 * a factory directly.
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
