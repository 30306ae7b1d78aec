#pragma once

#include <QSpinBox>

namespace pk {

/// @brief The rating entry (-99 to 99), blank for 0 like the lists show it (@N2b).
class RatingBox final : public QSpinBox
{
public:
    explicit RatingBox(QWidget *parent = nullptr);

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString &text) const override;
    QValidator::State validate(QString &text, int &position) const override;
};

} // namespace pk
