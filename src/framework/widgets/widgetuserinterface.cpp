#include "framework/widgets/widgetuserinterface.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace pk {

namespace {

QMessageBox::Icon toQt(UserInterface::Icon icon)
{
    switch (icon) {
    case UserInterface::Icon::Information: return QMessageBox::Information;
    case UserInterface::Icon::Warning: return QMessageBox::Warning;
    case UserInterface::Icon::Critical: return QMessageBox::Critical;
    case UserInterface::Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString qtFilter(const QString &filter)
{
    QStringList parts;
    for (const auto &[name, pattern] : parseFileFilter(filter)) {
        QString patterns = pattern;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        parts.append(QStringLiteral("%1 (%2)").arg(name, patterns));
    }
    return parts.join(QStringLiteral(";;"));
}

/**
 * A message box whose buttons all choose something. Qt's box ignores Escape and the window's
 * close button when no button has a cancelling role; here both close it without a choice.
 */
class ChoiceBox final : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Cancel)) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        // Skips QMessageBox's refusal; QDialog rejects, so no button counts as clicked.
        QDialog::closeEvent(event);
    }
};

std::optional<QString> nonEmpty(const QString &s)
{
    if (s.isEmpty())
        return std::nullopt;
    return s;
}

} // namespace

void WidgetUserInterface::message(const QString &title, const QString &text, Icon icon)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool WidgetUserInterface::askYesNo(const QString &title, const QString &text, bool yesIsDefault, Icon icon)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int WidgetUserInterface::ask(const QString &title, const QString &text, const QStringList &buttons,
                             int defaultButton, Icon icon)
{
    ChoiceBox box(toQt(icon), title, text, QMessageBox::NoButton, m_parent);
    QList<QAbstractButton *> added;
    for (int i = 0; i < buttons.size(); ++i) {
        QPushButton *b = box.addButton(buttons.at(i), QMessageBox::AcceptRole);
        added.append(b);
        if (i == defaultButton)
            box.setDefaultButton(b);
    }
    box.exec();
    // Escape and the close button leave no button clicked: -1.
    return static_cast<int>(added.indexOf(box.clickedButton()));
}

std::optional<QString> WidgetUserInterface::saveFileName(const QString &title, const QString &presetPath,
                                                         const QString &filter)
{
    return nonEmpty(QFileDialog::getSaveFileName(m_parent, title, presetPath, qtFilter(filter), nullptr,
                                                 QFileDialog::DontConfirmOverwrite));
}

std::optional<QString> WidgetUserInterface::openFileName(const QString &title, const QString &presetPath,
                                                         const QString &filter)
{
    return nonEmpty(QFileDialog::getOpenFileName(m_parent, title, presetPath, qtFilter(filter)));
}

std::optional<QString> WidgetUserInterface::existingFolder(const QString &title, const QString &startFolder)
{
    return nonEmpty(QFileDialog::getExistingDirectory(m_parent, title, startFolder));
}

std::optional<QString> WidgetUserInterface::text(const QString &title, const QString &prompt,
                                                 const QString &initial, int maxLength, bool secret)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setTextEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
    if (auto *edit = dialog.findChild<QLineEdit *>())
        edit->setMaxLength(maxLength);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace pk
