#include "platform/launcher.h"

#include "framework/userinterface.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace pk {

namespace {

QString leftTrimmed(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    return text.mid(i);
}

/// A scheme of two or more letters ("http:", "mailto:", "file:") marks an address.
bool hasScheme(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 2)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = text.at(i);
        if (!(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-')
              || c == QLatin1Char('.')))
            return false;
    }
    return text.at(0).isLetter();
}

/// Hands an address or document to the desktop's default handler (xdg-open), never a shell.
bool openWithDesktop(const QString &target)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !opener.isEmpty() && QProcess::startDetached(opener, {target});
}

QString resolvedPath(const QString &file, const QString &workingFolder)
{
    if (QDir::isAbsolutePath(file) || workingFolder.isEmpty())
        return file;
    return QDir(workingFolder).filePath(file);
}

} // namespace

Launcher::Launcher(UserInterface &ui)
    : Launcher(ui, &Launcher::defaultOpen, &Launcher::defaultStart)
{}

Launcher::Launcher(UserInterface &ui, OpenFunction open, StartFunction start)
    : m_ui(ui)
    , m_open(std::move(open))
    , m_start(std::move(start))
{}

bool Launcher::splitProgram(const QString &text, QString &program, QString &parameters)
{
    if (text.startsWith(QLatin1Char('"'))) {
        const qsizetype close = text.indexOf(QLatin1Char('"'), 1);
        if (close < 0)
            return false;
        program = text.mid(1, close - 1);
        parameters = leftTrimmed(text.mid(close + 1));
        return true;
    }
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    if (space < 0)
        return false;
    program = text.left(space);
    parameters = leftTrimmed(text.mid(space + 1));
    return true;
}

bool Launcher::launch(const QString &text, const QString &workingFolder)
{
    int result = m_open(text, QString(), workingFolder);
    if (result > FailureLimit)
        return true;

    QString program;
    QString parameters;
    if (splitProgram(text, program, parameters)) {
        result = m_open(program, parameters, workingFolder);
        if (result > FailureLimit)
            return true;
        // Walk back from the second-to-last character to the third, trying each space as the
        // end of the program's name ("/opt/My Tools/tool -x" needs the last space, not the first).
        for (qsizetype i = text.size() - 2; i >= 2; --i) {
            if (text.at(i) != QLatin1Char(' '))
                continue;
            result = m_open(text.left(i), leftTrimmed(text.mid(i + 1)), workingFolder);
            if (result > FailureLimit)
                return true;
        }
    }

    const QStringList words = QProcess::splitCommand(text);
    if (!words.isEmpty() && m_start(words.first(), words.mid(1), workingFolder))
        return true;

    m_ui.message(QStringLiteral("Error Code ") + QString::number(result),
                 QStringLiteral("Could not start ") + text + QLatin1Char('.'),
                 UserInterface::Icon::Critical);
    return false;
}

int Launcher::defaultOpen(const QString &file,
                          const QString &parameters,
                          const QString &workingFolder)
{
    if (file.trimmed().isEmpty())
        return FileNotFound;
    if (parameters.isEmpty()) {
        if (hasScheme(file))
            return openWithDesktop(file) ? Success : NoAssociation;
        if (file.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
            return openWithDesktop(QStringLiteral("http://") + file) ? Success : NoAssociation;
    }
    const QString path = resolvedPath(file, workingFolder);
    const QFileInfo info(path);
    if (info.exists()) {
        if (info.isFile() && info.isExecutable())
            return defaultStart(info.absoluteFilePath(),
                                QProcess::splitCommand(parameters),
                                workingFolder)
                       ? Success
                       : NoAssociation;
        if (!parameters.isEmpty())
            return NoAssociation;
        return openWithDesktop(info.absoluteFilePath()) ? Success : NoAssociation;
    }
    // A bare program name is looked up on the search path, as a shell would.
    if (!file.contains(QLatin1Char('/'))) {
        const QString found = QStandardPaths::findExecutable(file);
        if (!found.isEmpty())
            return defaultStart(found, QProcess::splitCommand(parameters), workingFolder)
                       ? Success
                       : NoAssociation;
    }
    return FileNotFound;
}

bool Launcher::defaultStart(const QString &program,
                            const QStringList &arguments,
                            const QString &workingFolder)
{
    return QProcess::startDetached(program, arguments, workingFolder);
}

} // namespace pk
