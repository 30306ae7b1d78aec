#pragma once

#include <QString>

#include <functional>
#include <map>

namespace pk {

/**
 * @brief Logical thread numbers of the frame's child windows.
 *
 * Windows all live on the GUI thread; the numbers keep what users and other windows rely on:
 * the frame is 1, each child window takes the lowest free number from 2 to 64, and a collection
 * switch asks every numbered window to close.
 */
class WindowThreads final
{
public:
    static constexpr int FrameThread = 1;
    static constexpr int FirstChild = 2;
    static constexpr int MaxThreads = 64;

    using CloseRequest = std::function<void()>;

    /// Takes the lowest free number for a window named `procedure`; 0 when all are taken.
    int start(const QString &procedure, CloseRequest closeRequest);
    /// Frees a number when its window has gone.
    void finish(int thread);

    bool isRunning(int thread) const { return m_threads.count(thread) != 0; }
    int count() const { return static_cast<int>(m_threads.size()); }
    QString procedure(int thread) const;
    /// The lowest thread running `procedure`, 0 when none.
    int find(const QString &procedure) const;

    /// Posts a close request to every child window (threads 2 to 64).
    void closeAll();

private:
    struct Entry
    {
        QString procedure;
        CloseRequest close;
    };
    std::map<int, Entry> m_threads;
};

} // namespace pk
