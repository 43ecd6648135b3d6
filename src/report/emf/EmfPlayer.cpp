#include "report/emf/EmfPlayer.h"

#include "report/emf/EmfFormat.h"
#include "report/emf/LogFont.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace report::emf {

namespace {

// Smallest size of each record that the player reads; shorter records make the picture
// invalid. Records not listed are skipped unread.
qint64 minimumRecordSize(std::uint32_t type) {
    switch (type) {
    case EMR_HEADER:
        return 88;
    case EMR_EOF:
        return kEofSize;
    case EMR_SAVEDC:
        return 8;
    case EMR_SETMAPMODE:
    case EMR_SETBKMODE:
    case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
    case EMR_RESTOREDC:
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
        return 12;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_MOVETOEX:
    case EMR_LINETO:
        return 16;
    case EMR_INTERSECTCLIPRECT:
    case EMR_RECTANGLE:
    case EMR_CREATEBRUSHINDIRECT:
        return 24;
    case EMR_CREATEPEN:
        return 28;
    case EMR_EXTCREATEFONTINDIRECTW:
        return 12 + 92;
    case EMR_EXTTEXTOUTW:
        return 76;
    default:
        return 8;
    }
}

QColor toColor(ColorRef c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QRectF rectAt(const char *p) {
    const double l = readI32(p), t = readI32(p + 4), r = readI32(p + 8), b = readI32(p + 12);
    return QRectF(QPointF(l, t), QPointF(r, b));
}

// The longest text run drawn character by character with a spacing array.
constexpr qint64 kMaxTextChars = 8192;

struct GdiObject {
    enum Kind { None, Pen, Brush, Font } kind = None;
    ColorRef color = 0;
    std::uint32_t style = 0;
    int width = 0;
    QFont font;
};

struct DcState {
    std::uint32_t mapMode = MM_TEXT;
    QPointF winOrg, vpOrg;
    QSizeF winExt{1, 1}, vpExt{1, 1};
    GdiObject pen{GdiObject::Pen, 0, PS_SOLID, 1, {}};
    GdiObject brush{GdiObject::Brush, 0x00FFFFFF, BS_SOLID, 0, {}};
    QFont font;
    ColorRef textColor = 0;
    ColorRef bkColor = 0x00FFFFFF;
    std::uint32_t bkMode = OPAQUE;
    std::uint32_t textAlign = 0;
    QPointF pos;
    std::optional<QRectF> clip; // in reference device units
};

// The picture's frame (0.01 mm, inclusive) on its reference device, in device pixels.
QRectF frameOnDevice(const char *h) {
    const QRectF frame = rectAt(h + 24);
    const double devW = readI32(h + 72), devH = readI32(h + 76);
    const double mmW = readI32(h + 80), mmH = readI32(h + 84);
    const double pxPerUnitX = devW / (mmW * 100.0), pxPerUnitY = devH / (mmH * 100.0);
    return QRectF(frame.left() * pxPerUnitX, frame.top() * pxPerUnitY,
                  (frame.width() + 1) * pxPerUnitX, (frame.height() + 1) * pxPerUnitY);
}

// Replays a picture onto a painter or, without one, adds up the work that replaying it would
// ask for, following the same state so that both see the same drawing.
class Replay {
public:
    Replay(const QByteArray &picture, QPainter *painter, const QRectF &target,
           DrawingWork *work = nullptr)
        : m_data(picture.constData()), m_size(picture.size()), m_painter(painter), m_target(target),
          m_work(work) {
        const char *h = m_data;
        const QRectF frame = frameOnDevice(h);
        // The frame stretched onto the target.
        m_devToTarget = QTransform::fromTranslate(-frame.left(), -frame.top()) *
                        QTransform::fromScale(target.width() / frame.width(),
                                              target.height() / frame.height()) *
                        QTransform::fromTranslate(target.left(), target.top());
        if (m_painter)
            m_base = m_painter->worldTransform();
        m_objects.resize(readU16(h + 56));
        m_state.font = toQFont(LogFont());
    }

    void run() {
        qint64 at = 0;
        while (at + 8 <= m_size) {
            const char *r = m_data + at;
            const std::uint32_t type = readU32(r);
            const qint64 size = readU32(r + 4);
            if (type == EMR_EOF)
                break;
            record(type, r);
            at += size;
        }
    }

private:
    QTransform logToDev() const {
        if (m_state.mapMode != MM_ANISOTROPIC && m_state.mapMode != 7 /* isotropic */)
            return {};
        const double sx =
            m_state.winExt.width() ? m_state.vpExt.width() / m_state.winExt.width() : 1;
        const double sy =
            m_state.winExt.height() ? m_state.vpExt.height() / m_state.winExt.height() : 1;
        return QTransform::fromTranslate(-m_state.winOrg.x(), -m_state.winOrg.y()) *
               QTransform::fromScale(sx, sy) *
               QTransform::fromTranslate(m_state.vpOrg.x(), m_state.vpOrg.y());
    }

    // Scale of a transform along x and y, or 0 when it is not a usable one.
    static QPointF axisScale(const QTransform &t) {
        const double sx = std::hypot(t.m11(), t.m12()), sy = std::hypot(t.m21(), t.m22());
        const bool finite = std::isfinite(sx) && std::isfinite(sy) && std::isfinite(t.dx()) &&
                            std::isfinite(t.dy()) && std::abs(t.dx()) < 1e9 &&
                            std::abs(t.dy()) < 1e9;
        if (!finite || sx < 1e-5 || sy < 1e-5 || sx > 1e5 || sy > 1e5)
            return {};
        return {sx, sy};
    }

    // Prepares the painter for one drawing operation in logical units; the caller restores.
    // A picture whose mapping is degenerate or absurdly large draws nothing: the painter's
    // glyph and path code is not built for such scales. Without a painter only the scale is
    // worked out, and any finite one counts: a target of another size may bring a mapping
    // that is out of range here into range when the page is drawn.
    bool begin() {
        const QTransform full = logToDev() * m_devToTarget * m_base;
        if (!m_painter) {
            m_scale = {std::hypot(full.m11(), full.m12()), std::hypot(full.m21(), full.m22())};
            return std::isfinite(m_scale.x()) && std::isfinite(m_scale.y());
        }
        m_scale = axisScale(full);
        if (m_scale.isNull())
            return false;
        m_painter->save();
        m_painter->setWorldTransform(m_devToTarget * m_base);
        if (m_state.clip)
            m_painter->setClipRect(*m_state.clip, Qt::IntersectClip);
        m_painter->setWorldTransform(full);
        return true;
    }

    // The part of a rectangle in logical units that painting it would cover on the target,
    // inside the target and the current clip: the painter's work for a fill.
    double coverage(const QRectF &logical) const {
        QRectF visible = m_target;
        if (m_state.clip)
            visible = visible.intersected(m_devToTarget.mapRect(*m_state.clip));
        // At least one unit across, as a hair line or an empty fill still touches its pixels.
        QRectF r = (logToDev() * m_devToTarget).mapRect(logical.normalized());
        r.setWidth(std::max(r.width(), 1.0));
        r.setHeight(std::max(r.height(), 1.0));
        const QRectF covered = r.intersected(visible);
        return covered.isValid() ? covered.width() * covered.height() : 0.0;
    }

    QPen currentPen() const {
        if (m_state.pen.style == PS_NULL)
            return Qt::NoPen;
        QPen pen(toColor(m_state.pen.color));
        // A pen thinner than one device pixel is drawn one pixel wide, as on paper.
        const double scale = std::sqrt(std::abs(m_painter->worldTransform().determinant()));
        pen.setWidthF(m_state.pen.width * scale < 1.0 ? 0.0 : m_state.pen.width);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        return pen;
    }

    QBrush currentBrush() const {
        if (m_state.brush.style == BS_NULL)
            return Qt::NoBrush;
        return toColor(m_state.brush.color);
    }

    GdiObject *object(std::uint32_t handle) {
        if (handle == 0 || handle >= m_objects.size())
            return nullptr;
        return &m_objects[handle];
    }

    void selectStock(std::uint32_t index) {
        switch (index) {
        case WHITE_BRUSH:
        case 1:   // light grey
        case 2:   // grey
        case 3:   // dark grey
        case 4: { // black
            static const ColorRef greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0};
            m_state.brush = {GdiObject::Brush, greys[index], BS_SOLID, 0, {}};
            break;
        }
        case NULL_BRUSH:
            m_state.brush = {GdiObject::Brush, 0, BS_NULL, 0, {}};
            break;
        case 6: // white pen
            m_state.pen = {GdiObject::Pen, 0xFFFFFF, PS_SOLID, 0, {}};
            break;
        case BLACK_PEN:
            m_state.pen = {GdiObject::Pen, 0, PS_SOLID, 0, {}};
            break;
        case NULL_PEN:
            m_state.pen = {GdiObject::Pen, 0, PS_NULL, 0, {}};
            break;
        default:
            break;
        }
    }

    void record(std::uint32_t type, const char *r) {
        switch (type) {
        case EMR_SETMAPMODE:
            m_state.mapMode = readU32(r + 8);
            break;
        case EMR_SETWINDOWEXTEX:
            m_state.winExt = QSizeF(readI32(r + 8), readI32(r + 12));
            break;
        case EMR_SETWINDOWORGEX:
            m_state.winOrg = QPointF(readI32(r + 8), readI32(r + 12));
            break;
        case EMR_SETVIEWPORTEXTEX:
            m_state.vpExt = QSizeF(readI32(r + 8), readI32(r + 12));
            break;
        case EMR_SETVIEWPORTORGEX:
            m_state.vpOrg = QPointF(readI32(r + 8), readI32(r + 12));
            break;
        case EMR_SETBKMODE:
            m_state.bkMode = readU32(r + 8);
            break;
        case EMR_SETTEXTALIGN:
            m_state.textAlign = readU32(r + 8);
            break;
        case EMR_SETTEXTCOLOR:
            m_state.textColor = readU32(r + 8);
            break;
        case EMR_SETBKCOLOR:
            m_state.bkColor = readU32(r + 8);
            break;
        case EMR_MOVETOEX:
            m_state.pos = QPointF(readI32(r + 8), readI32(r + 12));
            break;
        case EMR_SAVEDC:
            if (m_saved.size() < 1024)
                m_saved.push_back(m_state);
            break;
        case EMR_RESTOREDC: {
            const std::int32_t rel = readI32(r + 8);
            if (rel < 0 && qint64(m_saved.size()) >= -qint64(rel)) {
                m_saved.resize(m_saved.size() + rel + 1);
                m_state = m_saved.back();
                m_saved.pop_back();
            }
            break;
        }
        case EMR_INTERSECTCLIPRECT: {
            const QRectF clip = logToDev().mapRect(rectAt(r + 8));
            m_state.clip = m_state.clip ? m_state.clip->intersected(clip) : clip;
            break;
        }
        case EMR_CREATEPEN:
            if (GdiObject *o = object(readU32(r + 8)))
                *o = {GdiObject::Pen,
                      readU32(r + 24),
                      readU32(r + 12) & 0xF,
                      qBound(0, readI32(r + 16), 10000),
                      {}};
            break;
        case EMR_CREATEBRUSHINDIRECT:
            if (GdiObject *o = object(readU32(r + 8)))
                *o = {GdiObject::Brush, readU32(r + 16), readU32(r + 12), 0, {}};
            break;
        case EMR_EXTCREATEFONTINDIRECTW:
            if (GdiObject *o = object(readU32(r + 8))) {
                const char *lf = r + 12;
                QString face;
                for (int i = 0; i < 32; ++i) {
                    const char16_t c = readU16(lf + 28 + 2 * i);
                    if (!c)
                        break;
                    face.append(QChar(c));
                }
                o->kind = GdiObject::Font;
                LogFont font;
                font.height = readI32(lf);
                font.width = readI32(lf + 4);
                font.weight = readI32(lf + 16);
                font.italic = lf[20];
                font.underline = lf[21];
                font.strikeOut = lf[22];
                font.face = face;
                o->font = toQFont(font);
            }
            break;
        case EMR_SELECTOBJECT: {
            const std::uint32_t handle = readU32(r + 8);
            if (handle & kStockObject) {
                selectStock(handle & ~kStockObject);
            } else if (const GdiObject *o = object(handle)) {
                if (o->kind == GdiObject::Pen)
                    m_state.pen = *o;
                else if (o->kind == GdiObject::Brush)
                    m_state.brush = *o;
                else if (o->kind == GdiObject::Font)
                    m_state.font = o->font;
            }
            break;
        }
        case EMR_DELETEOBJECT:
            if (GdiObject *o = object(readU32(r + 8)))
                *o = {};
            break;
        case EMR_RECTANGLE:
            rectangle(rectAt(r + 8));
            break;
        case EMR_LINETO: {
            const QPointF to(readI32(r + 8), readI32(r + 12));
            line(m_state.pos, to);
            m_state.pos = to;
            break;
        }
        case EMR_EXTTEXTOUTW:
            text(r);
            break;
        default:
            break;
        }
    }

    void rectangle(const QRectF &r) {
        if (!begin())
            return;
        if (m_work) {
            m_work->paintedArea += coverage(r);
            return;
        }
        if (m_state.pen.style == PS_NULL) {
            // Without a pen the fill stops one unit short on the right and bottom.
            const QRectF fill(r.left(), r.top(), r.width() - 1, r.height() - 1);
            if (m_state.brush.style != BS_NULL && fill.width() > 0 && fill.height() > 0)
                m_painter->fillRect(fill, currentBrush());
        } else {
            m_painter->setPen(currentPen());
            m_painter->setBrush(currentBrush());
            m_painter->drawRect(
                QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, r.height() - 1));
        }
        m_painter->restore();
    }

