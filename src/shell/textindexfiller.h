#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace pk {

class Collection;

/**
 * @brief Fills the substring index of an existing collection in short steps from the event
 * loop, so a big collection gets it without the window standing still.
 *
 * Each step indexes a few thousand locations in a transaction of its own; searches keep reading
 * every row until the last step made the index complete. A step that finds the collection busy
 * (another program writing, or a batch of this one under way) is tried again a little later;
 * any other failure ends the filling for this run, which leaves searches scanning.
 */
class TextIndexFiller final : public QObject
{
    Q_OBJECT

public:
    static constexpr int RowsPerStep = 2000;

    /// `collection` gives the open collection at each step (it may be replaced meanwhile).
    explicit TextIndexFiller(std::function<Collection *()> collection, QObject *parent = nullptr);

    /// Starts or resumes filling; does nothing more once the index is complete.
    void start();
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }

signals:
    void finished();

private:
    void step();

    std::function<Collection *()> m_collection;
    QTimer m_timer;
};

} // namespace pk
