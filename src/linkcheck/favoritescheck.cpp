#include "linkcheck/favoritescheck.h"

#include "framework/userinterface.h"

namespace pk {

FavoritesCheck::FavoritesCheck(LinkTestEnvironment environment, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
{
    m_env.collection = {};
}

bool FavoritesCheck::confirm()
{
    return !m_env.ui || m_env.ui->askYesNo(QLatin1String(Caption), QLatin1String(Question));
}

void FavoritesCheck::load(const QString &folder)
{
    m_entries = FavoritesScan::scan(folder);
}

bool FavoritesCheck::isValid(const LinkTest &test)
{
    return test.result() == LinkTest::Evaluated && test.isEvaluated()
           && test.outcome().sawStatusLine && test.outcome().Validated == 1;
}

void FavoritesCheck::run()
{
    if (m_running || m_finished)
        return;
    m_running = true;
    m_index = int(m_entries.size());
    next();
}

void FavoritesCheck::next()
{
    if (m_finished)
        return;
    --m_index;
    if (m_index < 0) {
        m_finished = true;
        emit finished(false);
        return;
    }
    auto *test = new LinkTest(m_env, m_entries[std::size_t(m_index)].url, false, this);
    connect(test, &LinkTest::finished, this, [this, test](int result) {
        testFinished(test, result);
    });
    emit testStarted(test);
    test->start();
}

void FavoritesCheck::testFinished(LinkTest *test, int result)
{
    test->deleteLater();
    if (result == LinkTest::Cancelled) {
        m_cancelled = true;
        m_finished = true;
        emit finished(true);
        return;
    }
    if (isValid(*test)) {
        m_entries.erase(m_entries.begin() + m_index);
        emit entryRemoved(m_index);
    }
    // Go on from the event loop, not from inside the test that has just ended.
    QMetaObject::invokeMethod(this, &FavoritesCheck::next, Qt::QueuedConnection);
}

} // namespace pk
