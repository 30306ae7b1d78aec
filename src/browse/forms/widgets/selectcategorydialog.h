#pragma once

#include "browse/forms/categorylist.h"
#include "browse/forms/widgets/formscontext.h"

#include <QDialog>

#include <optional>

namespace pk {

class CategoryTable;

/// @brief "Select Category" (`SelectCategories`): every category, to choose one.
class SelectCategoryDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SelectCategoryDialog)

public:
    /// `typed` positions the list (at or after it) when it names no category.
    SelectCategoryDialog(FormsContext context, const QString &typed, QWidget *parent = nullptr);

    /// The chosen category, nothing when cancelled.
    static std::optional<QString> select(FormsContext context,
                                         const QString &typed,
                                         QWidget *parent = nullptr);

    CategoryTable *categories() const { return m_table; }
    QString selected() const { return m_selected; }

public slots:
    void accept() override;

private:
    FormsContext m_context;
    CategoryList m_list;
    CategoryTable *m_table = nullptr;
    QString m_selected;
};

} // namespace pk
