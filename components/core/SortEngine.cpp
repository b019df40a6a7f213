#include "components/core/SortEngine.h"

#include <algorithm>
#include <charconv>

#include "platform/core/KivStrings.h"
#include "platform/core/UnicodeText.h"

namespace kiv {

namespace {

TFormatSettings& Settings() {
    static TFormatSettings s;
    return s;
}
bool settingsSet = false;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && uint8_t(s[b]) <= ' ') ++b;
    while (e > b && uint8_t(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// Reads one or more decimal digits (at most maxDigits) into v; advances p.
bool ReadNumber(std::string_view s, size_t& p, int maxDigits, int& v, int& digits) {
    v = 0;
    digits = 0;
    while (p < s.size() && IsDigit(s[p])) {
        if (++digits > maxDigits) return false;
        v = v * 10 + (s[p] - '0');
        ++p;
    }
    return digits > 0;
}

// Days from 1899-12-30 (the date-time origin) to the date.
int64_t DaysFromOrigin(int y, int m, int d) {
    // Days from 1970-01-01 by the civil calendar, then shifted.
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t unixDays = era * 146097 + doe - 719468;
    return unixDays + 25569;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return days[m - 1];
}

bool ReadDate(std::string_view s, double& v, const TFormatSettings& f) {
    int parts[3], digits[3];
    size_t p = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (p >= s.size() || s[p] != f.DateSeparator) return false;
            ++p;
        }
        if (!ReadNumber(s, p, 4, parts[i], digits[i])) return false;
    }
    if (p != s.size()) return false;
    int y, m, d, yDigits;
    switch (f.DateOrder) {
    case TFormatSettings::doDMY:
        d = parts[0], m = parts[1], y = parts[2], yDigits = digits[2];
        break;
    case TFormatSettings::doMDY:
        m = parts[0], d = parts[1], y = parts[2], yDigits = digits[2];
        break;
    default: y = parts[0], m = parts[1], d = parts[2], yDigits = digits[0]; break;
    }
    if (yDigits <= 2) y += y < 50 ? 2000 : 1900;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
    v = double(DaysFromOrigin(y, m, d));
    return true;
}

// Step 2 of the numeric-extended comparison reads integers strictly: an optional sign and
// decimal digits, of any length. Compares two such integers; false when either is not one.
bool CompareIntegers(std::string_view a, std::string_view b, int& result) {
    auto parse = [](std::string_view s, bool& neg, std::string_view& digits) {
        neg = false;
        if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
            neg = s[0] == '-';
            s.remove_prefix(1);
        }
        if (s.empty() || !std::all_of(s.begin(), s.end(), IsDigit)) return false;
        while (s.size() > 1 && s[0] == '0') s.remove_prefix(1);
        if (s == "0") neg = false;
        digits = s;
        return true;
    };
    bool na, nb;
    std::string_view da, db;
    if (!parse(a, na, da) || !parse(b, nb, db)) return false;
    if (na != nb) {
        result = na ? -1 : 1;
        return true;
    }
    int mag = da.size() != db.size() ? (da.size() < db.size() ? -1 : 1) : CompareCharCodes(da, db);
    result = na ? -mag : mag;
    return true;
}

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

}  // namespace

const TFormatSettings& SortFormatSettings() { return Settings(); }

void SetSortFormatSettings(const TFormatSettings& Value) {
    Settings() = Value;
    settingsSet = true;
}

bool SortFormatSettingsSet() { return settingsSet; }

bool TryTextToFloat(std::string_view s, double& v, const TFormatSettings& f) {
    s = TrimBlanks(s);
    std::string canon;
    canon.reserve(s.size());
    size_t p = 0;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        if (s[p] == '-') canon += '-';
        ++p;
    }
    size_t mantissa = 0;
    while (p < s.size() && IsDigit(s[p])) canon += s[p++], ++mantissa;
    if (p < s.size() && s[p] == f.DecimalSeparator) {
        canon += '.';
        ++p;
        while (p < s.size() && IsDigit(s[p])) canon += s[p++], ++mantissa;
    }
    if (mantissa == 0) return false;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        canon += 'e';
        ++p;
        if (p < s.size() && (s[p] == '+' || s[p] == '-')) canon += s[p++];
        size_t exp = 0;
        while (p < s.size() && IsDigit(s[p])) canon += s[p++], ++exp;
        if (exp == 0) return false;
    }
    if (p != s.size()) return false;
    if (canon.back() == '.') canon.pop_back();
    double out = 0;
    const auto r =
        std::from_chars(canon.data(), canon.data() + canon.size(), out, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != canon.data() + canon.size()) return false;
    v = out;
    return true;
}