    // A line covers the unit cells from its first point up to, not including, its second.
    void line(const QPointF &from, const QPointF &to) {
        if (m_state.pen.style == PS_NULL || from == to)
            return;
        if (!begin())
            return;
        if (m_work) {
            const double w = m_state.pen.width / 2.0;
            m_work->paintedArea += coverage(QRectF(from, to).normalized().adjusted(-w, -w, w, w));
            return;
        }
        m_painter->setPen(currentPen());
        QLineF l;
        if (from.y() == to.y()) {
            const double dir = to.x() > from.x() ? 0 : 1;
            l = QLineF(from.x() + dir, from.y() + 0.5, to.x() + dir, to.y() + 0.5);
        } else if (from.x() == to.x()) {
            const double dir = to.y() > from.y() ? 0 : 1;
            l = QLineF(from.x() + 0.5, from.y() + dir, to.x() + 0.5, to.y() + dir);
        } else {
            l = QLineF(from + QPointF(0.5, 0.5), to + QPointF(0.5, 0.5));
        }
        m_painter->drawLine(l);
        m_painter->restore();
    }

    void text(const char *r) {
        const qint64 size = readU32(r + 4);
        const char *t = r + 36; // the EMRTEXT part
        QPointF ref(readI32(t), readI32(t + 4));
        const qint64 chars = readU32(t + 8);
        const qint64 offString = readU32(t + 12);
        const std::uint32_t options = readU32(t + 16);
        const QRectF rect = rectAt(t + 20);
        const qint64 offDx = readU32(t + 36);
        // validate() has checked that the string and the spacing array lie in the record.
        QString str;
        if (chars > 0 && m_painter) {
            str.resize(chars);
            for (qint64 i = 0; i < chars; ++i)
                str[i] = QChar(readU16(r + offString + 2 * i));
        }
        const bool hasDx =
            offDx != 0 && chars > 0 && chars <= kMaxTextChars && offDx + 4 * chars <= size;

        if (!begin())
            return;
        const QRectF box(rect.left(), rect.top(), rect.width(), rect.height());
        if (m_work) {
            countText(r, chars, hasDx ? offDx : 0, options, box);
            return;
        }
        if (options & ETO_OPAQUE)
            m_painter->fillRect(box, toColor(m_state.bkColor));
        if (options & ETO_CLIPPED)
            m_painter->setClipRect(box, Qt::IntersectClip);
        // Glyphs are drawn only at sizes a page can hold on a device.
        const double px = m_state.font.pixelSize();
        const bool drawable = px * m_scale.x() >= 0.3 && px * m_scale.y() >= 0.3 &&
                              px * m_scale.x() <= 1500 && px * m_scale.y() <= 1500 &&
                              m_scale.x() / m_scale.y() < 20 && m_scale.y() / m_scale.x() < 20;
        if (!str.isEmpty() && drawable) {
            m_painter->setFont(m_state.font);
            const QFontMetricsF fm(m_state.font);
            double width = 0;
            if (hasDx)
                for (qint64 i = 0; i < chars; ++i)
                    width += readI32(r + offDx + 4 * i);
            else
                width = fm.horizontalAdvance(str);
            if (m_state.textAlign & 1) // update current position: start there
                ref = m_state.pos;
            double x = ref.x();
            switch (m_state.textAlign & 6) {
            case TA_RIGHT:
                x -= width;
                break;
            case TA_CENTER:
                x -= width / 2;
                break;
            default:
                break;
            }
            double baseline = ref.y() + fm.ascent();
            if ((m_state.textAlign & 24) == 24)
                baseline = ref.y();
            else if (m_state.textAlign & 8)
                baseline = ref.y() - fm.descent();
            if (m_state.bkMode == OPAQUE && !(options & ETO_OPAQUE))
                m_painter->fillRect(QRectF(x, baseline - fm.ascent(), width, fm.height()),
                                    toColor(m_state.bkColor));
            m_painter->setPen(toColor(m_state.textColor));
            if (hasDx) {
                double cx = x;
                for (qint64 i = 0; i < chars; ++i) {
                    m_painter->drawText(QPointF(cx, baseline), QString(str.at(i)));
                    cx += readI32(r + offDx + 4 * i);
                }
            } else {
                m_painter->drawText(QPointF(x, baseline), str);
            }
            if (m_state.textAlign & 1)
                m_state.pos.setX(m_state.pos.x() + width);
        }
        m_painter->restore();
    }

