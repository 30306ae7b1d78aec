#include "import/widgets/helpviewerwindow.h"

#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

HelpViewerWindow::HelpViewerWindow(const QString &title, const QString &text, QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setPlainText(text);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(m_text, 1);
    auto *closeButton = new QPushButton(u"&Close"_s, this);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(closeButton);
    layout->addLayout(row);
    connect(closeButton, &QPushButton::clicked, this, [this] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->close();
        else
            QWidget::close();
    });
    resize(560, 420);
}

} // namespace pk
