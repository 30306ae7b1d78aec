#include "shell/widgets/aboutwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace pk {

AboutWindow::AboutWindow(const QString &imagePath, const QString &version, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About"));
    auto *layout = new QVBoxLayout(this);
    auto *image = new QLabel(this);
    image->setPixmap(QPixmap(imagePath));
    image->setAlignment(Qt::AlignCenter);
    layout->addWidget(image);
    auto *text = new QLabel(QStringLiteral("<b>Pathkeep 2005</b><br>Version ") + version
                                + QStringLiteral("<br>") + buildInformation().toHtmlEscaped(),
                            this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setAlignment(Qt::AlignCenter);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *close = new QPushButton(QStringLiteral("Cl&ose"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    buttons->addStretch();
    layout->addLayout(buttons);
}

QString AboutWindow::buildInformation()
{
    return QStringLiteral("Built %1 %2 with Qt %3 (running on Qt %4)")
        .arg(QLatin1String(__DATE__),
             QLatin1String(__TIME__),
             QLatin1String(QT_VERSION_STR),
             QLatin1String(qVersion()));
}

} // namespace pk
