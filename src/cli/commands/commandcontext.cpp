#include "cli/commands/commandcontext.h"

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "cli/consoleuserinterface.h"
#include "framework/errormanager.h"
#include "platform/appfolders.h"
#include "platform/inifile.h"
#include "shell/appsettings.h"
#include "shell/passwordcheck.h"
#include "store/collection.h"
#include "store/configurationmanager.h"
#include "store/textindex.h"

#include <QDir>
#include <QFileInfo>

#include <SQLiteCpp/Database.h>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// Why a collection did not open, in the words of the command line.
QString openFailure(const StoreStatus &status)
{
    switch (status.error) {
    case StoreError::FileNotFound:
        return u"there is no collection here (URLDATA.TPS, URL_C.TPS and URL_H.TPS)."_s;
    case StoreError::InvalidFile:
        return u"a file is not a collection file or belongs to another program."_s;
    case StoreError::Locked:
        return u"another program holds it locked; try again later."_s;
    case StoreError::InvalidKeyFile:
        return u"its keys need rebuilding; open it in Pathkeep once."_s;
    default:
        return status.describe();
    }
}

} // namespace

CommandContext::CommandContext(std::FILE *out, std::FILE *err)
    : m_out(out)
    , m_err(err)
    , m_ui(std::make_unique<ConsoleUserInterface>(err))
    , m_errors(std::make_unique<ErrorManager>(*m_ui))
{
    // A catalogue message that would end the program ends only the command.
    m_errors->setHaltHandler([this](const QString &, const QString &) { m_halted = true; });
}

CommandContext::~CommandContext() = default;

void CommandContext::print(std::FILE *to, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
}

void CommandContext::complain(const QString &text)
{
    print(m_err, u"pathkeep-cli: "_s + text + u'\n');
}

int CommandContext::usageError(const QString &text)
{
    print(m_err, u"pathkeep-cli: "_s + text + u"\nTry 'pathkeep-cli --help'.\n"_s);
    return Usage;
}

void CommandContext::note(const QString &text)
{
    if (!m_options.quiet)
        print(m_err, text + u'\n');
}

bool CommandContext::openCollection(bool creatable)
{
    const QString &folder = this->folder();
    const bool isDefault = m_options.collection.source == CollectionPaths::Source::Default;
    const bool create = creatable && (m_options.create || isDefault);
    if (create && isDefault && !QDir().mkpath(folder)) {
        complain(u"cannot make the folder "_s + folder + u'.');
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        complain(folder + u" is not a folder."_s);
        return false;
    }
    const bool existed = !CollectionPaths::findFile(folder, u"URLDATA.TPS"_s).isEmpty();
    m_collection = std::make_unique<Collection>(folder);
    // The substring index is kept, or left out, as the program keeps it.
    IniFile ini(AppFolders::pathkeepIni());
    ini.load();
    m_collection->setTextIndexWanted(ini.intValue(QLatin1String(TextIndex::SettingSection),
                                                  QLatin1String(TextIndex::SettingKey),
                                                  1)
                                     != 0);
    const StoreStatus status = m_collection->openAll(create);
    if (!status) {
        complain(u"cannot open the collection in "_s + folder + u": "_s + openFailure(status));
        m_collection.reset();
        return false;
    }
    if (!existed)
        note(u"A new collection was made in "_s + folder + u'.');

    // The program may be writing to the collection at the same moment: wait for its
    // transaction to end rather than fail at once.
    m_collection->db().setBusyTimeout(m_options.waitSeconds * 1000);
    if (!passwordConfirmed()) {
        complain(u"the collection in "_s + folder + u" is protected; set "_s
                 + QLatin1String(ConsoleUserInterface::PasswordVariable) + u" to its password."_s);
        m_collection.reset();
        return false;
    }
    return true;
}

bool CommandContext::passwordConfirmed()
{
    // A protected collection opens only with its password, as at the program's start.
    AppSettings settings;
    ConfigurationRecord row;
    if (m_collection->configuration().get(QLatin1String(SettingName::Secure), row))
        settings.secure = row.DataValue.trimmed().toInt() != 0;
    if (m_collection->configuration().get(QLatin1String(SettingName::Password), row))
        settings.password = row.DataValue.left(AppSettings::PasswordWidth);
    return PasswordCheck::confirm(*m_ui, settings);
}

void CommandContext::closeCollection()
{
    m_collection.reset();
}

bool CommandContext::checkQuery(const QString &query)
{
    const QueryExpression expression = QueryExpression::parse(query);
    QueryCompileContext context;
    context.resolveField = storeFieldResolver();
    QueryError error;
    if (expression.isValid() && expression.compile(context, error))
        return true;
    complain(u"the query is invalid: "_s
             + (expression.isValid() ? error.describe() : expression.error().describe()));
    return false;
}

int CommandContext::outcome(bool failed) const
{
    return failed || m_halted || m_ui->problems() > 0 ? Failure : Success;
}

} // namespace pk::Cli
