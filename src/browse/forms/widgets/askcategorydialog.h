#pragma once

#include "browse/forms/askcategory.h"
#include "browse/forms/widgets/formscontext.h"

#include <QDialog>

class QLabel;

namespace pk {

class CategoryTable;

/**
 * @brief "Category Assignment" (`AskCategory`): the imports' question which category a
 * location goes into. ask() returns the chosen category, blank for "&Use Best Guess".
 */
class AskCategoryDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AskCategoryDialog)

public:
    AskCategoryDialog(FormsContext context,
                      const LocationRecord &location,
                      const QString &guess,
                      QWidget *parent = nullptr);

    static QString ask(FormsContext context,
                       const LocationRecord &location,
                       const QString &guess,
                       QWidget *parent = nullptr);

    AskCategory &logic() { return m_logic; }
    CategoryTable *categories() const { return m_table; }
    QLabel *bestGuess() const { return m_bestGuess; }

public slots:
    void select();
    void useBestGuess();
    void insert();

private:
    FormsContext m_context;
    AskCategory m_logic;
    CategoryTable *m_table = nullptr;
    QLabel *m_bestGuess = nullptr;
};

} // namespace pk
