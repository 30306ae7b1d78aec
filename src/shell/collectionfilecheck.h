#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <thread>
#include <vector>

namespace pk {

class IniFile;
class UserInterface;

/**
 * @brief Looks for damage in the collection's files once they are open, on a thread of its own
 * so that the windows stay responsive and start-up does not wait.
 *
 * Damage found is told once, through the UserInterface, with the way to Repair Databases. After
 * a clean check the file's size and modification time are kept in section "FileCheck" of
 * PATHKEEP.INI; a file that still has them is not read again, so a large collection is not read
 * in full at every start. Switched off with "CheckWhenOpened=0" in the same section (Options).
 */
class CollectionFileCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CollectionFileCheck)

public:
    static constexpr const char *Section = "FileCheck";
    static constexpr const char *EnabledKey = "CheckWhenOpened";
    static constexpr const char *Title = "Damaged File";

    /// What identifies a version of a file well enough to skip checking it again.
    struct Stamp
    {
        qint64 size = -1;
        qint64 modified = 0; ///< milliseconds since the epoch

        bool operator==(const Stamp &) const = default;
    };

    CollectionFileCheck(UserInterface &ui, IniFile &ini, QObject *parent = nullptr);
    ~CollectionFileCheck() override; ///< stops a running check first

    static bool isEnabled(const IniFile &ini);
    static void setEnabled(IniFile &ini, bool on);
    /// The stamp of `file` now; size -1 when it does not exist.
    static Stamp stampOf(const QString &file);
    /// The stamp recorded after the last clean check of `file`, size -1 when none.
    static Stamp recorded(const IniFile &ini, const QString &file);

    /**
     * Checks those of `files` that changed since their last clean check, when enabled; a check
     * still running is stopped first. Returns at once; finished() follows the report.
     */
    void start(const QStringList &files);
    /// Stops a running check and waits for its thread (promptly: the check looks often).
    void stop();
    bool isRunning() const { return m_worker.joinable() && !m_done; }

Q_SIGNALS:
    /// A check ran to its end (and any damage was reported). Not sent for a stopped check.
    void finished();

private:
    struct Job
    {
        QString file;
        Stamp stamp;
        int outcome = 0; ///< FileDamageCheck::Outcome
        QString detail;
    };

    void finish(int generation, std::vector<Job> jobs);

    UserInterface &m_ui;
    IniFile &m_ini;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{true};
    int m_generation = 0;
};

} // namespace pk
