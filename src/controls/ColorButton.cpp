#include "controls/ColorButton.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace controls {

namespace {

QColor shifted(const QColor &color, int delta) {
    auto channel = [delta](int value) { return std::clamp(value + delta, 0, 255); };
    return QColor(channel(color.red()), channel(color.green()), channel(color.blue()));
}

// The system's dotted focus rectangle: every other pixel of the outline inverted.
// Right and bottom edges are exclusive.
void drawFocusRect(QPainter &painter, const QRect &r) {
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(Qt::white);
    const int right = r.left() + r.width() - 1;
    const int bottom = r.top() + r.height() - 1;
    for (int x = r.left(); x <= right; x += 2) {
        painter.drawPoint(x, r.top());
        painter.drawPoint(x, bottom);
    }
    for (int y = r.top() + 2; y < bottom; y += 2) {
        painter.drawPoint(r.left(), y);
        painter.drawPoint(right, y);
    }
    painter.restore();
}

} // namespace

QColor LighterColor(const QColor &color) {
    return shifted(color, 64);
}
QColor DarkerColor(const QColor &color) {
    return shifted(color, -64);
}

TColorButton::TColorButton(QWidget *owner) : QWidget(owner), m_color(palette().button().color()) {
    // A tab stop, but a mouse click does not take the focus.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(75, 25);
}

void TColorButton::setAlignment(TAlignment alignment) {
    m_alignment = alignment;
    repaint();
}

void TColorButton::setBevelStyle(TButtonBevel style) {
    m_bevelStyle = style;
    repaint();
}

void TColorButton::setBevelSize(int size) {
    m_bevelSize = std::max(size, 1);
    repaint();
}

void TColorButton::setColor(const QColor &color) {
    m_color = color;
    repaint();
}

void TColorButton::setPicture(const QPixmap &picture) {
    m_picture = picture;
    repaint();
}

void TColorButton::setSpacing(int spacing) {
    spacing = std::max(spacing, 0);
    if (spacing == m_spacing)
        return;
    m_spacing = spacing;
    repaint();
}

void TColorButton::setStyle(TButtonStyle style) {
    if (style == m_style)
        return;
    m_style = style;
    repaint();
}

void TColorButton::setCaption(const QString &caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    grabAccelerator();
    repaint();
}

QChar TColorButton::accelerator() const {
    const qsizetype amp = m_caption.indexOf(QLatin1Char('&'));
    if (amp < 0 || amp + 1 >= m_caption.size())
        return {};
    return m_caption.at(amp + 1);
}

// Alt and the accelerator reach the button through Qt's shortcut map, wherever the focus is
// in the window.
void TColorButton::grabAccelerator() {
    if (m_shortcutId != 0)
        releaseShortcut(m_shortcutId);
    m_shortcutId = 0;
    const QChar key = accelerator();
    if (!key.isNull())
        m_shortcutId = grabShortcut(QKeySequence(Qt::ALT | QKeySequence(key).operator[](0).key()));
}

void TColorButton::setState(State state) {
    m_state = state;
    repaint();
}

void TColorButton::click() {
    emit OnClick(this);
}

void TColorButton::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        setState(isEnabled() ? State::Up : State::Disabled);
    else if (event->type() == QEvent::FontChange)
        repaint();
}

void TColorButton::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    m_focused = true;
    repaint();
}

void TColorButton::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    m_focused = false;
    repaint();
}

void TColorButton::mousePressEvent(QMouseEvent *event) {
    QWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    if (isEnabled())
        setState(State::Down);
}

void TColorButton::mouseReleaseEvent(QMouseEvent *event) {
    QWidget::mouseReleaseEvent(event);
    // The click comes first, while the button still looks pressed; a release outside the
    // button is no click.
    if (event->button() == Qt::LeftButton && m_leftPressed) {
        m_leftPressed = false;
        if (rect().contains(event->position().toPoint()))
            click();
    }
    if (isEnabled())
        setState(State::Up);
}

void TColorButton::keyPressEvent(QKeyEvent *event) {
    QWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Space && isEnabled()) {
        event->accept();
        m_spacePressed = true;
        setState(State::Down);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Taken here so that the dialog does not look for a default button of its own.
        event->accept();
        m_returnPressed = true;
        return;
    }
    // The accelerator typed without Alt while the button holds the focus.
    const QChar key = accelerator();
    if (!key.isNull() && isEnabled() && event->text().size() == 1 &&
        event->text().at(0).toUpper() == key.toUpper() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        event->accept();
        click();
    }
}

void TColorButton::keyReleaseEvent(QKeyEvent *event) {
    QWidget::keyReleaseEvent(event);
    // A held key repeats its press only; the release that ends it is the real one.
    if (event->isAutoRepeat())
        return;
    if (event->key() == Qt::Key_Space && isEnabled() && std::exchange(m_spacePressed, false)) {
        event->accept();
        m_state = State::Up;
        click();
        repaint();
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        std::exchange(m_returnPressed, false) && m_state != State::Disabled) {
        event->accept();
        click();
    }
}

bool TColorButton::event(QEvent *event) {
    if (event->type() == QEvent::Shortcut) {
        auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcut->shortcutId() == m_shortcutId && isEnabled()) {
            click();
            return true;
        }
    }
    return QWidget::event(event);
}