    // The work of one text: its fills, and every glyph at the size it is drawn. The width of
    // a run without spacing is taken as one em a character, more than any real face needs.
    void countText(const char *r, qint64 chars, qint64 offDx, std::uint32_t options,
                   const QRectF &box) {
        if (options & ETO_OPAQUE)
            m_work->paintedArea += coverage(box);
        if (chars <= 0)
            return;
        const double px = m_state.font.pixelSize();
        m_work->glyphs += chars;
        m_work->paintedArea += double(chars) * px * m_scale.x() * px * m_scale.y();
        if (m_state.bkMode == OPAQUE && !(options & ETO_OPAQUE)) {
            double width = 0;
            if (offDx)
                for (qint64 i = 0; i < chars; ++i)
                    width += std::abs(readI32(r + offDx + 4 * i));
            else
                width = double(chars) * px;
            m_work->paintedArea += std::min(width * m_scale.x() * px * m_scale.y(),
                                            m_target.width() * m_target.height());
        }
    }

    const char *m_data;
    qint64 m_size;
    QPainter *m_painter;
    QRectF m_target;
    DrawingWork *m_work;
    QTransform m_devToTarget;
    QTransform m_base;
    QPointF m_scale;
    std::vector<GdiObject> m_objects;
    DcState m_state;
    std::vector<DcState> m_saved;
};

} // namespace

