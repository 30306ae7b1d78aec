#include "framework/widgets/accessiblenames.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace pk::AccessibleNames {

namespace {

QString spokenText(const QLabel *label)
{
    QString text = label->text();
    if (Qt::mightBeRichText(text))
        return {}; // a rich label is prose, not a prompt
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    text = text.simplified();
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.trimmed();
}

QWidget *firstInputIn(QWidget *container)
{
    for (QWidget *w : container->findChildren<QWidget *>()) {
        if (isNamedInput(w))
            return w;
    }
    return nullptr;
}

class LabelWatcher final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *label = qobject_cast<QLabel *>(watched); label && label->buddy())
                nameFromLabel(label);
        }
        return false;
    }
};

} // namespace

bool isNamedInput(const QWidget *w)
{
    if (qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
        || qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w)
        || qobject_cast<const QKeySequenceEdit *>(w))
        return true;
    if (qobject_cast<const QLineEdit *>(w)) {
        // The entry inside a box or a spin box is named through its owner.
        const QWidget *owner = w->parentWidget();
        return !qobject_cast<const QComboBox *>(owner)
               && !qobject_cast<const QAbstractSpinBox *>(owner)
               && !qobject_cast<const QKeySequenceEdit *>(owner);
    }
    return false;
}

void nameFromLabel(QWidget *widget)
{
    auto *label = qobject_cast<QLabel *>(widget);
    if (!label || !label->buddy())
        return;
    QWidget *target = label->buddy();
    if (!isNamedInput(target)) {
        target = firstInputIn(target);
        // The label's relation goes to the input itself: a box is announced by that relation
        // alone (its name is its current value), and the accelerator lands in the entry.
        if (target)
            label->setBuddy(target);
    }
    if (!target || !target->accessibleName().isEmpty())
        return;
    const QString name = spokenText(label);
    if (!name.isEmpty())
        target->setAccessibleName(name);
}

void nameInputs(QWidget *root)
{
    for (QLabel *label : root->findChildren<QLabel *>())
        nameFromLabel(label);
}

void installForApplication()
{
    static LabelWatcher *watcher = nullptr;
    if (watcher || !qApp)
        return;
    watcher = new LabelWatcher(qApp);
    qApp->installEventFilter(watcher);
}

} // namespace pk::AccessibleNames
