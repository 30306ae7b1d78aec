#pragma once

#include "browse/forms/cathtmlform.h"
#include "browse/forms/widgets/formscontext.h"

#include <QDialog>

class QButtonGroup;
class QPlainTextEdit;

namespace pk {

/// @brief "Add HTML" (`UpdateCatHTML`): the type of a snippet and its HTML text.
class CatHtmlDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CatHtmlDialog)

public:
    /// With a `keeper`, edits `held` (a snippet of a category not saved yet) and hands it to
    /// the keeper on OK instead of storing it.
    CatHtmlDialog(FormsContext context,
                  FormRequest request,
                  const QString &category,
                  const QString &type,
                  QWidget *parent = nullptr,
                  CatHtmlForm::Keeper keeper = {},
                  const CatHtmlRecord &held = {});

    static bool run(FormsContext context,
                    FormRequest request,
                    const QString &category,
                    const QString &type,
                    QWidget *parent = nullptr);
    /// Edits a held snippet (insert or change) for `keeper`; true when it was kept.
    static bool runHeld(FormsContext context,
                        FormRequest request,
                        const QString &category,
                        const CatHtmlRecord &held,
                        CatHtmlForm::Keeper keeper,
                        QWidget *parent = nullptr);

    CatHtmlForm &form() { return m_form; }
    bool isLoaded() const { return m_loaded; }
    QButtonGroup *types() const { return m_types; }
    QPlainTextEdit *htmlEdit() const { return m_html; }

public slots:
    void accept() override;

private:
    /// Puts the form's record into the controls.
    void showRecord();
    /// Takes the controls into the form's record.
    void takeEntries();

    FormsContext m_context;
    CatHtmlForm m_form;
    bool m_loaded = false;
    QButtonGroup *m_types = nullptr;
    QPlainTextEdit *m_html = nullptr;
};

} // namespace pk
