#include "framework/Cursor.h"

#include "classes/IdentMaps.h"

namespace orvalis {
namespace {

constexpr TIdentMapEntry kCursorNames[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

}  // namespace

bool IdentToCursor(std::string_view ident, std::int32_t& cursor) {
    return IdentToIntByTable(kCursorNames, ident, cursor);
}

bool CursorToIdent(std::int32_t cursor, String& ident) { return IntToIdentByTable(kCursorNames, cursor, ident); }

}  // namespace orvalis
