#pragma once

#include "store/records.h"

#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pk {

struct FieldDef;
class UserInterface;

/**
 * @brief The entries of one location, shared by the location form and the New-location
 * wizard: each made from its Locations field definition (kind of entry, width, prompt), shown
 * from and taken into a LocationRecord in one place.
 *
 * Taking the entries refuses what could not be stored as typed (a date that does not read or
 * lies outside 1801-2099, a page size that is not a whole number) and cleans control characters
 * and over-long text with a notice; the entry keeps the text and gets the focus.
 */
class LocationEntries final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocationEntries)

public:
    /// Picks a date for a "..." button: the calendar by default.
    using DatePicker = std::function<qint32(qint32 day, const QString &title, QWidget *parent)>;
    /// Brings an entry on a hidden page into view before it takes the focus.
    using Reveal = std::function<void(QWidget *entry)>;

    explicit LocationEntries(UserInterface &ui, QWidget *window);

    /**
     * Makes the entry of the Locations field `column` ("Location", "LastVisit", ...) and adds
     * it to `form` under `prompt` (the field's form prompt when null). `extra` follows the
     * entry in its row (a button or a hint); a date entry gets its "..." button, titled
     * `dateTitle`. Returns the entry.
     */
    QWidget *addRow(QFormLayout *form,
                    const char *column,
                    const char *prompt = nullptr,
                    QWidget *extra = nullptr,
                    const QString &dateTitle = {});

    struct Row
    {
        const char *column;
        const char *prompt = nullptr;
        QWidget *extra = nullptr;
        QString dateTitle = {};
    };
    /// addRow() for each of `rows`, in order.
    void addRows(QFormLayout *form, std::initializer_list<Row> rows);

    QWidget *entry(const char *column) const;
    QLineEdit *lineEdit(const char *column) const;
    QComboBox *categoryBox() const { return m_category; }
    /// The "Analy&ze" button with its tip, for the row of the location entry.
    QPushButton *makeAnalyzeButton(QWidget *parent, const QString &tip);
    /// The "&Browse" button beside the category drop list, made with it.
    QPushButton *browseButton() const { return m_browse; }

    void setCategories(const QStringList &categories);
    void setDatePicker(DatePicker picker) { m_pickDate = std::move(picker); }
    void setReveal(Reveal reveal) { m_reveal = std::move(reveal); }
    void setReadOnly(bool readOnly);

    /// Shows the values of `record` in the entries made.
    void show(const LocationRecord &record);
    /**
     * Takes the entries made into `record`. A refused or cleaned entry is reported, gets the
     * focus and `record` is left unchanged: false.
     */
    bool take(LocationRecord &record);
    /// Puts the focus on the entry of `column`, showing its page.
    void focus(const char *column);

signals:
    /// The category entry was left or a category was chosen from its list.
    void categoryAccepted();
    void browseRequested();
    void analyzeRequested();

private:
    struct Entry
    {
        const FieldDef *field = nullptr;
        QString prompt;
        QWidget *widget = nullptr;
    };

    QWidget *makeEntry(const FieldDef &field,
                       QWidget *parent,
                       const QString &dateTitle,
                       QWidget *&row);
    QWidget *makeCategory(QWidget *parent, QWidget *&row);
    QWidget *makeDate(QWidget *parent, const QString &title, QWidget *&row);
    QWidget *makeValidated(QWidget *parent);
    const Entry *find(const char *column) const;
    std::optional<QVariant> read(const Entry &entry);
    void refuse(const Entry &entry, const QString &message);

    UserInterface &m_ui;
    QWidget *m_window;
    std::vector<Entry> m_entries; ///< in the order they were made
    std::vector<QPushButton *> m_buttons;
    QComboBox *m_category = nullptr;
    QPushButton *m_browse = nullptr;
    QButtonGroup *m_validated = nullptr;
    DatePicker m_pickDate;
    Reveal m_reveal;
};

} // namespace pk
