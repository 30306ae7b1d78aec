#include "browse/forms/widgets/locationentries.h"

#include "browse/forms/entryinput.h"
#include "browse/forms/widgets/calendardialog.h"
#include "browse/forms/widgets/formscontext.h"
#include "browse/forms/widgets/ratingbox.h"
#include "store/fields.h"
#include "store/picture.h"
#include "store/recordio.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Position of a Locations field in the table (and in RecordIo's values); -1 when unknown.
int fieldIndex(const char *column)
{
    const auto fields = locationsTable().fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (qstrcmp(fields[i].column, column) == 0)
            return int(i);
    }
    return -1;
}

QString entryName(const FieldDef &field)
{
    QString name = QString::fromLatin1(field.column);
    name[0] = name[0].toLower();
    return name;
}

QString dateText(qint32 day)
{
    return day == DayNumber::None ? QString() : Picture::format(u"@d17"_s, day).trimmed();
}

bool isDate(const FieldDef &field)
{
    return field.type == FieldType::Date || field.type == FieldType::DayNumber;
}

/// An entry with what follows it on its row; `stretch` keeps both at their own width.
QWidget *rowOf(QWidget *entry, QWidget *extra, QWidget *parent, bool stretch)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(entry, stretch ? 0 : 1);
    layout->addWidget(extra);
    if (stretch)
        layout->addStretch();
    return row;
}

} // namespace

LocationEntries::LocationEntries(UserInterface &ui, QWidget *window)
    : QObject(window)
    , m_ui(ui)
    , m_window(window)
{
    m_pickDate = [](qint32 day, const QString &title, QWidget *parent) {
        return CalendarDialog::pick(day, title, parent);
    };
    // An entry on a tab that is not shown is brought forward with its tab.
    m_reveal = [](QWidget *entry) {
        for (QWidget *w = entry; w && w->parentWidget(); w = w->parentWidget()) {
            if (auto *tabs = qobject_cast<QTabWidget *>(w->parentWidget()->parentWidget());
                tabs && tabs->indexOf(w) >= 0)
                tabs->setCurrentWidget(w);
        }
    };
}

QWidget *LocationEntries::addRow(QFormLayout *form,
                                 const char *column,
                                 const char *prompt,
                                 QWidget *extra,
                                 const QString &dateTitle)
{
    const int index = fieldIndex(column);
    Q_ASSERT(index >= 0);
    const FieldDef *field = &locationsTable().fields[std::size_t(index)];
    QWidget *parent = form->parentWidget();
    QWidget *row = nullptr;
    QWidget *widget = makeEntry(*field, parent, dateTitle, row);
    if (extra) {
        row = rowOf(row ? row : widget, extra, parent, false);
        // A button made before its entry still follows it in the Tab order.
        if (extra->focusPolicy() & Qt::TabFocus)
            QWidget::setTabOrder(widget, extra);
    }
    const QString text = QLatin1String(prompt ? prompt : field->prompt);
    if (text.isEmpty()) {
        form->addRow(row ? row : widget);
    } else {
        // The label's buddy makes its accelerator move the focus (and shows no '&').
        auto *label = new QLabel(text, parent);
        label->setBuddy(widget);
        form->addRow(label, row ? row : widget);
    }
    m_entries.push_back(Entry{field, text, widget});
    return widget;
}

QPushButton *LocationEntries::makeAnalyzeButton(QWidget *parent, const QString &tip)
{
    auto *analyze = new QPushButton(u"Analy&ze"_s, parent);
    analyze->setObjectName(u"analyze"_s);
    analyze->setToolTip(tip);
    analyze->setAutoDefault(false);
    m_buttons.push_back(analyze);
    connect(analyze, &QPushButton::clicked, this, &LocationEntries::analyzeRequested);
    return analyze;
}

void LocationEntries::addRows(QFormLayout *form, std::initializer_list<Row> rows)
{
    for (const Row &row : rows)
        addRow(form, row.column, row.prompt, row.extra, row.dateTitle);
}

