#include "import/csv/widgets/exchangehelp.h"

#include "platform/appfolders.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk::ExchangeHelp {

void show(QWidget *parent)
{
    const QString page = AppFolders::dataFile(u"help/fieldexchange.html"_s);
    if (!QFileInfo(page).isFile()) {
        QMessageBox::information(parent,
                                 u"Help"_s,
                                 u"The help page "_s + page + u" is not installed."_s);
        return;
    }
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(u"Help"_s);
    auto *layout = new QVBoxLayout(dialog);
    auto *browser = new QTextBrowser(dialog);
    browser->setSource(QUrl::fromLocalFile(page));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    dialog->resize(560, 480);
    dialog->show();
}

} // namespace pk::ExchangeHelp
