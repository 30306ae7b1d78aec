#include "windowinspector.h"

#include "framework/widgets/accessiblenames.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCalendarWidget>
#include <QFileDialog>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QScrollBar>
#include <QSet>
#include <QTabBar>
#include <QTextDocument>
#include <QToolButton>

namespace pk::test {

using namespace Qt::StringLiterals;

namespace {

QString describe(const QWidget *w)
{
    QString text = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty())
        text += u" '"_s + w->objectName() + u"'"_s;
    return text;
}

bool seen(const QWidget *w, const QWidget *root)
{
    return WindowInspector::belongsTo(w, root) && w->isVisibleTo(root) && w->width() > 0
           && w->height() > 0;
}

/// The letter after a single '&', upper case; empty for none.
QString letterOf(const QString &text)
{
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (key.isEmpty())
        return {};
    return QKeySequence(key[0].key()).toString().toUpper();
}

bool showsLiteralAmpersand(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

/// Qt's own helper buttons (tab scrollers, calendar arrows, spin arrows) carry no text.
bool isInternalButton(const QAbstractButton *button)
{
    if (button->objectName().startsWith(u"qt_"_s))
        return true;
    if (auto *tool = qobject_cast<const QToolButton *>(button);
        tool && tool->arrowType() != Qt::NoArrow)
        return true;
    for (const QWidget *p = button->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<const QTabBar *>(p) || qobject_cast<const QScrollBar *>(p))
            return true;
        if (p->isWindow())
            break;
    }
    return false;
}

/// Parts of Qt's own dialogs and views (file dialogs, calendars, item editors) that the program
/// does not build.
bool isQtInternal(const QWidget *w)
{
    for (const QWidget *p = w; p; p = p->parentWidget()) {
        if (p->objectName().startsWith(u"qt_"_s) || qobject_cast<const QFileDialog *>(p)
            || qobject_cast<const QCalendarWidget *>(p)
            || qobject_cast<const QPrintPreviewDialog *>(p))
            return true;
        if (p != w && qobject_cast<const QAbstractItemView *>(p))
            return true; // an editor open in a list
        if (p->isWindow())
            break;
    }
    return false;
}

bool rowIsBlank(const QAbstractItemModel *model, int row, const QModelIndex &parent)
{
    for (int c = 0; c < model->columnCount(parent); ++c) {
        const QModelIndex index = model->index(row, c, parent);
        if (!model->data(index, Qt::DisplayRole).toString().trimmed().isEmpty())
            return false;
        if (!model->data(index, Qt::DecorationRole).isNull())
            return false;
    }
    return true;
}

} // namespace

bool WindowInspector::belongsTo(const QWidget *widget, const QWidget *root)
{
    for (const QWidget *p = widget; p; p = p->parentWidget()) {
        if (p == root)
            return true;
        if (p->isWindow())
            return false;
    }
    return false;
}

QStringList WindowInspector::menuLetters(const QWidget *menuOrBar)
{
    QStringList letters;
    for (const QAction *action : menuOrBar->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QString letter = letterOf(action->text());
        if (!letter.isEmpty())
            letters << letter;
    }
    return letters;
}

QStringList WindowInspector::menuClashes(const QWidget *menuOrBar)
{
    QStringList clashes;
    QMap<QString, QStringList> owners;
    for (const QAction *action : menuOrBar->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QString letter = letterOf(action->text());
        if (!letter.isEmpty())
            owners[letter] << action->text();
        if (action->menu())
            clashes << menuClashes(action->menu());
    }
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it.value().size() > 1)
            clashes << u"menu letter Alt+"_s + it.key() + u" used by "_s + it.value().join(u", "_s);
    }
    return clashes;
}

