// Page pictures: what the writer records, what independent readers rely on, what the player
// draws, and that damaged pictures are refused.
#include "controls/Fonts.h"
#include "report/emf/EmfPlayer.h"
#include "report/emf/EmfWriter.h"
#include "report/emf/LogFont.h"
#include "report_support.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace report;
using namespace reporttest;

namespace {

QByteArray samplePage() {
    emf::EmfWriter w(816, 1056, 96);
    w.setBrush(0x0080FFFF);
    w.fillRect(QRect(0, 100, 816, 15));
    emf::LogFont font;
    font.height = -16;
    font.face = QStringLiteral("Times New Roman");
    w.setFont(font);
    w.setBrush(0x00FFFFFF);
    w.textOut(100, 200, QStringLiteral("Heat 12 "), emf::TA_RIGHT, QRect(20, 200, 80, 19), true,
              false);
    w.textOut(400, 300, QStringLiteral("Vantrel"), emf::TA_CENTER, QRect(300, 300, 200, 45), false,
              true);
    w.setPen(0, 1);
    w.moveTo(0, 500);
    w.lineTo(815, 500);
    return w.finish();
}

} // namespace

class TestReportEmf : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() { controls::installFontSubstitutes(); }

    void headerIsExact() {
        const QByteArray d = samplePage();
        QCOMPARE(u32(d, 0), 1u);
        QCOMPARE(u32(d, 4), 108u);
        QCOMPARE(u32(d, 40), 0x464D4520u);
        QCOMPARE(qsizetype(u32(d, 48)), d.size()); // byte count
        const Page page = decode(d);
        QCOMPARE(u32(d, 52), std::uint32_t(page.recordSizes.size())); // record count
        for (std::uint32_t size : page.recordSizes)
            QCOMPARE(size % 4, 0u);
        QCOMPARE(page.lastRecordType, 14u);
        QCOMPARE(u32(d, d.size() - 4), 20u);
        // Handles: the fill's brush, the font and the pen (texts fill with the background
        // colour, not a brush), plus the reserved slot 0.
        QCOMPARE(int(u32(d, 56) & 0xFFFF), 4);
        // A 96-dpi reference device: pixels and millimetres in proportion.
        QCOMPARE(i32(d, 72) * 254, i32(d, 80) * 960);
        QCOMPARE(i32(d, 76) * 254, i32(d, 84) * 960);
        // Frame: the page in 0.01 mm (816 x 1056 units at 96 per inch = 8.5 x 11 inches).
        QCOMPARE(i32(d, 24), 0);
        QCOMPARE(i32(d, 32), 21590 - 1);
        QCOMPARE(i32(d, 36), 27940 - 1);
        // Bounds cover the page.
        QCOMPARE(i32(d, 16), 815);
        QCOMPARE(i32(d, 20), 1055);
        QVERIFY(emf::EmfPlayer::validate(d).isEmpty());
    }

    void recordsAreWhatReadersExpect() {
        const Page page = decode(samplePage());
        QCOMPARE(int(page.fills.size()), 1);
        // Filled without a pen: recorded one unit larger right and bottom.
        QCOMPARE(page.fills[0].right, 817);
        QCOMPARE(page.fills[0].bottom, 116);
        QCOMPARE(page.fills[0].color, 0x0080FFFFu);
        QCOMPARE(int(page.texts.size()), 2);
        QCOMPARE(page.texts[0].options, 2u); // opaque
        QCOMPARE(page.texts[0].rect, QRect(QPoint(20, 200), QPoint(99, 218)));
        QCOMPARE(page.texts[1].options, 4u); // clipped
        QCOMPARE(page.texts[1].align, std::uint32_t(emf::TA_CENTER));
        QCOMPARE(page.texts[1].face, QStringLiteral("Times New Roman"));
        // No spacing array: readers use the font's own advances.
        const QByteArray d = samplePage();
        qsizetype at = 0;
        while (at < d.size()) {
            if (u32(d, at) == 84)
                QCOMPARE(u32(d, at + 72), 0u);
            at += u32(d, at + 4);
        }
    }

    void damagedPicturesAreRefused_data() {
        QTest::addColumn<QByteArray>("picture");
        const QByteArray good = samplePage();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut in the header") << good.left(60);
        QTest::newRow("cut before the end") << good.left(good.size() - 20);
        QByteArray wrongCount = good;
        emf::putU32(wrongCount, 52, 3);
        QTest::newRow("record count") << wrongCount;
        QByteArray oddSize = good;
        emf::putU32(oddSize, 108 + 4, 13);
        QTest::newRow("record size not a multiple of 4") << oddSize;
        QByteArray hugeSize = good;
        emf::putU32(hugeSize, 108 + 4, 0x7FFFFFF0);
        QTest::newRow("record past the end") << hugeSize;
        QByteArray noSignature = good;
        emf::putU32(noSignature, 40, 0);
        QTest::newRow("signature") << noSignature;
        QByteArray textPastRecord = good;
        for (qsizetype at = 0; at < good.size(); at += u32(good, at + 4))
            if (u32(good, at) == 84) {
                emf::putU32(textPastRecord, int(at + 44), 100000); // nChars
                break;
            }
        QTest::newRow("text past its record") << textPastRecord;
    }
    void damagedPicturesAreRefused() {
        QFETCH(QByteArray, picture);
        QVERIFY(!emf::EmfPlayer::validate(picture).isEmpty());
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        emf::EmfPlayer::play(picture, painter, QRectF(0, 0, 100, 100)); // draws nothing
        painter.end();
        QCOMPARE(image.pixel(50, 50), qRgb(255, 255, 255));
    }

    // The player stretches the frame onto the target and leaves the painter as it was.
    void playerScalesAndKeepsPainterState() {
        emf::EmfWriter w(100, 100, 96);
        w.setBrush(0x000000FF); // red
        w.fillRect(QRect(50, 0, 50, 50));
        const QByteArray d = w.finish();
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        const QPen pen(Qt::green, 3);
        painter.setPen(pen);
        painter.setBrush(Qt::blue);
        painter.translate(10, 0);
        const QTransform before = painter.worldTransform();
        emf::EmfPlayer::play(d, painter, QRectF(0, 0, 100, 100));
        QCOMPARE(painter.pen(), pen);
        QCOMPARE(painter.brush().color(), QColor(Qt::blue));
        QCOMPARE(painter.worldTransform(), before);
        painter.end();
        QCOMPARE(image.pixel(10 + 75, 25), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(10 + 25, 25), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(10 + 75, 75), qRgb(255, 255, 255));
    }

    // What a page draws left of or above its printable area (a right-aligned text running
    // past the left edge, its opaque box, a band's fill or line) is cut off at the target.
    void playerClipsToTheTarget_data() {
        QTest::addColumn<QString>("drawing");
        QTest::newRow("fill") << "fill";
        QTest::newRow("line") << "line";
        QTest::newRow("opaque text") << "opaque text";
        QTest::newRow("transparent text") << "transparent text";
    }
    void playerClipsToTheTarget() {
        QFETCH(QString, drawing);
        emf::EmfWriter w(100, 100, 96);
        w.setBrush(0x000000FF); // red
        w.setTextColor(0x000000FF);
        w.setPen(0x000000FF, 4);
        emf::LogFont font;
        font.height = -30;
        w.setFont(font);
        if (drawing == QLatin1String("fill")) {
            w.fillRect(QRect(QPoint(-40, -40), QPoint(59, 59)));
        } else if (drawing == QLatin1String("line")) {
            w.moveTo(-40, 20);
            w.lineTo(60, 20);
        } else {
            const bool opaque = drawing == QLatin1String("opaque text");
            w.textOut(40, 10, QStringLiteral("WWWWWW"), emf::TA_RIGHT,
                      QRect(QPoint(-80, 10), QPoint(39, 49)), opaque, false);
        }
        const QByteArray d = w.finish();
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        emf::EmfPlayer::play(d, painter, QRectF(50, 50, 100, 100));
        painter.end();
        int inside = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x) {
                if (image.pixel(x, y) == qRgb(255, 255, 255))
                    continue;
                QVERIFY2(x >= 50 && y >= 50,
                         qPrintable(QStringLiteral("drawn at %1, %2").arg(x).arg(y)));
                ++inside;
            }
        QVERIFY(inside > 0);
    }

    // A font recorded with a smaller average character width draws its face condensed, in
    // proportion; a width beyond the face's own does not widen it.
    void playerCondensesByTheRecordedWidth_data() {
        QTest::addColumn<double>("widthShare"); // of the face's own average character width
        QTest::addColumn<double>("inkShare");   // expected ink width, of the face's own
        QTest::newRow("own") << 0.0 << 1.0;
        QTest::newRow("four fifths") << 0.8 << 0.8;
        QTest::newRow("half") << 0.5 << 0.5;
        QTest::newRow("wider") << 2.0 << 1.0;
    }
    void playerCondensesByTheRecordedWidth() {
        QFETCH(double, widthShare);
        QFETCH(double, inkShare);
        // Ink width in pixels of a text drawn by the player with the given recorded width.
        const auto inkWidth = [](int recordedWidth) {
            emf::EmfWriter w(400, 60, 96);
            emf::LogFont font;
            font.height = -40;
            font.width = recordedWidth;
            font.face = QStringLiteral("Times New Roman");
            w.setFont(font);
            w.textOut(10, 10, QStringLiteral("SRM2OS"), emf::TA_LEFT, QRect(), false, false);
            QImage image(400, 60, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            emf::EmfPlayer::play(w.finish(), painter, QRectF(0, 0, 400, 60));
            painter.end();
            int left = 400, right = -1;
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 400; ++x)
                    if (qGray(image.pixel(x, y)) < 128) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
            return right - left + 1;
        };
        emf::LogFont own;
        own.height = -40;
        own.face = QStringLiteral("Times New Roman");
        const int recorded = int(std::lround(emf::averageCharWidth(own) * widthShare));
        const int full = inkWidth(0), drawn = inkWidth(recorded);
        QVERIFY(full > 100);
        QVERIFY2(qAbs(drawn - full * inkShare) <= full * 0.04,
                 qPrintable(QStringLiteral("%1 of %2 pixels").arg(drawn).arg(full)));
    }

    // An independent reader finds the texts: the picture is a real Enhanced Metafile.
    void independentReaderFindsTheTexts() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
        if (tool.isEmpty())
            QSKIP("emf2svg-conv is not installed");
        const QString in = dir.filePath(QStringLiteral("page.emf"));
        const QString out = dir.filePath(QStringLiteral("page.svg"));
        QFile file(in);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(samplePage());
        file.close();
        QProcess conv;
        conv.start(tool, {QStringLiteral("-i"), in, QStringLiteral("-o"), out});
        QVERIFY(conv.waitForFinished(30000));
        QCOMPARE(conv.exitCode(), 0);
        QFile svg(out);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray text = svg.readAll();
        QVERIFY(text.contains("Heat 12"));
        QVERIFY(text.contains("Vantrel"));
        QVERIFY(text.contains("Times New Roman"));
    }
};

QTEST_MAIN(TestReportEmf)
#include "tst_report_emf.moc"