QWidget *LocationEntries::makeEntry(const FieldDef &field,
                                    QWidget *parent,
                                    const QString &dateTitle,
                                    QWidget *&row)
{
    QWidget *widget = nullptr;
    if (qstrcmp(field.column, "Category") == 0) {
        widget = makeCategory(parent, row);
    } else if (isDate(field)) {
        widget = makeDate(parent, dateTitle, row);
    } else if (field.type == FieldType::Byte) {
        widget = makeValidated(parent);
    } else if (field.type == FieldType::Number && field.width <= 2) {
        widget = new RatingBox(parent);
    } else if (EntryInput::isMultiLine(field)) {
        auto *text = new QPlainTextEdit(parent);
        // Tab moves on to the next entry, as in every other entry of the form.
        text->setTabChangesFocus(true);
        widget = text;
    } else {
        // No maximum length: a paste longer than the field is cut with a notice when taken,
        // not silently.
        widget = new QLineEdit(parent);
    }
    widget->setObjectName(entryName(field));
    return widget;
}

QWidget *LocationEntries::makeCategory(QWidget *parent, QWidget *&row)
{
    m_category = new QComboBox(parent);
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->setMinimumWidth(FormsUi::dialogUnits(120, m_category->fontMetrics()));
    m_browse = new QPushButton(u"&Browse"_s, parent);
    m_browse->setObjectName(u"browseCategory"_s);
    m_browse->setAutoDefault(false);
    m_buttons.push_back(m_browse);
    row = rowOf(m_category, m_browse, parent, true);
    connect(m_browse, &QPushButton::clicked, this, &LocationEntries::browseRequested);
    connect(m_category->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        // Opening the drop list takes the focus too; that is no leaving of the entry.
        if (!m_category->view()->isVisible() && !m_category->lineEdit()->isReadOnly())
            emit categoryAccepted();
    });
    connect(m_category, &QComboBox::activated, this, &LocationEntries::categoryAccepted);
    return m_category;
}

QWidget *LocationEntries::makeDate(QWidget *parent, const QString &title, QWidget *&row)
{
    auto *edit = new QLineEdit(parent);
    auto *button = new QPushButton(u"..."_s, parent);
    button->setAutoDefault(false);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(u"..."_s) + 16);
    button->setToolTip(title);
    m_buttons.push_back(button);
    row = rowOf(edit, button, parent, true);
    connect(button, &QPushButton::clicked, this, [this, edit, title] {
        if (!m_pickDate)
            return;
        // A typed date that does not read opens the calendar on today.
        const qint32 day = m_pickDate(EntryInput::date(edit->text()).value_or(DayNumber::None),
                                      title,
                                      m_window);
        edit->setText(dateText(day));
    });
    return edit;
}

QWidget *LocationEntries::makeValidated(QWidget *parent)
{
    auto *group = new QGroupBox(parent);
    auto *layout = new QHBoxLayout(group);
    m_validated = new QButtonGroup(group);
    const char *states[] = {"Unknown", "Passed", "Failed"};
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(QLatin1String(states[i]), group);
        m_validated->addButton(radio, i);
        layout->addWidget(radio);
    }
    return group;
}

const LocationEntries::Entry *LocationEntries::find(const char *column) const
{
    for (const Entry &entry : m_entries) {
        if (qstrcmp(entry.field->column, column) == 0)
            return &entry;
    }
    return nullptr;
}

QWidget *LocationEntries::entry(const char *column) const
{
    const Entry *found = find(column);
    return found ? found->widget : nullptr;
}

QLineEdit *LocationEntries::lineEdit(const char *column) const
{
    return qobject_cast<QLineEdit *>(entry(column));
}

void LocationEntries::setCategories(const QStringList &categories)
{
    if (!m_category)
        return;
    const QString typed = m_category->currentText();
    m_category->clear();
    m_category->addItems(categories);
    m_category->setEditText(typed);
}