QStringList WindowInspector::problems(QWidget *root, const QStringList &outerLetters)
{
    QStringList found;
    QMap<QString, QStringList> letters;
    for (const QString &letter : outerLetters)
        letters[letter] << u"the frame's menu bar"_s;
    auto take = [&](const QString &text, const QWidget *owner) {
        const QString letter = letterOf(text);
        if (!letter.isEmpty())
            letters[letter] << describe(owner) + u" \""_s + text + u"\""_s;
    };

    for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (!seen(button, root) || isInternalButton(button))
            continue;
        if (button->text().trimmed().isEmpty() && button->icon().isNull())
            found << describe(button) + u": a button without text or icon"_s;
        take(button->text(), button);
    }
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (!seen(label, root))
            continue;
        const QString text = label->text();
        const bool rich = label->textFormat() == Qt::RichText
                          || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        if (label->buddy()) {
            if (text.trimmed().isEmpty())
                found << describe(label) + u": a prompt without text"_s;
            take(text, label);
        } else if (!rich && showsLiteralAmpersand(text)) {
            found << describe(label) + u": shows a literal '&' in \""_s + text + u"\""_s;
        }
    }
    for (QGroupBox *box : root->findChildren<QGroupBox *>()) {
        if (seen(box, root))
            take(box->title(), box);
    }
    for (QTabBar *tabs : root->findChildren<QTabBar *>()) {
        if (!seen(tabs, root))
            continue;
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->isTabVisible(i))
                continue;
            if (tabs->tabText(i).trimmed().isEmpty() && tabs->tabIcon(i).isNull())
                found << describe(tabs) + u": tab "_s + QString::number(i)
                             + u" without text or icon"_s;
            take(tabs->tabText(i), tabs);
        }
    }
    for (QComboBox *combo : root->findChildren<QComboBox *>()) {
        if (!seen(combo, root) || combo->isEditable())
            continue;
        // A blank first entry may stand for "none"; any other blank entry is a fault.
        int blank = 0;
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i).trimmed().isEmpty() && combo->itemIcon(i).isNull()) {
                ++blank;
                if (i > 0)
                    found << describe(combo) + u": entry "_s + QString::number(i)
                                 + u" without text"_s;
            }
        }
        if (combo->count() > 0 && blank == combo->count())
            found << describe(combo) + u": every entry is blank"_s;
    }
    for (QAbstractItemView *view : root->findChildren<QAbstractItemView *>()) {
        if (!seen(view, root) || !view->model())
            continue;
        const QAbstractItemModel *model = view->model();
        const QModelIndex top = view->rootIndex();
        const int rows = std::min(model->rowCount(top), 200);
        for (int r = 0; r < rows; ++r) {
            if (rowIsBlank(model, r, top)) {
                found << describe(view) + u": list entry "_s + QString::number(r)
                             + u" without text or icon"_s;
                break;
            }
        }
    }
    // What a screen reader says for each control: an input by the name of its label, a push
    // button or a tab by its text or name.
    // A box is announced by its current value on Linux: only a label's relation names it.
    QSet<const QWidget *> labelled;
    for (const QLabel *label : root->findChildren<QLabel *>()) {
        if (label->buddy() && !label->text().trimmed().isEmpty())
            labelled.insert(label->buddy());
    }
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!seen(w, root) || !AccessibleNames::isNamedInput(w) || isQtInternal(w))
            continue;
        if (qobject_cast<const QComboBox *>(w)
                ? !labelled.contains(w)
                : w->accessibleName().trimmed().isEmpty() && !labelled.contains(w))
            found << describe(w) + u": an input without the name of a label"_s;
    }
    for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (!seen(button, root) || isInternalButton(button) || isQtInternal(button))
            continue;
        QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(button);
        if (spoken && spoken->text(QAccessible::Name).trimmed().isEmpty())
            found << describe(button) + u": a button without an accessible name"_s;
    }
    if (auto *bar = root->findChild<QMenuBar *>(); bar && seen(bar, root)) {
        for (const QString &letter : menuLetters(bar))
            letters[letter] << u"menu"_s;
        found << menuClashes(bar);
    }

    for (auto it = letters.cbegin(); it != letters.cend(); ++it) {
        if (it.value().size() > 1)
            found << u"accelerator Alt+"_s + it.key() + u" used by "_s + it.value().join(u", "_s);
    }
    return found;
}

} // namespace pk::test
