#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>

class QPainter;

namespace emf {

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

    // Draws the picture with its frame stretched onto target and clipped to it, leaving the
    // painter's state (pen, brush, font, transform, clip) as it was. A picture that fails
    // validate() draws nothing.
    static void play(const QByteArray &picture, QPainter &painter, const QRectF &target);
};

} // namespace emf
