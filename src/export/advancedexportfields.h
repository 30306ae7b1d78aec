#pragma once

#include <QList>
#include <QString>

namespace pk {

/// One field offered or chosen for the field-selected export, with the picture it is written by.
struct ExportFieldEntry
{
    QString name;    ///< "URL:Location"
    QString picture; ///< "@s255"

    bool operator==(const ExportFieldEntry &) const = default;
};

/**
 * @brief The two lists of "Choose Fields for Export...": every field, and the chosen ones in
 * output order, with their editing rules.
 *
 * Which rows are marked is the window's selection; the operations take the marked rows and
 * return the rows to mark or highlight afterwards.
 */
class AdvancedExportFields final
{
public:
    AdvancedExportFields();

    /// The 23 fields in their fixed order with their default pictures.
    static const QList<ExportFieldEntry> &allFields();

    const QList<ExportFieldEntry> &exportFields() const { return m_export; }
    bool isEmpty() const { return m_export.isEmpty(); }

    /**
     * Appends the marked rows of the all-fields list that are not chosen yet. Returns the
     * export rows to mark: those added and those that were already there. `highlight` becomes
     * 0 when the export list had been empty and now is not, else stays as it was.
     */
    QList<int> add(const QList<int> &markedAllRows, int &highlight);
    /// Deletes the marked export rows; returns the highlight moved up by the rows removed
    /// above it (-1 when the list is empty).
    int remove(const QList<int> &markedRows, int highlight);
    /// Swaps the row with the one above / below; returns the row's new place.
    int shiftUp(int row);
    int shiftDown(int row);
    void setPicture(int row, const QString &picture);

    bool includeHeader() const { return m_includeHeader; }
    void setIncludeHeader(bool on) { m_includeHeader = on; }

    /// What the "Picture" group shows for a picture: "Alpha-numeric", "Numeric" or itself.
    static QString kindText(const QString &picture);

private:
    QList<ExportFieldEntry> m_export;
    bool m_includeHeader = false;
};

} // namespace pk
