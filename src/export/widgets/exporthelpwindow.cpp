#include "export/widgets/exporthelpwindow.h"

#include "browse/forms/widgets/formscontext.h"
#include "platform/appfolders.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

void ExportHelpWindow::show(IniFile *positionIni, QWidget *parent)
{
    // A copy in the current (collection) folder wins over the one shipped with the program.
    const QString name = QString::fromLatin1(FileName);
    QFile file{name};
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        file.setFileName(QDir(AppFolders::dataFolder()).filePath(name));
        if (AppFolders::dataFolder().isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
    }
    auto *window = new ExportHelpWindow(QString::fromUtf8(file.readAll()), positionIni, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->QDialog::show();
}

ExportHelpWindow::ExportHelpWindow(const QString &text, IniFile *positionIni, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(u"Export Help"_s);
    setObjectName(u"ExportHelp"_s);
    m_text = new QPlainTextEdit(this);
    m_text->setAccessibleName(windowTitle());
    m_text->setReadOnly(true);
    m_text->setPlainText(text);
    auto *close = new QPushButton(u"&Close"_s, this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(520, 420);
    FormsUi::keepPosition(this, positionIni, u"ExportHelp"_s);
}

} // namespace pk
