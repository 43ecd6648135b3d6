// libFuzzer target for the readers of untrusted bytes: report files and their page pictures.
// Each input is read as a report file (every page that passes is also drawn) and, on its own,
// as one picture that is checked and drawn. Nothing may crash, hang, leak or read out of
// bounds; refusing the input with an error is the expected outcome for most of them.
//
// KORVANDEL_FUZZ_SEEDS=DIR makes the target write a sound report file and picture into DIR
// and exit, as the starting corpus.
#include "report/QRError.h"
#include "report/QRReportFile.h"
#include "report/emf/EmfPlayer.h"
#include "report/emf/EmfWriter.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

using namespace report;

namespace {

QByteArray seedPage(int n) {
    emf::EmfWriter w(816, 1056, 96);
    w.setBrush(0x0080FFFF);
    w.fillRect(QRect(0, 169, 816, 15));
    emf::LogFont font;
    font.height = -16;
    font.face = QStringLiteral("Times New Roman");
    w.setFont(font);
    w.textOut(292, 169, QStringLiteral("Weapon %1 ").arg(n), emf::TA_RIGHT, QRect(200, 169, 92, 19),
              true, true);
    w.setPen(0, 1);
    w.moveTo(0, 200);
    w.lineTo(815, 200);
    w.saveDC();
    w.intersectClipRect(QRect(0, 0, 100, 100));
    w.restoreDC();
    return w.finish();
}

void writeSeeds(const QString &dir) {
    QDir().mkpath(dir);
    QByteArray file = qrfile::makeHeader(816, 1056, 96, 2, QDateTime::currentDateTime(), true);
    for (int i = 1; i <= 2; ++i) {
        const std::int32_t start = std::int32_t(file.size());
        file += seedPage(i);
        file.append(reinterpret_cast<const char *>(&start), 4);
    }
    QFile report(dir + QStringLiteral("/seed.QRP"));
    if (report.open(QIODevice::WriteOnly))
        report.write(file);
    QFile page(dir + QStringLiteral("/seed.emf"));
    if (page.open(QIODevice::WriteOnly))
        page.write(seedPage(1));
}

void draw(const QByteArray &picture) {
    static QImage image(64, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    emf::EmfPlayer::play(picture, painter, QRectF(0, 0, 64, 64));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    const QString seeds = qEnvironmentVariable("KORVANDEL_FUZZ_SEEDS");
    if (!seeds.isEmpty()) {
        writeSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        const qrfile::Contents contents = qrfile::parse(buffer, QStringLiteral("fuzz.QRP"));
        for (const QByteArray &page : contents.pages)
            draw(page);
    } catch (const EQRError &) {
        // Refused: the expected end for a damaged file.
    }
    emf::EmfPlayer::validate(QByteArray(bytes.constData(), bytes.size()));
    draw(QByteArray(bytes.constData(), bytes.size()));
    return 0;
}
