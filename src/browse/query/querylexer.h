#pragma once

#include "browse/query/queryerror.h"

#include <QString>
#include <QVariant>

#include <vector>

namespace pk {

struct QueryToken
{
    enum class Type { Name, Text, Number, LParen, RParen, Comma, Minus, Compare, End };

    Type type = Type::End;
    int position = 0;
    QString text;   ///< Name: as written; Text: undoubled; Compare: "=", "<>", "<", ">", "<=", ">="
    QVariant value; ///< Number: qlonglong or double
};

/**
 * @brief Cuts a filter expression into tokens.
 *
 * Names are letters, digits and underscores with colons between parts (`URL:Location`,
 * `Export::Rating`); keywords are names the parser recognises. Texts are single-quoted with
 * doubled quotes inside. `!=` is read as `<>`.
 */
class QueryLexer final
{
public:
    /// Returns false and fills `error` when the text cannot be cut into tokens.
    static bool tokenize(const QString &text, std::vector<QueryToken> &tokens, QueryError &error);
};

} // namespace pk
