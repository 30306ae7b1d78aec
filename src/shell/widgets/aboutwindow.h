#pragma once

#include <QDialog>

namespace pk {

/// "About": the program's image, its version and how it was built.
class AboutWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    AboutWindow(const QString &imagePath, const QString &version, QWidget *parent = nullptr);

    static QString buildInformation();
};

} // namespace pk
