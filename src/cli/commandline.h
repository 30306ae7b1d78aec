#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>

class QCommandLineParser;

namespace pk {

class Collection;
class ConsoleUserInterface;
class ErrorManager;
struct ExportFieldEntry;
struct ExportSettings;

/**
 * @brief `pathkeep-cli`: the commands for scripts and timer jobs over one collection.
 *
 * Every command works through the same classes as the windows (record managers, the filter
 * language, the link test, the imports and exports); questions a window would ask take their
 * default answer or the command's option. Exit status: 0 done, 1 the work failed (also a
 * failed link), 2 the command line was wrong.
 */
class CommandLine final
{
public:
    enum Exit { Success = 0, Failure = 1, Usage = 2 };

    CommandLine(std::FILE *out = stdout, std::FILE *err = stderr);
    ~CommandLine();
    CommandLine(const CommandLine &) = delete;
    CommandLine &operator=(const CommandLine &) = delete;

    /// Runs the command in `arguments` (the program's name first). Needs a QCoreApplication.
    int run(const QStringList &arguments);

    /// The overview printed by `--help` without a command.
    static QString overview();

private:
    struct Common;

    int list(QCommandLineParser &parser, Common &common);
    int add(QCommandLineParser &parser, Common &common);
    int check(QCommandLineParser &parser, Common &common);
    int analyze(QCommandLineParser &parser, Common &common);
    int download(QCommandLineParser &parser, Common &common);
    int importFile(QCommandLineParser &parser, Common &common);
    int exportFile(QCommandLineParser &parser, Common &common);
    /// The field-selected export ("ADV").
    int exportFields(const ExportSettings &settings,
                     const QList<ExportFieldEntry> &fields,
                     bool header,
                     Common &common);

    /// Opens the collection of the command; reports why not and returns false.
    bool openCollection(Common &common, bool create);
    /// The --query option compiled against the store; false (reported) when it is wrong.
    bool checkQuery(const QString &query);
    int usageError(const QString &text);
    void print(std::FILE *to, const QString &text);

    std::FILE *m_out;
    std::FILE *m_err;
    std::unique_ptr<ConsoleUserInterface> m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    std::unique_ptr<Collection> m_collection;
    QString m_query; ///< the export's --query
    bool m_halted = false;
};

} // namespace pk
