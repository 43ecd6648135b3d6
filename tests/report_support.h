#pragma once
// Helpers of the report tests: an independent reading of recorded pages, a PDF printer of a
// chosen printable size, and an equipment table of a chosen number of rows.

#include "report/QRPrinter.h"
#include "support/TempCatalogue.h"

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace reporttest {

// Records n pages into the store, drawing page i (from 1) with draw(i).
template <typename Draw> void recordPages(report::TQRPrinter &store, int n, Draw draw) {
    store.BeginPages();
    for (int i = 1; i <= n; ++i) {
        if (i > 1)
            store.AddPage();
        draw(i);
    }
    store.EndPages();
}

inline std::uint32_t u32(const QByteArray &d, qsizetype at) {
    std::uint32_t v;
    std::memcpy(&v, d.constData() + at, 4);
    return v;
}
inline std::int32_t i32(const QByteArray &d, qsizetype at) {
    return std::int32_t(u32(d, at));
}

// A text as a page records it.
struct Text {
    int x = 0, y = 0;
    QString text;
    std::uint32_t align = 0;
    QRect rect; // left, top, right, bottom as recorded (QRect's right() is right - 1)
    std::uint32_t options = 0;
    int fontHeight = 0;
    int fontWidth = 0; // average character width, 0 for the face's own
    QString face;
    std::uint32_t background = 0;
};

// A rectangle filled without a pen, as recorded (one unit larger right and bottom).
struct Fill {
    int left, top, right, bottom;
    std::uint32_t color;
};

struct Line {
    int x0, y0, x1, y1;
};

struct Page {
    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<Line> lines;
    std::vector<std::uint32_t> recordSizes;
    std::uint32_t lastRecordType = 0;

    QStringList strings() const {
        QStringList out;
        for (const Text &t : texts)
            out << t.text;
        return out;
    }
    const Text *find(const QString &text) const {
        for (const Text &t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }
};

// Reads the records the report pages use, without the program's own player.
inline Page decode(const QByteArray &d) {
    Page page;
    std::map<std::uint32_t, std::uint32_t> brushes;
    struct Font {
        int height = 0, width = 0;
        QString face;
    };
    std::map<std::uint32_t, Font> fonts;
    std::uint32_t brush = 0xFFFFFF, bk = 0xFFFFFF;
    bool nullPen = false;
    Font font;
    int px = 0, py = 0;
    qsizetype at = 0;
    while (at + 8 <= d.size()) {
        const std::uint32_t type = u32(d, at), size = u32(d, at + 4);
        page.recordSizes.push_back(size);
        page.lastRecordType = type;
        if (size < 8 || at + size > d.size())
            break;
        switch (type) {
        case 39: // brush
            brushes[u32(d, at + 8)] = u32(d, at + 16);
            break;
        case 82: { // font
            QString face;
            for (int i = 0; i < 32; ++i) {
                const char16_t c = char16_t(u32(d, at + 12 + 28 + 2 * i) & 0xFFFF);
                if (!c)
                    break;
                face += QChar(c);
            }
            fonts[u32(d, at + 8)] = {i32(d, at + 12), i32(d, at + 16), face};
            break;
        }
        case 37: { // select
            const std::uint32_t h = u32(d, at + 8);
            if (h == 0x80000008)
                nullPen = true;
            else if (brushes.count(h))
                brush = brushes[h];
            else if (fonts.count(h))
                font = fonts[h];
            else if (!(h & 0x80000000))
                nullPen = false; // a pen of its own
            break;
        }
        case 25:
            bk = u32(d, at + 8);
            break;
        case 43:
            if (nullPen)
                page.fills.push_back(
                    {i32(d, at + 8), i32(d, at + 12), i32(d, at + 16), i32(d, at + 20), brush});
            break;
        case 27:
            px = i32(d, at + 8);
            py = i32(d, at + 12);
            break;
        case 54:
            page.lines.push_back({px, py, i32(d, at + 8), i32(d, at + 12)});
            px = i32(d, at + 8);
            py = i32(d, at + 12);
            break;
        case 22: // text align
            page.texts.push_back({});
            page.texts.back().align = u32(d, at + 8);
            page.texts.back().text = QStringLiteral("\x01align");
            break;
        case 84: {
            Text t;
            t.x = i32(d, at + 36);
            t.y = i32(d, at + 40);
            const std::uint32_t n = u32(d, at + 44), off = u32(d, at + 48);
            t.options = u32(d, at + 52);
            t.rect = QRect(QPoint(i32(d, at + 56), i32(d, at + 60)),
                           QPoint(i32(d, at + 64) - 1, i32(d, at + 68) - 1));
            for (std::uint32_t i = 0; i < n; ++i)
                t.text += QChar(char16_t(u32(d, at + off + 2 * i) & 0xFFFF));
            t.fontHeight = font.height;
            t.fontWidth = font.width;
            t.face = font.face;
            t.background = bk;
            page.texts.push_back(t);
            break;
        }
        default:
            break;
        }
        at += size;
    }
    // Carry each alignment record into the texts that follow it.
    std::vector<Text> texts;
    std::uint32_t align = 0;
    for (Text &t : page.texts) {
        if (t.text == QStringLiteral("\x01align")) {
            align = t.align;
            continue;
        }
        t.align = align;
        texts.push_back(t);
    }
    page.texts = texts;
    return page;
}

// A PDF printer whose printable area is exactly the given size in inches.
inline std::unique_ptr<QPrinter> pdfPrinter(const QString &file, double widthInches,
                                            double heightInches) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    printer->setPageLayout(QPageLayout(QPageSize(QSizeF(widthInches, heightInches), QPageSize::Inch,
                                                 QString(), QPageSize::ExactMatch),
                                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                       QPageLayout::Inch));
    return printer;
}

// An Equipment table holding rows numbered from 1: Name "Weapon n", Code n, numbers from n.
inline void makeEquipment(TempCatalogue &cat, int rows) {
    cat.exec({QStringLiteral("CREATE TABLE Equipment (Code INTEGER PRIMARY KEY, Name TEXT, "
                             "Abbrev TEXT, HeatToUser INTEGER, DamageToTarget INTEGER, RangeMin "
                             "INTEGER, RangeS INTEGER, RangeM INTEGER, RangeL INTEGER, Weight "
                             "REAL, Crits INTEGER, Ammo INTEGER)"),
              QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < %1) INSERT INTO Equipment SELECT i, 'Weapon ' || i, "
                             "'W' || i, i % 30, i % 25, i % 4, i % 7 + 1, i % 14 + 2, i % 21 + 3, "
                             "(i % 40) / 2.0, i % 12 + 1, i % 3 FROM n")
                  .arg(rows)});
    if (rows == 0)
        cat.exec({QStringLiteral("DELETE FROM Equipment")});
}

// An Equipment table of the given number of rows, every printed field at its widest: the
// code and name in capital Ws, the numbers with all their digits and a sign.
inline void makeWidestEquipment(TempCatalogue &cat, int rows) {
    cat.exec({QStringLiteral("CREATE TABLE Equipment (Code TEXT, Name TEXT, HeatToUser TEXT, "
                             "DamageToTarget TEXT, RangeMin TEXT, RangeS TEXT, RangeM TEXT, "
                             "RangeL TEXT, Weight TEXT, Crits TEXT, Ammo TEXT)"),
              QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < %1) INSERT INTO Equipment SELECT 'WWWWWWWW', "
                             "'WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW', '-32768', '-32768', "
                             "'-32768', '-32768', '-32768', '-32768', '-12345.6789', "
                             "'-32768', '-32768' FROM n")
                  .arg(rows)});
}

} // namespace reporttest
