#include "import/widgets/helpviewerwindow.h"
#include "shell/widgets/framedwindow.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
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
    m_text->setAccessibleName(title);
    m_text->setReadOnly(true);
    m_text->setPlainText(text);
    // The help files are laid out in fixed columns; a window narrower than those (a large font,
    // a small screen) wraps them rather than hiding their ends.
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_text, 1);
    auto *closeButton = new QPushButton(u"&Close"_s, this);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(closeButton);
    layout->addLayout(row);
    connect(closeButton, &QPushButton::clicked, this, [this] { closeFramedWindow(this); });
    setMinimumSize(QFontMetrics(m_text->font()).horizontalAdvance(QString(84, u'x')), 360);
    resize(minimumWidth(), 480);
}

} // namespace pk
