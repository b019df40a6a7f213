#include "platform/qt/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>

namespace kiv {

namespace {

enum class Kind { Sans, Serif, Mono, Symbol };

struct Substitute {
    const char* windowsName;
    Kind kind;
    const char* candidates[5];
};

// Metric-compatible families first (Liberation, Croscore, Carlito/Caladea), then look-alikes.
constexpr Substitute kTable[] = {
    {"Arial",
     Kind::Sans,
     {"Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "DejaVu Sans"}},
    {"Helvetica",
     Kind::Sans,
     {"Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "DejaVu Sans"}},
    {"Arial Narrow",
     Kind::Sans,
     {"Liberation Sans Narrow", "Nimbus Sans Narrow", "DejaVu Sans Condensed", nullptr, nullptr}},
    {"MS Sans Serif",
     Kind::Sans,
     {"DejaVu Sans", "Liberation Sans", "Noto Sans", "Arimo", nullptr}},
    {"Microsoft Sans Serif",
     Kind::Sans,
     {"DejaVu Sans", "Liberation Sans", "Noto Sans", "Arimo", nullptr}},
    {"MS Shell Dlg", Kind::Sans, {"DejaVu Sans", "Liberation Sans", "Noto Sans", nullptr, nullptr}},
    {"MS Shell Dlg 2",
     Kind::Sans,
     {"DejaVu Sans", "Liberation Sans", "Noto Sans", nullptr, nullptr}},
    {"Small Fonts", Kind::Sans, {"DejaVu Sans", "Liberation Sans", "Noto Sans", nullptr, nullptr}},
    {"System", Kind::Sans, {"DejaVu Sans", "Liberation Sans", "Noto Sans", nullptr, nullptr}},
    {"Tahoma", Kind::Sans, {"DejaVu Sans", "Liberation Sans", "Noto Sans", "Arimo", nullptr}},
    {"Verdana", Kind::Sans, {"DejaVu Sans", "Noto Sans", "Liberation Sans", nullptr, nullptr}},
    {"Segoe UI", Kind::Sans, {"Noto Sans", "DejaVu Sans", "Liberation Sans", nullptr, nullptr}},
    {"Trebuchet MS", Kind::Sans, {"DejaVu Sans", "Noto Sans", "Liberation Sans", nullptr, nullptr}},
    {"Lucida Sans Unicode",
     Kind::Sans,
     {"DejaVu Sans", "Noto Sans", "Liberation Sans", nullptr, nullptr}},
    {"Calibri", Kind::Sans, {"Carlito", "Liberation Sans", "DejaVu Sans", nullptr, nullptr}},
    {"Comic Sans MS",
     Kind::Sans,
     {"Comic Neue", "DejaVu Sans", "Liberation Sans", nullptr, nullptr}},
    {"Times New Roman",
     Kind::Serif,
     {"Liberation Serif", "Tinos", "Nimbus Roman", "Nimbus Roman No9 L", "DejaVu Serif"}},
    {"Times", Kind::Serif, {"Liberation Serif", "Tinos", "Nimbus Roman", "DejaVu Serif", nullptr}},
    {"MS Serif", Kind::Serif, {"Liberation Serif", "DejaVu Serif", "Noto Serif", nullptr, nullptr}},
    {"Georgia",
     Kind::Serif,
     {"Gelasio", "DejaVu Serif", "Liberation Serif", "Noto Serif", nullptr}},
    {"Cambria", Kind::Serif, {"Caladea", "Liberation Serif", "DejaVu Serif", nullptr, nullptr}},
    {"Book Antiqua",
     Kind::Serif,
     {"TeX Gyre Pagella", "DejaVu Serif", "Liberation Serif", nullptr, nullptr}},
    {"Garamond",
     Kind::Serif,
     {"EB Garamond", "DejaVu Serif", "Liberation Serif", nullptr, nullptr}},
    {"Courier New",
     Kind::Mono,
     {"Liberation Mono", "Cousine", "Nimbus Mono PS", "Nimbus Mono L", "DejaVu Sans Mono"}},
    {"Courier",
     Kind::Mono,
     {"Liberation Mono", "Cousine", "Nimbus Mono PS", "DejaVu Sans Mono", nullptr}},
    {"Lucida Console",
     Kind::Mono,
     {"DejaVu Sans Mono", "Liberation Mono", "Noto Mono", nullptr, nullptr}},
    {"Consolas",
     Kind::Mono,
     {"DejaVu Sans Mono", "Liberation Mono", "Noto Mono", nullptr, nullptr}},
    {"Fixedsys", Kind::Mono, {"DejaVu Sans Mono", "Liberation Mono", nullptr, nullptr, nullptr}},
    {"Terminal", Kind::Mono, {"DejaVu Sans Mono", "Liberation Mono", nullptr, nullptr, nullptr}},
    {"Symbol", Kind::Symbol, {"Standard Symbols PS", "OpenSymbol", "Symbola", nullptr, nullptr}},
    {"Wingdings", Kind::Symbol, {"OpenSymbol", "Symbola", "DejaVu Sans", nullptr, nullptr}},
    {"Webdings", Kind::Symbol, {"OpenSymbol", "Symbola", "DejaVu Sans", nullptr, nullptr}},
};

QString GenericFamily(Kind kind) {
    switch (kind) {
    case Kind::Mono: return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    case Kind::Serif: {
        QFont f(QStringLiteral("Serif"));
        f.setStyleHint(QFont::Serif);
        return QFontInfo(f).family();
    }
    case Kind::Sans:
    case Kind::Symbol: break;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QString Resolve(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) return GenericFamily(Kind::Sans);
    if (QFontDatabase::hasFamily(trimmed)) return trimmed;
    for (const auto& s : kTable) {
        if (trimmed.compare(QLatin1String(s.windowsName), Qt::CaseInsensitive) != 0) continue;
        for (const char* c : s.candidates)
            if (c && QFontDatabase::hasFamily(QString::fromLatin1(c)))
                return QString::fromLatin1(c);
        return GenericFamily(s.kind);
    }
    return trimmed;
}

}  // namespace

QString SubstituteFontName(const QString& storedName) {
    // Asking the font database is slow and the answer does not change while we run.
    static QHash<QString, QString> cache;
    const QString key = storedName.toLower();
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    QString family = Resolve(storedName);
    cache.insert(key, family);
    return family;
}

QFont FontFromStored(const QString& storedName, int pointSize, TFontStyles styles) {
    QFont f(SubstituteFontName(storedName));
    if (pointSize > 0) f.setPointSize(pointSize);
    f.setBold(styles & fsBold);
    f.setItalic(styles & fsItalic);
    f.setUnderline(styles & fsUnderline);
    f.setStrikeOut(styles & fsStrikeOut);
    return f;
}

TFontStyles StylesOf(const QFont& f) {
    TFontStyles s = 0;
    if (f.bold()) s |= fsBold;
    if (f.italic()) s |= fsItalic;
    if (f.underline()) s |= fsUnderline;
    if (f.strikeOut()) s |= fsStrikeOut;
    return s;
}

}  // namespace kiv