bool TryTextToTime(std::string_view s, double& v, const TFormatSettings& f) {
    s = TrimBlanks(s);
    int h, m, sec = 0, ms = 0, dig;
    size_t p = 0;
    if (!ReadNumber(s, p, 2, h, dig)) return false;
    if (p >= s.size() || s[p] != f.TimeSeparator) return false;
    ++p;
    if (!ReadNumber(s, p, 2, m, dig)) return false;
    if (p < s.size() && s[p] == f.TimeSeparator) {
        ++p;
        if (!ReadNumber(s, p, 2, sec, dig)) return false;
        if (p < s.size() && s[p] == f.DecimalSeparator) {
            ++p;
            if (!ReadNumber(s, p, 3, ms, dig)) return false;
            for (; dig < 3; ++dig) ms *= 10;
        }
    }
    std::string_view rest = TrimBlanks(s.substr(p));
    if (!rest.empty()) {
        const bool am = !f.TimeAMString.empty() && SameText(rest, f.TimeAMString);
        const bool pm = !f.TimePMString.empty() && SameText(rest, f.TimePMString);
        if (!am && !pm) return false;
        if (h < 1 || h > 12) return false;
        if (h == 12) h = 0;
        if (pm) h += 12;
    }
    if (h > 23 || m > 59 || sec > 59) return false;
    v = (((h * 60.0 + m) * 60.0 + sec) * 1000.0 + ms) / 86400000.0;
    return true;
}

bool TryTextToDateTime(std::string_view s, double& v, const TFormatSettings& f) {
    s = TrimBlanks(s);
    size_t blank = 0;
    while (blank < s.size() && uint8_t(s[blank]) > ' ') ++blank;
    double day = 0;
    if (ReadDate(s.substr(0, blank), day, f)) {
        std::string_view rest = TrimBlanks(s.substr(blank));
        if (rest.empty()) {
            v = day;
            return true;
        }
        double t = 0;
        if (!TryTextToTime(rest, t, f)) return false;
        v = day + t;
        return true;
    }
    return TryTextToTime(s, v, f);
}

int CompareCharCodes(std::string_view a, std::string_view b) { return Sign(a.compare(b)); }

int CompareNumericExtended(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
    // Work strings reused between calls: a sort makes millions of these comparisons.
    thread_local std::string s1, s2;
    s1.clear();
    s2.clear();
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i] && !IsDigit(a[i])) continue;
        if (i == n - 1) {
            s1.append(a.substr(i));
            s2.append(b.substr(i));
        } else {
            s1 += a[i];
            s2 += b[i];
        }
    }
    // Equal non-digits counted from the ends take one character off the end of each; the
    // characters compared stay those of the strings before any was taken off.
    size_t n1 = s1.size(), n2 = s2.size();
    const size_t m = std::min(n1, n2);
    for (size_t j = 0; j < m; ++j) {
        const char c1 = s1[s1.size() - 1 - j], c2 = s2[s2.size() - 1 - j];
        if (c1 == c2 && !IsDigit(c1)) --n1, --n2;
    }
    const std::string_view w1(s1.data(), n1), w2(s2.data(), n2);
    // Texts that are alike in all but the skipped characters, or whose numbers are equal
    // ("a01", "a1"), are told apart by their characters, so the order stays consistent.
    if (w1 == w2) return CompareCharCodes(a, b);
    int r = 0;
    if (!CompareIntegers(w1, w2, r)) return CompareCharCodes(w1, w2);
    return r != 0 ? r : CompareCharCodes(a, b);
}

