// The sort grid's ordering on its own: readers, comparisons, detection, keys, multi-key
// stable sorting and the filter's order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/core/SortEngine.h"
#include "platform/core/UnicodeText.h"

using namespace kiv;

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> Column(const Rows& rows, const std::vector<int>& order, int col) {
    std::vector<std::string> out;
    for (int i : order) out.push_back(rows[size_t(i)][size_t(col)]);
    return out;
}

TSortRequest Request(std::vector<int> keys, TSortStyle style, TSortDirection dir = sdAscending) {
    TSortRequest r;
    r.Keys = std::move(keys);
    r.Direction = dir;
    r.StyleOf = [style](int, const std::vector<std::string>&) { return style; };
    return r;
}

TFormatSettings Dmy() {
    TFormatSettings f;
    f.DateOrder = TFormatSettings::doDMY;
    f.DateSeparator = '.';
    f.DecimalSeparator = ',';
    return f;
}

}  // namespace

TEST(SortReaders, FloatsAreReadStrictly) {
    const TFormatSettings dot;
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"10", true, 10},    {" -2.5 ", true, -2.5}, {"+3", true, 3},      {".5", true, 0.5},
        {"5.", true, 5},     {"1e3", true, 1000},    {"1E-2", true, 0.01}, {"", false, 0},
        {"nan", false, 0},   {"inf", false, 0},      {"-inf", false, 0},   {"0x1p3", false, 0},
        {"1,000", false, 0}, {"1e", false, 0},       {".", false, 0},      {"1.2.3", false, 0},
        {"12abc", false, 0}, {"1e999", false, 0},    {"- 1", false, 0},
    };
    for (const Case& c : cases) {
        double v = -99;
        EXPECT_EQ(TryTextToFloat(c.text, v, dot), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    double v = 0;
    EXPECT_TRUE(TryTextToFloat("2,5", v, Dmy()));
    EXPECT_DOUBLE_EQ(v, 2.5);
    EXPECT_FALSE(TryTextToFloat("2.5", v, Dmy()));
}

TEST(SortReaders, DatesAndTimesFollowTheSettings) {
    const TFormatSettings mdy;  // m/d/y, ':' times
    double v = 0;
    ASSERT_TRUE(TryTextToDateTime("12/30/1899", v, mdy));
    EXPECT_DOUBLE_EQ(v, 0);
    ASSERT_TRUE(TryTextToDateTime("1/1/2000", v, mdy));
    EXPECT_DOUBLE_EQ(v, 36526);
    ASSERT_TRUE(TryTextToDateTime("1/1/00 12:00", v, mdy));
    EXPECT_DOUBLE_EQ(v, 36526.5);
    ASSERT_TRUE(TryTextToDateTime("2/29/2024", v, mdy));
    EXPECT_FALSE(TryTextToDateTime("2/29/2023", v, mdy));
    EXPECT_FALSE(TryTextToDateTime("13/1/2000", v, mdy));
    EXPECT_FALSE(TryTextToDateTime("1/1", v, mdy));
    EXPECT_FALSE(TryTextToDateTime("1/1/2000 25:00", v, mdy));
    EXPECT_FALSE(TryTextToDateTime("", v, mdy));
    ASSERT_TRUE(TryTextToDateTime("30.12.1899", v, Dmy()));
    EXPECT_DOUBLE_EQ(v, 0);
    EXPECT_FALSE(TryTextToDateTime("12/30/1899", v, Dmy()));
    // A time alone is a date-time on day 0.
    ASSERT_TRUE(TryTextToDateTime("6:00", v, mdy));
    EXPECT_DOUBLE_EQ(v, 0.25);

    struct Case {
        const char* text;
        bool ok;
        double seconds;
    } times[] = {
        {"0:00", true, 0},         {"23:59:59", true, 86399}, {"12:00 AM", true, 0},
        {"12:30 pm", true, 45000}, {"1:00 PM", true, 46800},  {"1:02:03.5", true, 3723.5},
        {"24:00", false, 0},       {"12", false, 0},          {"13:00 PM", false, 0},
        {"1:60", false, 0},        {"1:00 XM", false, 0},     {"", false, 0},
    };
    for (const Case& c : times) {
        EXPECT_EQ(TryTextToTime(c.text, v, mdy), c.ok) << c.text;
        if (c.ok) {
            EXPECT_NEAR(v * 86400, c.seconds, 1e-6) << c.text;
        }
    }
}

TEST(SortCompare, NumericExtendedOrdersEmbeddedNumbers) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"file9", "file10", -1},
        {"file10", "file9", 1},
        {"a2b", "a10b", -1},
        {"a10b", "a2b", 1},
        {"file9", "file9", 0},
        {"x", "x", 0},
        {"", "", 0},
        {"", "a", -1},
        {"a", "", 1},
        {"ab", "abc", -1},
        {"abc", "ab", 1},
        {"a01", "a1", -1},
        {"a1", "a01", 1},
        {"b1", "a2", 1},
        {"a", "b", -1},
        {"file99999999999999999999999", "file100000000000000000000000", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareNumericExtended(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(SortCompare, StylesAndCase) {
    EXPECT_EQ(CompareCells(ssNormal, "10", "9", false), -1);
    EXPECT_EQ(CompareCells(ssNumeric, "10", "9", false), 1);
    EXPECT_EQ(CompareCells(ssNumeric, "x", "9", false), 1);  // not a number: characters
    EXPECT_EQ(CompareCells(ssAutomatic, "B", "a", false), 1);
    EXPECT_EQ(CompareCells(ssNormal, "B", "a", true), -1);
    EXPECT_EQ(CompareCells(ssNormal, "_", "A", false), -1);  // lower-cased, not upper-cased
    EXPECT_EQ(CompareCells(ssNormal, "Ä", "ä", false), 0);
    EXPECT_EQ(CompareCells(ssTime, "9:00", "10:00", false), -1);
    EXPECT_EQ(CompareCells(ssDateTime, "12/31/1999", "1/1/2000", false), -1);
    EXPECT_EQ(CompareCells(ssCustom, "a", "b", false,
                           [](const std::string&, const std::string&) { return 42; }),
              1);
    EXPECT_EQ(CompareCells(ssCustom, "a", "b", false), 0);
    EXPECT_EQ(UnicodeText::LowerCaseUtf8("ÄÖÜ ABC"), "äöü abc");
}

TEST(SortDetect, FirstStyleThatEveryCellReads) {
    struct Case {
        std::vector<std::string> cells;
        TSortStyle style;
    } cases[] = {
        {{"10", "9", "100"}, ssNumeric},
        {{"10", "9", ""}, ssNormal},
        {{"1/2/2000", "3/4/2001 10:00"}, ssDateTime},
        {{"10:00", "9:30 PM"}, ssDateTime},  // a time alone reads as a date-time too
        {{"1/2/2000", "abc"}, ssNormal},
        {{"1.5", "10:00"}, ssNormal},
        {{}, ssNumeric},
    };
    for (const Case& c : cases) EXPECT_EQ(DetectSortStyle(c.cells), c.style);
}

TEST(SortKeys, PrimaryFirstThenTheListWithoutRepeats) {
    EXPECT_EQ(SortKeyColumns(1, ""), (std::vector<int>{1}));
    EXPECT_EQ(SortKeyColumns(1, "2"), (std::vector<int>{1, 2}));
    EXPECT_EQ(SortKeyColumns(1, "2,1, 0"), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(SortKeyColumns(0, "x,,3,-1,3"), (std::vector<int>{0, 3}));
}

TEST(SortOrder, AutomaticNumericAndTies) {
    const Rows rows{{"10", "a"}, {"9", "b"}, {"100", "c"}};
    EXPECT_EQ(Column(rows, SortOrder(rows, Request({0}, ssNumeric)), 0),
              (std::vector<std::string>{"9", "10", "100"}));
    EXPECT_EQ(Column(rows, SortOrder(rows, Request({0}, ssNormal)), 0),
              (std::vector<std::string>{"10", "100", "9"}));
    EXPECT_EQ(Column(rows, SortOrder(rows, Request({0}, ssNumeric, sdDescending)), 0),
              (std::vector<std::string>{"100", "10", "9"}));
}

TEST(SortOrder, SecondaryKeysAndEqualRowsKeepTheirOrder) {
    // Column 1 is the primary key, column 2 the secondary one, column 0 tells rows apart.
    const Rows rows{{"r0", "b", "2"}, {"r1", "a", "9"}, {"r2", "b", "1"},
                    {"r3", "a", "9"}, {"r4", "b", "1"}, {"r5", "a", "3"}};
    TSortRequest up = Request({1, 2}, ssNormal);
    EXPECT_EQ(Column(rows, SortOrder(rows, up), 0),
              (std::vector<std::string>{"r5", "r1", "r3", "r2", "r4", "r0"}));
    TSortRequest down = Request({1, 2}, ssNormal, sdDescending);
    EXPECT_EQ(Column(rows, SortOrder(rows, down), 0),
              (std::vector<std::string>{"r0", "r2", "r4", "r1", "r3", "r5"}));
    // Without the secondary key, equal rows stay top to bottom in both directions.
    EXPECT_EQ(Column(rows, SortOrder(rows, Request({1}, ssNormal)), 0),
              (std::vector<std::string>{"r1", "r3", "r5", "r0", "r2", "r4"}));
    EXPECT_EQ(Column(rows, SortOrder(rows, Request({1}, ssNormal, sdDescending)), 0),
              (std::vector<std::string>{"r0", "r2", "r4", "r1", "r3", "r5"}));
}

TEST(SortOrder, StyleIsAskedOncePerKeyLastKeyFirstAndMissingCellsAreEmpty) {
    const Rows rows{{"b"}, {"a", "2"}, {"c", "1"}};
    std::vector<int> asked;
    TSortRequest r;
    r.Keys = {0, 1};
    r.StyleOf = [&](int col, const std::vector<std::string>& cells) {
        asked.push_back(col);
        EXPECT_EQ(cells.size(), 3u);
        return ssNormal;
    };
    const std::vector<int> order = SortOrder(rows, r);
    EXPECT_EQ(asked, (std::vector<int>{1, 0}));
    EXPECT_EQ(order, (std::vector<int>{1, 0, 2}));
    r.StyleOf = nullptr;
    EXPECT_TRUE(SortOrder({}, r).empty());
}

// A numeric key over cells of which only some read as numbers compares some pairs by value
// and others by text, which is no consistent order: such keys sort as a stable pass per key,
// the last key first, exactly as they always did.
TEST(SortOrder, KeysWithoutAConsistentOrderSortAPassPerKey) {
    const Rows rows{{"10", "b"}, {"2", "a"},  {"1x", "b"}, {"9", "a"}, {"a", "a"}, {"2", "b"},
                    {"1x", "a"}, {"10", "a"}, {"-3", "b"}, {"", "b"},  {"Z", "a"}, {"3", "b"}};
    const struct {
        std::vector<int> keys;
        TSortDirection direction;
        std::vector<int> order;
    } cases[] = {
        {{0, 1}, sdAscending, {9, 8, 5, 11, 7, 0, 6, 2, 1, 3, 4, 10}},
        {{1, 0}, sdAscending, {1, 3, 7, 6, 4, 10, 9, 8, 2, 5, 11, 0}},
        {{0, 1}, sdDescending, {10, 4, 3, 11, 5, 1, 2, 6, 0, 7, 8, 9}},
        {{1, 0}, sdDescending, {0, 11, 5, 2, 8, 9, 10, 4, 3, 1, 6, 7}},
    };
    for (const auto& c : cases) {
        TSortRequest r;
        r.Keys = c.keys;
        r.Direction = c.direction;
        r.StyleOf = [](int col, const std::vector<std::string>&) {
            return col == 0 ? ssNumeric : ssNormal;
        };
        EXPECT_EQ(SortOrder(rows, r), c.order) << c.keys[0] << " first, " << int(c.direction);
    }
}

TEST(SortOrder, WildCustomComparisonsStayInRangeAndGiveAPermutation) {
    Rows rows;
    for (int i = 0; i < 500; ++i) rows.push_back({std::to_string(i % 7)});
    unsigned state = 1;
    TSortRequest r = Request({0}, ssCustom);
    r.Custom = [&](const std::string&, const std::string&) {
        state = state * 1103515245u + 12345u;
        return int(state >> 1) - int(1u << 30);  // random answers, extreme values too
    };
    std::vector<int> order = SortOrder(rows, r);
    std::sort(order.begin(), order.end());
    for (int i = 0; i < 500; ++i) ASSERT_EQ(order[size_t(i)], i);
}

TEST(FilterOrder, AcceptedFirstThenTheRest) {
    EXPECT_EQ(FilterOrder({false, false, false}), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(FilterOrder({true, false, true, false}), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(FilterOrder({true, true}), (std::vector<int>{0, 1}));
    EXPECT_TRUE(FilterOrder({}).empty());
}
