#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

class QIODevice;

// The report file's layout, shared by the page store and the fuzzing target.
namespace report::qrfile {

constexpr int kHeaderSize = 372;
// Largest page side accepted from a file, in page units (about 100 m at 96 per inch).
constexpr int kMaxPageUnits = 400000;

struct Contents {
    int pageWidth = 0;
    int pageHeight = 0;
    bool portrait = true;
    std::vector<QByteArray> pages;
};

QByteArray makeHeader(int pageWidth, int pageHeight, int pixelsPerInch, int pageCount,
                      const QDateTime &written, bool portrait);

// Reads a whole report file. Every count, size and offset is checked against the file's
// length before anything is allocated for it, and every page must be a sound picture;
// throws EQRError naming what is wrong otherwise.
// onPage is told each page's number before it is read. With keep, each sound picture is
// handed over as soon as it is read instead of being collected in the result.
Contents parse(QIODevice &file, const QString &fileName,
               const std::function<void(int page, int count)> &onPage = {},
               const std::function<void(QByteArray &&picture)> &keep = {});

} // namespace report::qrfile
