#pragma once

#include "store/sqlfilter.h"
#include "store/storestatus.h"

#include <QString>

#include <functional>
#include <optional>

namespace pk {

class ErrorManager;
class UserInterface;

/// The rules the location list and the keyword and detail lists share for "Find..." and their
/// queries.
namespace ListFind {

/// Compiles a condition over the list's fields; nothing, with the reason in `error`, when it is
/// malformed.
using Compile = std::function<std::optional<SqlFilter>(const QString &condition, QString &error)>;
/// Looks for the next row `filter` selects: its row, negative when there is none (`status`
/// then tells a store failure).
using Search = std::function<int(const SqlFilter &filter, StoreStatus &status)>;

/// "Find..." and "Find Next": a blank condition and one that does not compile are reported, and
/// a search that finds nothing says "No more matches." (or the store's error). The row found,
/// -1 when none.
int find(UserInterface &ui,
         ErrorManager &errors,
         const QString &condition,
         const Compile &compile,
         const Search &search);

/// "The query you have designed is invalid." with the reason.
void reportInvalidQuery(UserInterface &ui, const QString &reason);

} // namespace ListFind

} // namespace pk
