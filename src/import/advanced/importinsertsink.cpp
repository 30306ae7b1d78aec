#include "import/advanced/importinsertsink.h"

#include "import/importinsert.h"

namespace pk {

AdvancedImportSink importInsertSink(ImportInsert &insert)
{
    AdvancedImportSink sink;
    sink.refuse = [&insert](RecordProblem why) {
        insert.countRefused(why == RecordProblem::BadDate ? ImportInsert::Refusal::BadDate
                                                          : ImportInsert::Refusal::NotAnAddress);
    };
    sink.offerCategory = [&insert](const QString &category) { insert.offerCategory(category); };
    sink.insert = [&insert](const LocationRecord &location) {
        insert.insert(location);
        return !insert.stopped();
    };
    // runBatch reports a failed batch itself and stops the import (see stopped()).
    sink.batch = [&insert](const std::function<void()> &work) {
        static_cast<void>(insert.runBatch(work));
    };
    return sink;
}

} // namespace pk