namespace {

bool ReadsNumbers(TSortStyle s) { return s == ssNumeric || s == ssDateTime || s == ssTime; }

bool ValueOf(TSortStyle s, std::string_view text, double& v) {
    switch (s) {
    case ssNumeric: return TryTextToFloat(text, v);
    case ssDateTime: return TryTextToDateTime(text, v);
    case ssTime: return TryTextToTime(text, v);
    default: return false;
    }
}

// The comparison entries of one key, by row, side by side so that a sort touches only what
// it compares: the key texts, and for the styles that read numbers the values read.
struct KeyEntries {
    TSortStyle style = ssNormal;
    std::vector<std::string> text;
    std::vector<double> value;
    std::vector<uint8_t> read;
    size_t readCount = 0;

    void Add(std::string key) {
        double v = 0;
        const bool ok = ReadsNumbers(style) && ValueOf(style, key, v);
        text.push_back(std::move(key));
        if (!ReadsNumbers(style)) return;
        value.push_back(v);
        read.push_back(ok);
        readCount += ok;
    }
    // Every entry read as a number: values alone decide.
    bool ByValue() const { return ReadsNumbers(style) && readCount == text.size(); }
    int Compare(size_t x, size_t y, const TSortCompare& custom) const {
        switch (style) {
        case ssNumeric:
        case ssDateTime:
        case ssTime:
            if (read[x] && read[y]) return value[x] < value[y] ? -1 : (value[x] > value[y] ? 1 : 0);
            return CompareCharCodes(text[x], text[y]);
        case ssNumericExtended: return CompareNumericExtended(text[x], text[y]);
        case ssCustom: return custom ? Sign(custom(text[x], text[y])) : 0;
        default: return CompareCharCodes(text[x], text[y]);
        }
    }
};

// A stable bottom-up merge sort of positions; `less` is asked only about positions inside
// the range, whatever it answers.
// Runs of firstRun positions are sorted by insertion first, each bounded by its own start.
// An order that is not consistent sorts differently by another pattern, so the pass per key
// keeps runs of 1, the pattern it always had.
template <class Less>
void MergeSort(std::vector<int>& v, Less less, size_t firstRun) {
    const size_t n = v.size();
    for (size_t lo = 0; lo < n; lo += firstRun) {
        const size_t hi = std::min(lo + firstRun, n);
        for (size_t i = lo + 1; i < hi; ++i) {
            const int x = v[i];
            size_t j = i;
            for (; j > lo && less(x, v[j - 1]); --j) v[j] = v[j - 1];
            v[j] = x;
        }
    }
    std::vector<int> buf(n);
    for (size_t width = firstRun; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) buf[k++] = less(v[j], v[i]) ? v[j++] : v[i++];
            while (i < mid) buf[k++] = v[i++];
            while (j < hi) buf[k++] = v[j++];
        }
        v.swap(buf);
    }
}

}  // namespace

int CompareCells(TSortStyle Style, std::string_view a, std::string_view b, bool CaseSensitive,
                 const TSortCompare& Custom) {
    KeyEntries k;
    k.style = Style;
    for (std::string_view t : {a, b})
        k.Add(CaseSensitive ? std::string(t) : UnicodeText::LowerCaseUtf8(t));
    return k.Compare(0, 1, Custom);
}

TSortStyle DetectSortStyle(const std::vector<std::string>& Cells) {
    bool numeric = true, dateTime = true, time = true;
    double v;
    for (const std::string& c : Cells) {
        if (numeric && !TryTextToFloat(c, v)) numeric = false;
        if (time && !TryTextToTime(c, v)) time = false;
        if (dateTime && !TryTextToDateTime(c, v)) dateTime = false;
        if (!numeric && !dateTime && !time) break;
    }
    if (numeric) return ssNumeric;
    if (dateTime) return ssDateTime;
    if (time) return ssTime;
    return ssNormal;
}

std::vector<int> SortKeyColumns(int Primary, std::string_view SecondaryIndex) {
    std::vector<int> keys{Primary};
    size_t p = 0;
    while (p <= SecondaryIndex.size()) {
        size_t comma = SecondaryIndex.find(',', p);
        if (comma == std::string_view::npos) comma = SecondaryIndex.size();
        const std::string_view item = TrimBlanks(SecondaryIndex.substr(p, comma - p));
        int col = 0;
        const auto r = std::from_chars(item.data(), item.data() + item.size(), col);
        if (!item.empty() && r.ec == std::errc() && r.ptr == item.data() + item.size() &&
            col >= 0 && std::find(keys.begin(), keys.end(), col) == keys.end())
            keys.push_back(col);
        p = comma + 1;
    }
    return keys;
}