qint64 EmfPlayer::declaredSize(const char *data, qint64 available) {
    if (available < 88)
        return -1;
    if (readU32(data) != EMR_HEADER || readU32(data + 40) != kSignature)
        return -1;
    const qint64 headerSize = readU32(data + 4);
    const qint64 total = readU32(data + 48);
    if (headerSize < 88 || headerSize % 4 || total < headerSize + kEofSize || total % 4)
        return -1;
    return total;
}

QString EmfPlayer::validate(const QByteArray &picture) {
    const char *data = picture.constData();
    const qint64 size = picture.size();
    const qint64 declared = declaredSize(data, size);
    if (declared < 0)
        return QStringLiteral("not an Enhanced Metafile picture");
    if (declared != size)
        return QStringLiteral("picture length %1 differs from its header's %2")
            .arg(size)
            .arg(declared);
    if (readI32(data + 72) <= 0 || readI32(data + 76) <= 0 || readI32(data + 80) <= 0 ||
        readI32(data + 84) <= 0)
        return QStringLiteral("picture has no reference device");
    const QRectF frame = rectAt(data + 24);
    if (frame.width() < 0 || frame.height() < 0 || frame.width() > 1e8 || frame.height() > 1e8)
        return QStringLiteral("picture has no frame");

    qint64 at = 0, records = 0;
    bool ended = false;
    while (at < size) {
        if (at + 8 > size)
            return QStringLiteral("record at %1 is cut short").arg(at);
        const std::uint32_t type = readU32(data + at);
        const qint64 recordSize = readU32(data + at + 4);
        if (recordSize < 8 || recordSize % 4 || recordSize > size - at)
            return QStringLiteral("record at %1 has a bad size").arg(at);
        if ((at == 0) != (type == EMR_HEADER))
            return QStringLiteral("header record misplaced at %1").arg(at);
        if (recordSize < minimumRecordSize(type))
            return QStringLiteral("record at %1 is too short for its type").arg(at);
        if (type == EMR_EXTTEXTOUTW) {
            const char *t = data + at + 36;
            const qint64 chars = readU32(t + 8), offString = readU32(t + 12),
                         offDx = readU32(t + 36);
            if (chars > 0 && (offString < 76 || offString + 2 * chars > recordSize))
                return QStringLiteral("text at %1 lies outside its record").arg(at);
            if (chars > 0 && offDx != 0 && (offDx < 76 || offDx + 4 * chars > recordSize))
                return QStringLiteral("spacing at %1 lies outside its record").arg(at);
        }
        ++records;
        at += recordSize;
        if (type == EMR_EOF) {
            ended = true;
            break;
        }
    }
    if (!ended || at != size)
        return QStringLiteral("picture does not end with its end record");
    if (readU32(data + 52) != records)
        return QStringLiteral("picture holds %1 records, its header says %2")
            .arg(records)
            .arg(readU32(data + 52));
    return {};
}

