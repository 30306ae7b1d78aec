#pragma once

#include "browse/duplicates/duplicatefinder.h"
#include "framework/userinterface.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pk {

class Collection;

/**
 * @brief "Find Duplicates": lists the groups of near-duplicate locations and, for the location
 * chosen in a group, keeps it and merges the others into it, or keeps it and deletes the
 * others. Each change is confirmed first and stored in one transaction.
 */
class DuplicatesWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DuplicatesWindow)

public:
    static constexpr const char *Title = "Find Duplicates";

    DuplicatesWindow(Collection &collection, UserInterface &ui, QWidget *parent = nullptr);

    QTreeWidget *groups() const { return m_tree; }
    QPushButton *findButton() const { return m_find; }
    QPushButton *mergeButton() const { return m_merge; }
    QPushButton *deleteButton() const { return m_delete; }

public slots:
    void find();
    void keepAndMerge();
    void deleteOthers();

private:
    using Action
        = std::function<StoreStatus(Collection &, const QString &keep, const QStringList &others)>;
    /// Asks "Keep <address>" + `question` (%1: how many others) and, on Yes, runs `action` on
    /// the chosen group; the group leaves the list once it is done.
    void act(const QString &question, UserInterface::Icon icon, const Action &action);
    /// The group item and the location chosen to keep in it; false when nothing is chosen.
    bool chosen(QTreeWidgetItem *&group, QString &keep, QStringList &others) const;
    void removeGroup(QTreeWidgetItem *group);
    void updateButtons();

    Collection &m_collection;
    UserInterface &m_ui;
    QLabel *m_summary = nullptr;
    QTreeWidget *m_tree = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_merge = nullptr;
    QPushButton *m_delete = nullptr;
};

} // namespace pk
