#include "report/reportdisplaystrings.h"

#include "platform/inifile.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

struct Default
{
    const char *key;
    const char *text;
};

const Default kDefaults[] = {
    {"ProgWinTitlePrvw", "Generating Report"},
    {"ProgWinTitlePrnt", "Printing Report"},
    {"ProgWinPctText", "% Completed"},
    {"ProgWinRecText", "Records Read"},
    {"PrinterDlgTitle", "Report Destination"},
    {"AskPrvwDialogTitle", "Preview"},
    {"AskPrvwDialogText", "Do you wish to PREVIEW this Report?"},
    {"CancelAreYouSureTitle", "Question"},
    {"CancelAreYouSureText", "Are you sure you want to CANCEL this Report?"},
    {"CancelPrvwPartialTitle", "Question"},
    {"CancelPrvwPartialText", "Report Cancellation Requested!||Preview Report generated so far?"},
    {"NoDfltPrtrTitle", "WARNING!"},
    {"NoDfltPrtrText",
     "Warning:  No DEFAULT Printer Driver Found!||Choose a printer, or print to a PDF file, in "
     "the window that follows."},
    {"NothingToPrvwTitle", "NOTE..."},
    {"NothingToPrvwText", "Nothing to Preview."},
    {"NothingToPrntTitle", "NOTE..."},
    {"NothingToPrntText", "Nothing to Print."},
    {"AsciiOutTitle", "Save to what Filename?"},
    {"AsciiOutMasks", "Text|*.TXT|All Files|*.*"},
    {"DynLblErrTitle", "Problem!"},
    {"DynLblErrText1", "Sorry!||"},
    {"DynLblErrText2", "||Does not support paper type:"},
};

} // namespace

ReportDisplayStrings::ReportDisplayStrings()
{
    for (const Default &d : kDefaults)
        m_texts.insert(QString::fromLatin1(d.key), QString::fromLatin1(d.text));
}

ReportDisplayStrings ReportDisplayStrings::load(const QString &iniPath)
{
    ReportDisplayStrings strings;
    IniFile ini(iniPath);
    if (!ini.load())
        return strings;
    const QString section = QString::fromLatin1(Section);
    for (auto it = strings.m_texts.begin(); it != strings.m_texts.end(); ++it) {
        if (ini.contains(section, it.key()))
            it.value() = ini.value(section, it.key());
    }
    return strings;
}

QString ReportDisplayStrings::text(const QString &key) const
{
    QString t = m_texts.value(key, key);
    // The file-dialog masks keep their '|' separators.
    if (key != u"AsciiOutMasks"_s)
        t.replace(u'|', u'\n');
    return t;
}

} // namespace pk