DrawingWork EmfPlayer::measure(const QByteArray &picture) {
    DrawingWork work;
    work.records = readU32(picture.constData() + 52);
    const QRectF frame = frameOnDevice(picture.constData());
    const QRectF page(QPointF(0, 0), frame.size());
    work.pageArea = std::max(page.width() * page.height(), 1.0);
    Replay(picture, nullptr, page, &work).run();
    return work;
}

QString EmfPlayer::checkWork(const QByteArray &picture) {
    // The record count is known from the header, before any replaying.
    const qint64 records = readU32(picture.constData() + 52);
    if (records > kMaxRecords)
        return QStringLiteral("it holds %1 drawing records, more than the %2 a page may have")
            .arg(records)
            .arg(kMaxRecords);
    const DrawingWork work = measure(picture);
    if (work.glyphs > kMaxGlyphs)
        return QStringLiteral("it draws %1 characters, more than the %2 a page may have")
            .arg(work.glyphs)
            .arg(kMaxGlyphs);
    if (work.pagesPainted() > kMaxPagesPainted)
        return QStringLiteral("it paints its area %1 times over, more than the %2 a page may")
            .arg(qRound64(work.pagesPainted()))
            .arg(kMaxPagesPainted);
    return {};
}

void EmfPlayer::play(const QByteArray &picture, QPainter &painter, const QRectF &target) {
    if (!validate(picture).isEmpty() || target.isEmpty() || !painter.isActive())
        return;
    painter.save();
    // What a page draws beyond its frame (text of a control with a negative left, say) lies
    // outside the printable area and is not shown.
    painter.setClipRect(target, Qt::IntersectClip);
    Replay(picture, &painter, target).run();
    painter.restore();
}

} // namespace report::emf
