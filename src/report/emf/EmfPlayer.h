#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>

class QPainter;

namespace report::emf {

// What replaying a picture asks of the painter: its records, the characters it draws, and
// the area it paints (fills, lines, text backgrounds and glyph boxes, each inside the page
// and its clip) counted in whole pages.
struct DrawingWork {
    qint64 records = 0;
    qint64 glyphs = 0;
    double paintedArea = 0; // in device pixels of the picture's reference device
    double pageArea = 1;

    double pagesPainted() const { return paintedArea / pageArea; }
};

// Reads Enhanced Metafile pictures. Nothing in a picture is trusted: every record is checked
// against the picture's length before it is read, and unknown records are skipped.
class EmfPlayer {
public:
    // Checks a whole picture: header, declared length, record chain, end record and record
    // count. Returns an empty text for a sound picture, otherwise what is wrong.
    static QString validate(const QByteArray &picture);

    // The total length in bytes that the header at the start of data declares, or -1 when
    // the bytes cannot be the start of a picture (too short, wrong type or signature).
    static qint64 declaredSize(const char *data, qint64 available);

    // The work that drawing a sound picture (one that passes validate()) asks for.
    static DrawingWork measure(const QByteArray &picture);

    // Most work one page may ask for. A page of the equipment list on the tallest paper
    // stays far below each of these; beyond them a page takes seconds to draw, at every
    // repaint and print.
    static constexpr qint64 kMaxRecords = 60000;
    static constexpr qint64 kMaxGlyphs = 60000;
    static constexpr double kMaxPagesPainted = 300;

    // Empty when a sound picture stays within those bounds, otherwise what it asks too much
    // of.
    static QString checkWork(const QByteArray &picture);

    // Draws the picture with its frame stretched onto target and clipped to it, leaving the
    // painter's state (pen, brush, font, transform, clip) as it was. A picture that fails
    // validate() draws nothing.
    static void play(const QByteArray &picture, QPainter &painter, const QRectF &target);
};

} // namespace report::emf
