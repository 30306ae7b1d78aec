#include "browse/forms/widgets/ratingbox.h"

namespace pk {

RatingBox::RatingBox(QWidget *parent)
    : QSpinBox(parent)
{
    setRange(-99, 99);
}

QString RatingBox::textFromValue(int value) const
{
    return value == 0 ? QString() : QSpinBox::textFromValue(value);
}

int RatingBox::valueFromText(const QString &text) const
{
    return text.trimmed().isEmpty() ? 0 : QSpinBox::valueFromText(text);
}

QValidator::State RatingBox::validate(QString &text, int &position) const
{
    return text.trimmed().isEmpty() ? QValidator::Acceptable : QSpinBox::validate(text, position);
}

} // namespace pk
