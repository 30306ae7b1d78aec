#include "framework/widgets/widgetuserinterface.h"

#include "framework/terminationrequest.h"

#include "framework/widgets/plainfileiconprovider.h"

#include <QDir>
#include <QCloseEvent>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
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
    case UserInterface::Icon::Information:
        return QMessageBox::Information;
    case UserInterface::Icon::Warning:
        return QMessageBox::Warning;
    case UserInterface::Icon::Critical:
        return QMessageBox::Critical;
    case UserInterface::Icon::Question:
        return QMessageBox::Question;
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

/**
 * Qt's own file dialog with an icon provider that never opens a file: the folder shown is
 * often the open collection's, and opening one of its files would cost SQLite its locks (a
 * desktop's native dialog runs in this process too, so it is not used).
 */
std::optional<QString> runFileDialog(QWidget *parent,
                                     const QString &title,
                                     const QString &preset,
                                     const QString &filter,
                                     QFileDialog::AcceptMode acceptMode,
                                     QFileDialog::FileMode fileMode)
{
    PlainFileIconProvider icons;
    // The dialog starts listing its first folder at once, with Qt's provider: start it at the
    // root and move to the wanted folder once the plain provider is in place.
    QFileDialog dialog(parent, title, QDir::rootPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(acceptMode);
    dialog.setFileMode(fileMode);
    if (fileMode == QFileDialog::Directory)
        dialog.setOption(QFileDialog::ShowDirsOnly);
    else
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!filter.isEmpty())
        dialog.setNameFilters(qtFilter(filter).split(QStringLiteral(";;")));

    const QFileInfo start(preset.isEmpty() ? QDir::currentPath() : preset);
    if (start.isDir() || fileMode == QFileDialog::Directory) {
        dialog.setDirectory(start.absoluteFilePath());
    } else {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return nonEmpty(dialog.selectedFiles().value(0));
}

} // namespace

QWidget *WidgetUserInterface::dialogParent() const
{
    // A question asked while a modal window is up (a progress window over a wizard, say) belongs
    // to that window, so it comes up on top of it and can be answered at once.
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        return modal;
    return m_parent;
}

// Once the program is told to end, nothing waits for the user: every question is answered as
// if it had been cancelled, so the windows waiting on one unwind and close.

void WidgetUserInterface::message(const QString &title, const QString &text, Icon icon)
{
    if (TerminationRequest::isRequested())
        return;
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

bool WidgetUserInterface::askYesNo(const QString &title,
                                   const QString &text,
                                   bool yesIsDefault,
                                   Icon icon)
{
    if (TerminationRequest::isRequested())
        return false;
    QMessageBox box(toQt(icon), title, text, QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int WidgetUserInterface::ask(const QString &title,
                             const QString &text,
                             const QStringList &buttons,
                             int defaultButton,
                             Icon icon)
{
    if (TerminationRequest::isRequested())
        return -1;
    ChoiceBox box(toQt(icon), title, text, QMessageBox::NoButton, dialogParent());
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

std::optional<QString> WidgetUserInterface::saveFileName(const QString &title,
                                                         const QString &presetPath,
                                                         const QString &filter)
{
    if (TerminationRequest::isRequested())
        return std::nullopt;
    return runFileDialog(dialogParent(),
                         title,
                         presetPath,
                         filter,
                         QFileDialog::AcceptSave,
                         QFileDialog::AnyFile);
}

std::optional<QString> WidgetUserInterface::openFileName(const QString &title,
                                                         const QString &presetPath,
                                                         const QString &filter)
{
    if (TerminationRequest::isRequested())
        return std::nullopt;
    return runFileDialog(dialogParent(),
                         title,
                         presetPath,
                         filter,
                         QFileDialog::AcceptOpen,
                         QFileDialog::ExistingFile);
}

std::optional<QString> WidgetUserInterface::existingFolder(const QString &title,
                                                           const QString &startFolder)
{
    if (TerminationRequest::isRequested())
        return std::nullopt;
    return runFileDialog(dialogParent(),
                         title,
                         startFolder,
                         {},
                         QFileDialog::AcceptOpen,
                         QFileDialog::Directory);
}

std::optional<QString> WidgetUserInterface::text(
    const QString &title, const QString &prompt, const QString &initial, int maxLength, bool secret)
{
    if (TerminationRequest::isRequested())
        return std::nullopt;
    QInputDialog dialog(dialogParent());
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