namespace {

// True when the key's comparison is a consistent order over its entries, so that sorting
// by all keys at once orders as sorting by one key after another does. A reading style over
// cells of which only some read compares some pairs by value and others by text, and a
// custom function may answer anything: those keep the pass per key.
bool OrdersConsistently(const KeyEntries& k) {
    if (k.style == ssCustom) return false;
    return !ReadsNumbers(k.style) || k.readCount == 0 || k.readCount == k.text.size();
}

}  // namespace

std::vector<int> SortOrder(const std::vector<std::vector<std::string>>& Rows,
                           const TSortRequest& Request) {
    const size_t n = Rows.size();
    static const std::string empty;
    auto cell = [&](size_t row, int col) -> const std::string& {
        const auto& r = Rows[row];
        return col >= 0 && size_t(col) < r.size() ? r[size_t(col)] : empty;
    };
    // Each key's comparison entries are made once, the last key first (the order the style
    // is asked in), from the cells in the rows' order.
    std::vector<KeyEntries> keys(Request.Keys.size());
    std::vector<std::string> cells;
    for (size_t k = keys.size(); k-- > 0;) {
        const int col = Request.Keys[k];
        KeyEntries& key = keys[k];
        if (Request.StyleOf) {
            cells.resize(n);
            for (size_t j = 0; j < n; ++j) cells[j] = cell(j, col);
            key.style = Request.StyleOf(col, cells);
        }
        key.text.reserve(n);
        for (size_t j = 0; j < n; ++j)
            key.Add(Request.CaseSensitive ? cell(j, col)
                                          : UnicodeText::LowerCaseUtf8(cell(j, col)));
    }
    const bool descending = Request.Direction == sdDescending;
    auto before = [&](const KeyEntries& key, int x, int y, int& r) {
        r = key.Compare(size_t(x), size_t(y), Request.Custom);
        return descending ? r > 0 : r < 0;
    };
    std::vector<int> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = int(i);
    if (std::all_of(keys.begin(), keys.end(), OrdersConsistently)) {
        // One sort: the first key that tells two rows apart decides, else their order.
        MergeSort(
            order,
            [&](int x, int y) {
                for (const KeyEntries& key : keys) {
                    const size_t a = size_t(x), b = size_t(y);
                    int r;
                    if (key.ByValue())
                        r = key.value[a] < key.value[b] ? -1
                                                        : (key.value[b] < key.value[a] ? 1 : 0);
                    else if (key.style == ssNumericExtended)
                        r = CompareNumericExtended(key.text[a], key.text[b]);
                    else r = key.text[a].compare(key.text[b]);  // no custom key comes here
                    if (r != 0) return descending ? r > 0 : r < 0;
                }
                return x < y;
            },
            16);
        return order;
    }
    // A stable pass per key, the last key first; ties go by the place a row has now.
    std::vector<int> places(n), next(n);
    for (size_t k = keys.size(); k-- > 0;) {
        for (size_t j = 0; j < n; ++j) places[j] = int(j);
        MergeSort(
            places,
            [&](int x, int y) {
                const int rx = order[size_t(x)], ry = order[size_t(y)];
                int r = 0;
                const bool b = before(keys[k], rx, ry, r);
                return r != 0 ? b : x < y;
            },
            1);
        for (size_t j = 0; j < n; ++j) next[j] = order[size_t(places[j])];
        order.swap(next);
    }
    return order;
}

std::vector<int> FilterOrder(const std::vector<bool>& Accepted) {
    std::vector<int> order;
    order.reserve(Accepted.size());
    for (size_t i = 0; i < Accepted.size(); ++i)
        if (Accepted[i]) order.push_back(int(i));
    for (size_t i = 0; i < Accepted.size(); ++i)
        if (!Accepted[i]) order.push_back(int(i));
    return order;
}

}  // namespace kiv
