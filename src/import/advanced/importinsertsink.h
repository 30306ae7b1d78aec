#pragma once

#include "import/advanced/advancedimport.h"

namespace pk {

class ImportInsert;

/// The field-mapped import's locations go through the shared import insert.
AdvancedImportSink importInsertSink(ImportInsert &insert);

} // namespace pk
