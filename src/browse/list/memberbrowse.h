#pragma once

#include "browse/list/locationbrowse.h"
#include "browse/list/memberlistmodel.h"

#include <QObject>

#include <memory>

namespace pk {

/**
 * @brief "Keywords and Locations" and "Details and Locations": a list of keyword or detail rows
 * with their locations, and the location list's commands acting on the highlighted row's
 * location.
 *
 * Launch, copy, double-click, the form, test, download, print and grab are the location list's
 * own (commands()); order, locator, query and find work on the joined rows.
 */
class MemberBrowse final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MemberBrowse)

public:
    MemberBrowse(Collection &collection,
                 UserInterface &ui,
                 ErrorManager &errors,
                 Launcher &launcher,
                 LocationBrowse::Hooks hooks,
                 MemberRows::Kind kind,
                 QObject *parent = nullptr);
    ~MemberBrowse() override;

    MemberRows::Kind kind() const { return m_model.rows().kind(); }
    MemberListModel &model() { return m_model; }
    MemberRows &rows() { return m_model.rows(); }
    /// The location list's commands, on the location of a row of this list.
    LocationBrowse &commands() { return *m_commands; }

    /// "Keywords and Locations" or "Details and Locations".
    static QString title(MemberRows::Kind kind);
    QString title() const { return title(kind()); }

    /// Reads the rows again.
    void refresh();
    /// The tabs "Description" and "Category" order the rows by that column of the location.
    void setTab(int tab);
    static QStringList tabs();
    void sortByColumn(int column, bool descending);
    int locate(const QString &typed);

    bool hasQuery() const { return !m_query.isEmpty(); }
    QString query() const { return m_query; }
    /// Installs a filter over the joined fields; a malformed one is reported and changes nothing.
    bool applyQuery(const QString &expression);
    void resetQuery();

    int find(const QString &condition, bool fromStart, int current);
    int findAgain(int current);

signals:
    void refreshed();
    void queryChanged(bool applied);

private:
    std::optional<SqlFilter> compile(const QString &expression, QString &error) const;
    void reportRead(const StoreStatus &status);

    UserInterface &m_ui;
    ErrorManager &m_errors;
    MemberListModel m_model;
    std::unique_ptr<LocationBrowse> m_commands;
    QString m_query;
    QString m_lastCondition;
};

} // namespace pk