QRect TColorButton::pictureRect() const {
    const int pw = m_picture.width();
    const int ph = m_picture.height();
    const int w = width();
    const int h = height();
    const int b = m_bevelSize + m_spacing;
    if (m_style & bsStretch)
        return QRect(QPoint(b, b), QPoint(w - b - 1, h - b - 1));
    if (m_style & bsCenter)
        return QRect((w - pw) / 2, (h - ph) / 2, pw, ph);
    // The picture takes the side opposite the caption.
    switch (m_alignment) {
    case alTopLeft:
    case alTopCenter:
    case alTopRight:
        return QRect((w - pw) / 2, h - b - ph, pw, ph);
    case alMiddleLeft:
        return QRect(w - b - pw, (h - ph) / 2, pw, ph);
    case alMiddleCenter:
        return QRect((w - pw) / 2, (h - ph) / 2, pw, ph);
    case alMiddleRight:
        return QRect(b, (h - ph) / 2, pw, ph);
    case alBottomLeft:
    case alBottomCenter:
    case alBottomRight:
        break;
    }
    return QRect((w - pw) / 2, b, pw, ph);
}

void TColorButton::paintEvent(QPaintEvent *) {
    if (!isEnabled())
        m_state = State::Disabled;
    else if (m_state == State::Disabled)
        m_state = State::Up;
    if ((m_style & bsAutoSize) && !m_picture.isNull()) {
        const QSize fitted = m_picture.size() + QSize(2 * m_bevelSize, 2 * m_bevelSize);
        if (size() != fitted) {
            resize(fitted);
            return; // the resize paints the button again at its new size
        }
    }

    QPainter painter(this);
    // Plain pixels as the caption's bitmap font has them: the embossed look of a disabled
    // caption depends on the two copies not being blended.
    QFont captionFont = font();
    captionFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(captionFont);
    QRect r = rect();
    painter.fillRect(r, m_color);

    if (m_bevelStyle != bbNone) {
        const bool sunken = (m_state == State::Down) != (m_bevelStyle == bbLowered);
        const QColor topLeft = sunken ? DarkerColor(m_color) : LighterColor(m_color);
        const QColor bottomRight = sunken ? LighterColor(m_color) : DarkerColor(m_color);
        // Nested one-pixel frames from the outside in; the top-right and bottom-left corner
        // pixels belong to the dark (bottom-right) edges.
        for (int i = 0; i < m_bevelSize; ++i) {
            const int left = r.left() + i;
            const int top = r.top() + i;
            const int right = r.right() - i;
            const int bottom = r.bottom() - i;
            if (right < left || bottom < top)
                break;
            painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, top)), topLeft);
            painter.fillRect(QRect(QPoint(left, top), QPoint(left, bottom - 1)), topLeft);
            painter.fillRect(QRect(QPoint(left, bottom), QPoint(right, bottom)), bottomRight);
            painter.fillRect(QRect(QPoint(right, top), QPoint(right, bottom)), bottomRight);
        }
        r.adjust(m_bevelSize, m_bevelSize, -m_bevelSize, -m_bevelSize);
    }

    if (m_focused && (m_style & bsShowFocus) && isEnabled()) {
        // The frame's right and bottom edges lie one pixel beyond R's exclusive edges.
        const int left = r.left() + m_spacing - 1;
        const int top = r.top() + m_spacing - 1;
        const int right = r.left() + r.width() - m_spacing + 1;
        const int bottom = r.top() + r.height() - m_spacing + 1;
        drawFocusRect(painter, QRect(left, top, right - left, bottom - top));
    }

    if (!m_picture.isNull())
        painter.drawPixmap(pictureRect(), m_picture);

    if (m_caption.isEmpty())
        return;
    painter.setBrush(Qt::NoBrush);
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::WindowText));
        DrawCaption(painter, 0);
    } else {
        painter.setPen(LighterColor(m_color));
        DrawCaption(painter, 1);
        painter.setPen(DarkerColor(m_color));
        DrawCaption(painter, 0);
    }
}

void TColorButton::DrawCaption(QPainter &painter, int offset) {
    QString text = m_caption;
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    const qsizetype position = amp + 1; // 1-based; 0 when there is none
    if (amp >= 0)
        text.remove(amp, 1);
    const QFontMetrics metrics(painter.font());
    const int b = m_bevelSize + m_spacing;
    const int tw = metrics.horizontalAdvance(text);
    const int th = metrics.height();
    const int w = width();
    const int h = height();
    const int centreX = (w - 2 * b - tw) / 2 + b;
    const int middleY = (h - 2 * b - th) / 2 + b;
    int x = b;
    int y = b;
    switch (m_alignment) {
    case alTopLeft:
        break;
    case alTopCenter:
        x = centreX;
        break;
    case alTopRight:
        x = w - b - tw;
        break;
    case alMiddleLeft:
        y = middleY;
        break;
    case alMiddleCenter:
        x = centreX;
        y = middleY;
        break;
    case alMiddleRight:
        x = w - b - tw;
        y = middleY;
        break;
    case alBottomLeft:
        y = h - b - th;
        break;
    case alBottomCenter:
        x = centreX;
        y = h - b - th;
        break;
    case alBottomRight:
        x = w - b - tw;
        y = h - b - th;
        break;
    }
    x += offset;
    y += offset;
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
    if (position > 0 && (m_style & bsShowKey)) {
        const int lineY = y + metrics.height();
        const int from = x + metrics.horizontalAdvance(text.left(position - 1));
        const int to = x + metrics.horizontalAdvance(text.left(position));
        // The end point is not part of the line.
        if (to > from)
            painter.drawLine(from, lineY, to - 1, lineY);
    }
}

} // namespace controls
