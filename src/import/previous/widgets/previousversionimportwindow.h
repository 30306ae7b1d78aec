#pragma once

#include <QWidget>

class QLineEdit;

namespace pk {

class Collection;
class ErrorManager;
class IniFile;
class UserInterface;

/// "Import from Pathkeep Database": chooses a previous version's URL_L.TPS and copies it in.
class PreviousVersionImportWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviousVersionImportWindow)

public:
    PreviousVersionImportWindow(Collection &collection,
                                ErrorManager &errors,
                                UserInterface &ui,
                                IniFile *positions = nullptr,
                                QWidget *parent = nullptr);
    ~PreviousVersionImportWindow() override;

    QString fileName() const;
    void setFileName(const QString &name);

    void browse();
    /// Checks the name and runs the import; the window stays open. False when refused.
    bool startImport();
    /// Locations added by the last run.
    int added() const { return m_added; }

signals:
    void closeRequested();

private:
    Collection &m_collection;
    ErrorManager &m_errors;
    UserInterface &m_ui;
    IniFile *m_positions;
    QString m_startFolder;
    QLineEdit *m_file = nullptr;
    int m_added = 0;
};

} // namespace pk