void LocationEntries::setReadOnly(bool readOnly)
{
    for (const Entry &entry : m_entries) {
        if (auto *edit = qobject_cast<QLineEdit *>(entry.widget))
            edit->setReadOnly(readOnly);
        else if (auto *text = qobject_cast<QPlainTextEdit *>(entry.widget))
            text->setReadOnly(readOnly);
        else if (auto *spin = qobject_cast<QAbstractSpinBox *>(entry.widget))
            spin->setReadOnly(readOnly);
        else if (auto *box = qobject_cast<QComboBox *>(entry.widget))
            box->lineEdit()->setReadOnly(readOnly);
        else
            entry.widget->setEnabled(!readOnly);
    }
    for (QPushButton *button : m_buttons)
        button->setEnabled(!readOnly);
}

void LocationEntries::show(const LocationRecord &record)
{
    const QVariantList values = RecordIo::values(record);
    for (const Entry &entry : m_entries) {
        const QVariant value = values.value(fieldIndex(entry.field->column));
        if (auto *edit = qobject_cast<QLineEdit *>(entry.widget)) {
            if (isDate(*entry.field))
                edit->setText(dateText(value.toInt()));
            else if (entry.field->type == FieldType::Number)
                edit->setText(value.toInt() == 0 ? QString() : value.toString());
            else
                edit->setText(value.toString());
        } else if (auto *text = qobject_cast<QPlainTextEdit *>(entry.widget)) {
            text->setPlainText(value.toString());
        } else if (auto *spin = qobject_cast<QSpinBox *>(entry.widget)) {
            spin->setValue(value.toInt());
        } else if (entry.widget == m_category) {
            m_category->setEditText(value.toString());
        } else if (m_validated) {
            const int state = value.toInt();
            if (QAbstractButton *button = m_validated->button(state >= 0 && state <= 2 ? state : 0))
                button->setChecked(true);
        }
    }
}

std::optional<QVariant> LocationEntries::read(const Entry &entry)
{
    const FieldDef &field = *entry.field;
    if (auto *spin = qobject_cast<QSpinBox *>(entry.widget))
        return spin->value();
    if (entry.widget != m_category && m_validated && entry.widget == m_validated->parent())
        return std::max(0, m_validated->checkedId());
    QString typed;
    if (auto *text = qobject_cast<QPlainTextEdit *>(entry.widget))
        typed = text->toPlainText();
    else if (entry.widget == m_category)
        typed = m_category->currentText();
    else if (auto *edit = qobject_cast<QLineEdit *>(entry.widget))
        typed = edit->text();

    const bool multiLine = qobject_cast<QPlainTextEdit *>(entry.widget) != nullptr;
    const EntryInput::Taken taken = EntryInput::take(field, entry.prompt, typed, multiLine);
    if (taken.value)
        return taken.value;
    if (!taken.fitted) {
        refuse(entry, taken.refusal);
        return std::nullopt;
    }
    // Show what would be stored, say why, and let the user look before saving again.
    if (auto *text = qobject_cast<QPlainTextEdit *>(entry.widget))
        text->setPlainText(*taken.fitted);
    else if (entry.widget == m_category)
        m_category->setEditText(*taken.fitted);
    else if (auto *edit = qobject_cast<QLineEdit *>(entry.widget))
        edit->setText(*taken.fitted);
    refuse(entry, taken.refusal + QLatin1String("\n\nCheck the entry, then save again."));
    return std::nullopt;
}

bool LocationEntries::take(LocationRecord &record)
{
    QVariantList values = RecordIo::values(record);
    for (const Entry &entry : m_entries) {
        const std::optional<QVariant> value = read(entry);
        if (!value)
            return false;
        const int index = fieldIndex(entry.field->column);
        if (index >= 0 && index < values.size())
            values[index] = *value;
    }
    RecordIo::assign(values, record);
    return true;
}

void LocationEntries::refuse(const Entry &entry, const QString &message)
{
    EntryInput::report(m_ui, message);
    focus(entry.field->column);
    if (auto *edit = qobject_cast<QLineEdit *>(entry.widget))
        edit->selectAll();
}

void LocationEntries::focus(const char *column)
{
    QWidget *widget = entry(column);
    if (!widget)
        return;
    if (m_reveal)
        m_reveal(widget);
    widget->setFocus();
}

} // namespace pk
