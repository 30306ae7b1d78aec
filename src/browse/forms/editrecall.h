#pragma once

#include "store/recordio.h"

#include <optional>

namespace pk {

/**
 * @brief The user's edit of a record that a save refused because another program changed the
 * record meanwhile, kept so that Ctrl+H can put it back over the record as stored now.
 *
 * Only the fields the user changed are put back: what the other program wrote elsewhere stays.
 */
template<class Record>
class EditRecall final
{
public:
    /// Keeps `mine`, edited from `base` (the record as the form had read it). After a second
    /// refusal the first base stays, so every field edited since the form opened is recalled.
    void keep(const Record &mine, const Record &base)
    {
        if (!m_mine)
            m_base = base;
        m_mine = mine;
    }

    /// A save of `mine` was refused because another program changed the record: keeps the
    /// edit (from `loaded`) and shows `current` as stored now; `prepared` (as the store keeps
    /// it) becomes what the next save is checked against.
    void showStored(const Record &mine,
                    const Record &current,
                    const Record &prepared,
                    Record &record,
                    Record &loaded)
    {
        keep(mine, loaded);
        record = current;
        loaded = prepared;
    }

    /// The form's record was saved as `stored`: nothing is left to recall.
    void saved(const Record &stored, Record &record, Record &loaded)
    {
        record = stored;
        loaded = stored;
        clear();
    }

    bool canRecall() const { return m_mine.has_value(); }
    void clear() { m_mine.reset(); }

    /// `shown` (as stored now) with the user's changed fields put back over it.
    Record recalled(const Record &shown) const
    {
        if (!m_mine)
            return shown;
        const QVariantList mine = RecordIo::values(*m_mine);
        const QVariantList base = RecordIo::values(m_base);
        QVariantList out = RecordIo::values(shown);
        for (qsizetype i = 0; i < out.size() && i < mine.size() && i < base.size(); ++i) {
            if (mine[i] != base[i])
                out[i] = mine[i];
        }
        Record r;
        RecordIo::assign(out, r);
        return r;
    }

private:
    std::optional<Record> m_mine;
    Record m_base;
};

} // namespace pk
