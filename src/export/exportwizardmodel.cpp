#include "export/exportwizardmodel.h"

#include "export/bookmarkfileexport.h"
#include "export/textlinewriter.h"
#include "framework/userinterface.h"
#include "platform/inifile.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// The file a name stands for (device and inode); none when there is no such file. A finished
/// export always puts a new file in place, so the identity tells whether one was written.
std::optional<QPair<quint64, quint64>> fileIdentity(const QString &path)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return QPair<quint64, quint64>(quint64(st.st_dev), quint64(st.st_ino));
}

} // namespace

const QList<QPair<QString, QString>> &ExportWizardModel::types()
{
    static const QList<QPair<QString, QString>>
        list{{u"Simple"_s, u"HTML - &Simple"_s},
             {u"Table"_s, u"HTML - &Table"_s},
             {u"Frame"_s, u"&HTML - Frame"_s},
             {u"CSV"_s, u"&Comma-delimited text"_s},
             {u"ADV"_s, u"&Comma-delimited text with advanced options"_s},
             {u"ASCII"_s, u"&Text"_s},
             {QLatin1String(BookmarkFileExport::Type), u"Bookmark file for any bro&wser"_s}};
    return list;
}

const QList<QPair<QString, QString>> &ExportWizardModel::orders()
{
    static const QList<QPair<QString, QString>> list{{u"Location"_s, u"Location"_s},
                                                     {u"Description"_s, u"Description"_s},
                                                     {u"CatDesc"_s, u"Category/Description"_s},
                                                     {u"CatLoc"_s, u"Category/Location"_s},
                                                     {u"Rating"_s, u"Rating"_s},
                                                     {u"Keyword"_s, u"Keyword"_s}};
    return list;
}

const QList<QPair<QString, QString>> &ExportWizardModel::assignments()
{
    static const QList<QPair<QString, QString>> list{{u"All"_s, u"All"_s},
                                                     {u"Selected"_s, u"Selected category:"_s},
                                                     {u"Query"_s, u"Advanced query"_s}};
    return list;
}

ExportWizardModel::ExportWizardModel(IniFile &ini, const ExportSettings &current)
    : m_ini(ini)
    , m_settings(current)
{
    m_settings.load(ini);
}

void ExportWizardModel::setType(const QString &type)
{
    if (type == m_settings.type)
        return;
    // Remember the name typed for the type left, so that switching back brings it again.
    if (!m_settings.file.trimmed().isEmpty())
        m_ini.setValue(QString::fromLatin1(ExportSettings::Section),
                       u"Export:File:"_s + m_settings.type,
                       m_settings.file);
    m_settings.type = type;
    const QString remembered = ExportSettings::fileForType(m_ini, type);
    if (!remembered.isEmpty())
        m_settings.file = remembered;
}

QString ExportWizardModel::fileMask() const
{
    const QString &t = m_settings.type;
    if (m_settings.isHtmlType())
        return u"HTML Files|*.html|HTM Files|*.htm|All Files|*.*"_s;
    if (t == u"CSV"_s || t == u"ADV"_s)
        return u"Comma-separated value files|*.csv|All Files|*.*"_s;
    if (t == u"ASCII"_s)
        return u"Text files|*.txt|All Files|*.*"_s;
    if (t == QLatin1String(BookmarkFileExport::Type))
        return u"Bookmark files|*.html|All Files|*.*"_s;
    return u"All Files|*.*"_s;
}

bool ExportWizardModel::preformattedEnabled() const
{
    return m_settings.isHtmlType();
}

bool ExportWizardModel::fieldsPageVisible() const
{
    if (m_settings.isHtmlType())
        return !m_settings.typePreformatted;
    // A bookmark file has no place for the extra fields: it always carries what browsers read.
    return m_settings.type != u"ADV"_s
           && m_settings.type != QLatin1String(BookmarkFileExport::Type);
}

bool ExportWizardModel::webGroupVisible() const
{
    return m_settings.type != u"CSV"_s && m_settings.type != u"ADV"_s;
}

bool ExportWizardModel::metaEnabled() const
{
    return m_settings.isHtmlType() && m_settings.typePreformatted;
}

bool ExportWizardModel::categoryControlsEnabled() const
{
    return m_settings.categoryAssignment == u"Selected"_s;
}

QString ExportWizardModel::fileProblem(const QString &file)
{
    if (const QString refusal = TextLineWriter::refusalFor(file); !refusal.isEmpty())
        return refusal;
    const QFileInfo info(file);
    if (info.isDir())
        return file + u" is a folder: name a file in it to export to."_s;
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return u"The folder "_s + folder.filePath() + u" does not exist: nothing was exported."_s;
    if (info.exists() ? !info.isWritable() : !folder.isWritable())
        return file + u" cannot be written: nothing was exported."_s;
    return {};
}

bool ExportWizardModel::finish(UserInterface &ui, const Runners &runners)
{
    const QString file = m_settings.file;
    m_fileRefused = false;
    if (file.trimmed().isEmpty()) {
        ui.message(QLatin1String(Title),
                   u"Enter the path and name of the file to export to."_s,
                   UserInterface::Icon::Warning);
        m_fileRefused = true;
        return false;
    }
    // A wrong path is the user's to correct in the wizard, not an error in the middle of a run.
    if (const QString problem = fileProblem(file); !problem.isEmpty()) {
        ui.message(QLatin1String(Title), problem, UserInterface::Icon::Warning);
        m_fileRefused = true;
        return false;
    }
    bool written = false;
    if (preformattedUsed() && runners.preformatted) {
        written = runners.preformatted(m_settings) == ExportResult::Written;
    } else if (m_settings.type == u"ADV"_s) {
        const auto before = fileIdentity(file);
        if (!runners.advanced || !runners.advanced()) {
            ui.message(QLatin1String(Title),
                       u"The export with advanced options is not available."_s,
                       UserInterface::Icon::Warning);
            return false;
        }
        const auto after = fileIdentity(file);
        written = after && after != before;
    } else if (m_settings.type == QLatin1String(BookmarkFileExport::Type)) {
        written = runners.bookmarkFile && runners.bookmarkFile(m_settings) == ExportResult::Written;
    } else if (runners.exportFile) {
        written = runners.exportFile(m_settings) == ExportResult::Written;
    }
    if (!written)
        return true;
    if (file.contains(u'.')) {
        if (ui.askYesNo(u"Export Complete"_s,
                        u"Would you like to launch "_s + file + u" now?"_s,
                        true,
                        UserInterface::Icon::Question)
            && runners.launch)
            runners.launch(file);
    } else {
        ui.message(u"Export completed."_s, file + u" was created."_s);
    }
    return true;
}

void ExportWizardModel::close(ExportSettings &current)
{
    m_settings.save(m_ini);
    m_ini.save();
    current = m_settings;
}

} // namespace pk
