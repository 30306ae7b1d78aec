#include "tools/widgets/searchreplacewindow.h"

#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "store/collection.h"
#include "tools/globalreplace.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

SearchReplaceWindow::SearchReplaceWindow(SearchReplaceEnvironment environment, QWidget *parent)
    : QDialog(parent)
    , m_env(std::move(environment))
{
    setWindowTitle(QLatin1String(GlobalReplace::Title));
    auto *layout = new QVBoxLayout(this);
    auto *intro
        = new QLabel(QStringLiteral(
                         "This function will perform a search and replace on a field in the URL "
                         "database.  You will be given a chance to apply a query (to select which "
                         "records should be included in the search and replace) after pressing "
                         "OK."),
                     this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *fieldLabel = new QLabel(QStringLiteral("&Field:"), this);
    m_fields = new QListWidget(this);
    m_fields->setObjectName(QStringLiteral("fields"));
    for (const ReplaceField &f : GlobalReplace::fields())
        m_fields->addItem(QLatin1String(f.label));
    fieldLabel->setBuddy(m_fields);
    layout->addWidget(fieldLabel);
    layout->addWidget(m_fields);

    auto *searchLabel = new QLabel(QStringLiteral("Re&place:"), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setToolTip(QStringLiteral("Search for and replace"));
    searchLabel->setBuddy(m_search);
    auto *withLabel = new QLabel(QStringLiteral("W&ith:"), this);
    m_replacement = new QLineEdit(this);
    m_replacement->setObjectName(QStringLiteral("replacement"));
    m_replacement->setToolTip(QStringLiteral("With this"));
    withLabel->setBuddy(m_replacement);
    layout->addWidget(searchLabel);
    layout->addWidget(m_search);
    layout->addWidget(withLabel);
    layout->addWidget(m_replacement);

    auto *note = new QLabel(QStringLiteral("Note:  No validation of input is done, even if the "
                                           "field is normally restricted to a limited list of "
                                           "options."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addWidget(
        new QLabel(QStringLiteral("Ensure that you have an up-to-date backup before proceeding!"),
                   this));

    auto *buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(m_fields, &QListWidget::currentRowChanged, this, &SearchReplaceWindow::fieldChosen);
    connect(m_ok, &QPushButton::clicked, this, &SearchReplaceWindow::accept);
    connect(cancel, &QPushButton::clicked, this, &SearchReplaceWindow::closeRequested);
    connect(this, &SearchReplaceWindow::closeRequested, this, &QDialog::reject);
    fieldChosen();
}

void SearchReplaceWindow::fieldChosen()
{
    const int row = m_fields->currentRow();
    const auto fields = GlobalReplace::fields();
    const QString picture = row >= 0 && row < int(fields.size())
                                ? QLatin1String(fields[std::size_t(row)].picture)
                                : QStringLiteral("@s255");
    const int width = GlobalReplace::pictureWidth(picture);
    m_search->setMaxLength(width);
    m_replacement->setMaxLength(width);
}

void SearchReplaceWindow::accept()
{
    const int row = m_fields->currentRow();
    const auto fields = GlobalReplace::fields();
    Collection *collection = m_env.collection ? m_env.collection() : nullptr;
    if (row < 0 || row >= int(fields.size()) || !collection)
        return;

    SqlFilter filter;
    if (m_env.ui
        && m_env.ui->askYesNo(QLatin1String(GlobalReplace::QueryCaption),
                              QLatin1String(GlobalReplace::QueryQuestion),
                              true,
                              UserInterface::Icon::Question)) {
        const std::optional<QString> condition = m_env.queryWizard ? m_env.queryWizard()
                                                                   : std::optional<QString>();
        if (!condition)
            return; // a cancelled wizard replaces nothing rather than everything
        const std::optional<SqlFilter> compiled = GlobalReplace::compileQuery(*condition, m_env.ui);
        if (!compiled)
            return;
        filter = *compiled;
    }

    QProgressDialog progress(QLatin1String(GlobalReplace::ProgressTitle),
                             QStringLiteral("Cancel"),
                             0,
                             100,
                             this);
    progress.setWindowTitle(QLatin1String(GlobalReplace::ProgressTitle));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    progress.setLabelText(QStringLiteral("0% Completed"));
    GlobalReplace replace(*collection, fields[std::size_t(row)]);
    int shown = -1;
    const GlobalReplaceResult result
        = replace.run(m_search->text(),
                      m_replacement->text(),
                      filter,
                      [&](int percent, const QString &text) {
                          if (percent != shown) {
                              shown = percent;
                              progress.setValue(percent);
                          }
                          progress.setLabelText(QString::number(percent)
                                                + QStringLiteral("% Completed\n") + text);
                          QApplication::processEvents();
                          return !progress.wasCanceled();
                      });
    progress.close();

    if (!result.failure && m_env.errors) {
        ErrorContext context = result.failure.context;
        context.file = collection->filePath(CollectionFile::Data);
        if (context.errorText.isEmpty())
            context.errorText = result.failure.text;
        context.procedure = QLatin1String(GlobalReplace::ProcedureName);
        // A transaction that could not begin changed nothing and says so; any other failure
        // is a store that failed.
        constexpr std::uint16_t transactionCancelled = 24;
        m_env.errors->raise(result.failure.catalogueNumber == transactionCancelled
                                ? transactionCancelled
                                : Msg::RecordNotUpdated,
                            context);
    }
    if (m_env.refreshLists)
        m_env.refreshLists();
    if (m_env.ui)
        m_env.ui->message(QLatin1String(GlobalReplace::CompleteTitle),
                          QString::fromLatin1(GlobalReplace::CompleteText)
                                  .replace(QLatin1Char('|'), QLatin1Char('\n'))
                              + u"\n\n"_s + GlobalReplace::outcomeText(result));
    m_ok->setFocus();
}

} // namespace pk
