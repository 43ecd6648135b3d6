#pragma once

#include <QColor>
#include <QFlags>
#include <QPixmap>
#include <QWidget>

namespace controls {

enum TAlignment {
    alTopLeft,
    alTopCenter,
    alTopRight,
    alMiddleLeft,
    alMiddleCenter,
    alMiddleRight,
    alBottomLeft,
    alBottomCenter,
    alBottomRight
};

enum TButtonBevel { bbLowered, bbNone, bbRaised };

enum TButtonStyles {
    bsAutoSize = 1 << 0,
    bsCenter = 1 << 1,
    bsStretch = 1 << 2,
    bsShowFocus = 1 << 3,
    bsShowKey = 1 << 4
};
Q_DECLARE_FLAGS(TButtonStyle, TButtonStyles)
Q_DECLARE_OPERATORS_FOR_FLAGS(TButtonStyle)

// The bevel colours of a face colour: 64 more (or less) of red, green and blue, kept
// within 0 to 255.
QColor LighterColor(const QColor &color);
QColor DarkerColor(const QColor &color);

// A push button whose face has any colour: a flat face, a bevel whose light and dark edges
// come from the face colour, a caption at one of nine places with its accelerator underlined,
// and an optional picture. Pressed with the mouse, the space bar, Return or the accelerator.
class TColorButton : public QWidget {
    Q_OBJECT

public:
    // The look of the button.
    enum class State : quint8 { Up = 0, Down = 1, Disabled = 2 };

    explicit TColorButton(QWidget *owner = nullptr);

    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    TButtonBevel BevelStyle() const { return m_bevelStyle; }
    void setBevelStyle(TButtonBevel style);
    int BevelSize() const { return m_bevelSize; }
    void setBevelSize(int size);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QColor Color() const { return m_color; }
    void setColor(const QColor &color);
    const QPixmap &Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    int Spacing() const { return m_spacing; }
    void setSpacing(int spacing);
    TButtonStyle Style() const { return m_style; }
    void setStyle(TButtonStyle style);

    State state() const { return m_state; }
    bool focused() const { return m_focused; }
    // The character after the caption's first "&", or a null character.
    QChar accelerator() const;

signals:
    void OnClick(QObject *Sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    void DrawCaption(QPainter &painter, int offset);
    QRect pictureRect() const;
    void setState(State state);
    void click();
    void grabAccelerator();

    TAlignment m_alignment = alMiddleCenter;
    TButtonBevel m_bevelStyle = bbRaised;
    int m_bevelSize = 2;
    QString m_caption;
    QColor m_color;
    QPixmap m_picture;
    int m_spacing = 2;
    TButtonStyle m_style = bsCenter | bsShowFocus | bsShowKey;
    bool m_focused = false;
    State m_state = State::Up;
    bool m_leftPressed = false;
    // Keys whose press this button received: only their release clicks it. A release
    // whose press went to another window (the key that opened this one) does nothing.
    bool m_spacePressed = false;
    bool m_returnPressed = false;
    int m_shortcutId = 0;
};

} // namespace controls
