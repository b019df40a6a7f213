#pragma once
// The sort grid's ordering without a GUI: the seven comparison styles, style detection,
// strict number, date and time reading, the numeric-extended comparison, multi-key stable
// sorting and the filter's row order. Texts are UTF-8.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

enum TSortStyle {
    ssAutomatic,
    ssNormal,
    ssNumeric,
    ssNumericExtended,
    ssDateTime,
    ssTime,
    ssCustom
};
enum TSortDirection { sdAscending, sdDescending };

// A comparison of two cell texts: negative, zero or positive.
using TSortCompare = std::function<int(const std::string& A, const std::string& B)>;

// The one set of number, date and time formats that sorting reads with.
struct TFormatSettings {
    enum TDateOrder { doDMY, doMDY, doYMD };
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    TDateOrder DateOrder = doMDY;
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
};
// The settings in force; the GUI takes them from the locale once at start.
const TFormatSettings& SortFormatSettings();
void SetSortFormatSettings(const TFormatSettings& Value);
// False until SetSortFormatSettings was called.
bool SortFormatSettingsSet();

// Strict readers (blanks around the text allowed; no "nan", "inf", hex, thousands marks).
// Date-times are days since 1899-12-30 with the time of day as the fraction.
bool TryTextToFloat(std::string_view s, double& v, const TFormatSettings& f = SortFormatSettings());
// "h:mm", "h:mm:ss", "h:mm:ss.zzz", each optionally followed by the AM or PM text.
bool TryTextToTime(std::string_view s, double& v, const TFormatSettings& f = SortFormatSettings());
// A date in the settings' order ("d/m/y"), optionally followed by a blank and a time; or a
// time alone. Years of one or two digits: 00-49 are 2000-2049, 50-99 are 1950-1999.
bool TryTextToDateTime(std::string_view s, double& v,
                       const TFormatSettings& f = SortFormatSettings());

// Character-code comparison of two texts (-1, 0, 1).
int CompareCharCodes(std::string_view a, std::string_view b);
// Texts with embedded numbers: "file9" < "file10", "a2b" < "a10b". Consistent: equal only
// for equal texts; an empty text comes first.
int CompareNumericExtended(std::string_view a, std::string_view b);
// The comparison of one style (steps before the row tie-break): lower-cased unless case
// sensitive; ssAutomatic compares as ssNormal; ssCustom without a function gives 0.
int CompareCells(TSortStyle Style, std::string_view a, std::string_view b, bool CaseSensitive,
                 const TSortCompare& Custom = {});

// ssNumeric when every cell reads as a number, else ssDateTime when every cell reads as a
// date-time, else ssTime when every cell reads as a time, else ssNormal. An empty cell
// reads as nothing, so no cells at all also give ssNumeric.
TSortStyle DetectSortStyle(const std::vector<std::string>& Cells);

// The key columns: Primary first, then the comma list of further columns in its order,
// without Primary and without entries that are not column numbers.
std::vector<int> SortKeyColumns(int Primary, std::string_view SecondaryIndex);

struct TSortRequest {
    std::vector<int> Keys;  // column numbers, primary first
    bool CaseSensitive = false;
    TSortDirection Direction = sdAscending;
    TSortCompare Custom;
    // The style of a key column, asked once per key, the last key first, with the column's
    // cells in the rows' order; unset means ssNormal.
    std::function<TSortStyle(int Col, const std::vector<std::string>& Cells)> StyleOf;
};

// Sorts rows (each a list of cell texts; a missing cell is empty) by the keys, primary
// first: the first key that tells two rows apart decides; rows equal in every key keep
// their order, in both directions. The result is that of a stable pass per key, the last
// key first.
// Returns the new order: entry j is the index of the row that goes to place j.
std::vector<int> SortOrder(const std::vector<std::vector<std::string>>& Rows,
                           const TSortRequest& Request);

// The filter's order of rows: accepted rows first, then the others, each in their order.
std::vector<int> FilterOrder(const std::vector<bool>& Accepted);

}  // namespace kiv
