#include "shell/textindexfiller.h"

#include "store/collection.h"

namespace pk {

namespace {
constexpr int kStepGapMs = 5;
constexpr int kBusyRetryMs = 1000;
} // namespace

TextIndexFiller::TextIndexFiller(std::function<Collection *()> collection, QObject *parent)
    : QObject(parent)
    , m_collection(std::move(collection))
{
    m_timer.setInterval(kStepGapMs);
    connect(&m_timer, &QTimer::timeout, this, &TextIndexFiller::step);
}

void TextIndexFiller::start()
{
    m_timer.setInterval(kStepGapMs);
    m_timer.start();
}

void TextIndexFiller::step()
{
    Collection *collection = m_collection();
    if (!collection || !collection->isOpen(CollectionFile::Data)) {
        m_timer.stop();
        return;
    }
    if (collection->inTransaction()) { // a batch of this program: after it
        m_timer.setInterval(kBusyRetryMs);
        return;
    }
    bool complete = false;
    const StoreStatus status = collection->fillTextIndex(RowsPerStep, complete);
    if (status.error == StoreError::Locked) {
        m_timer.setInterval(kBusyRetryMs);
        return;
    }
    m_timer.setInterval(kStepGapMs);
    if (!status) {
        qWarning("Pathkeep: substring index not filled: %s", qPrintable(status.describe()));
        m_timer.stop();
        return;
    }
    if (complete) {
        m_timer.stop();
        emit finished();
    }
}

} // namespace pk
