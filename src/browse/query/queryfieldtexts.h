#pragma once

#include <QString>

namespace pk {

/**
 * @brief The packed field tables the query wizard is initialised from (see QueryFieldTable).
 *
 * Each function returns one text constant; the export table is the Categories rows followed by
 * the Locations rows, since exports query locations joined with their category.
 */
namespace QueryFieldTexts {

QStringView locations(); ///< the 20 fields of a location, in record order
QStringView exports();   ///< CAT:Category, CAT:Flag, CAT:Description, then the 20 location fields
QStringView keywords();  ///< UDK:Location, UDK:Keyword
QStringView details();   ///< UDT:Location, UDT:DataLabel, UDT:DataValue

} // namespace QueryFieldTexts

} // namespace pk
