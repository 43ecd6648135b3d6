#include "controls/Nav.h"

#include "controls/Confirm.h"
#include "controls/ErrorReport.h"
#include "controls/newstat.h"
#include "db/DataSet.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>

// Resources of a static library must be registered by name from outside any namespace.
static void initNavGlyphs() {
    Q_INIT_RESOURCE(NavGlyphs);
}

namespace controls {

namespace {

// What each button is, in button order: its glyph resource, the line a new navigator's
// Hints list holds for it, and the built-in hint shown where that line is empty.
struct ButtonText {
    const char *glyph;
    const char *initialHint;
    const char *defaultHint;
};
const ButtonText buttonTexts[navButtonCount] = {
    {"FIRST", "Beggining of file", "First record"}, {"RW", "Jump backward", "Jump backward"},
    {"PRIOR", "Previous record", "Prior record"},   {"NEXT", "Next record", "Next record"},
    {"FF", "Jump forward", "Jump forward"},         {"LAST", "End of file", "Last record"},
    {"INSERT", "New record", "Insert record"},      {"DELETE", "Delete record", "Delete record"},
    {"EDIT", "Edit record", "Edit record"},         {"POST", "Post changes", "Post edit"},
    {"CANCEL", "Cancel changes", "Cancel edit"},    {"REFRESH", "Refresh file", "Refresh data"},
    {"MARK", "Set Bookmark", "Set bookmark"},       {"GOTO", "Goto Bookmark", "Go to bookmark"},
};

// One image of a two-image glyph bitmap, with the colour of its bottom-left pixel made
// transparent.
QPixmap glyphImage(const QImage &bitmap, int index) {
    const int width = bitmap.width() / 2;
    QImage image = bitmap.copy(index * width, 0, width, bitmap.height())
                       .convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == transparent)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(image);
}

} // namespace

// ---------------------------------------------------------------------------------------
// TNavButton

TNavButton::TNavButton(TDBNavigatorSpec *navigator, TNavigateBtn kind)
    : QAbstractButton(navigator), m_navigator(navigator), m_kind(kind) {
    setFocusPolicy(Qt::NoFocus);
}

void TNavButton::setGlyph(const QPixmap &enabled, const QPixmap &disabled) {
    m_glyphEnabled = enabled;
    m_glyphDisabled = disabled;
    update();
}

void TNavButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect r = rect();
    const bool down = isDown();
    painter.fillRect(r, palette().color(QPalette::Button));

    // The raised face of a push button, sunken while held: an outer dark line on the
    // lower and right edges, a light line on the upper and left, and a grey inner shade.
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor dark = palette().color(QPalette::Shadow);
    const int x1 = r.right(), y1 = r.bottom();
    if (down) {
        painter.setPen(dark);
        painter.drawLine(0, 0, x1, 0);
        painter.drawLine(0, 0, 0, y1);
        painter.setPen(shadow);
        painter.drawLine(1, 1, x1 - 1, 1);
        painter.drawLine(1, 1, 1, y1 - 1);
        painter.setPen(light);
        painter.drawLine(0, y1, x1, y1);
        painter.drawLine(x1, 0, x1, y1);
    } else {
        painter.setPen(light);
        painter.drawLine(0, 0, x1 - 1, 0);
        painter.drawLine(0, 0, 0, y1 - 1);
        painter.setPen(dark);
        painter.drawLine(0, y1, x1, y1);
        painter.drawLine(x1, 0, x1, y1);
        painter.setPen(shadow);
        painter.drawLine(1, y1 - 1, x1 - 1, y1 - 1);
        painter.drawLine(x1 - 1, 1, x1 - 1, y1 - 1);
    }

    const QPixmap &glyph = isEnabled() ? m_glyphEnabled : m_glyphDisabled;
    const int offset = down ? 1 : 0;
    painter.drawPixmap((width() - glyph.width()) / 2 + offset,
                       (height() - glyph.height()) / 2 + offset, glyph);

    if (m_navigator->hasFocus() && m_navigator->FocusIndex() == m_kind) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = r.adjusted(3, 3, -3, -3).translated(offset, offset);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TNavButton::mousePressEvent(QMouseEvent *event) {
    QAbstractButton::mousePressEvent(event);
    m_navigator->ButtonPressed(m_kind);
    if (!m_autoRepeat)
        return;
    if (!m_repeatClock) {
        m_repeatClock = new QTimer(this);
        connect(m_repeatClock, &QTimer::timeout, this, &TNavButton::repeatStep);
    }
    m_repeatClock->setInterval(400);
    m_repeatClock->start();
}

void TNavButton::mouseReleaseEvent(QMouseEvent *event) {
    QAbstractButton::mouseReleaseEvent(event);
    if (m_repeatClock)
        m_repeatClock->stop();
}

void TNavButton::repeatStep() {
    m_repeatClock->setInterval(100);
    // Dragged off the button it no longer looks pressed: the repeat pauses until the
    // pointer comes back while the press is still held.
    if (isDown() && QApplication::mouseButtons() != Qt::NoButton) {
        if (!m_navigator->ButtonClicked(m_kind))
            m_repeatClock->stop();
    }
}

// ---------------------------------------------------------------------------------------
// TNavDataLink

void TNavDataLink::activeChanged() {
    if (Navigator)
        Navigator->RefreshAll();
}

void TNavDataLink::dataSetChanged() {
    if (Navigator)
        Navigator->RefreshDataButtons();
}

void TNavDataLink::dataSetScrolled(int) {
    dataSetChanged();
}

void TNavDataLink::editingChanged() {
    if (Navigator)
        Navigator->RefreshEditButtons();
}

// ---------------------------------------------------------------------------------------
// TDBNavigatorSpec

TDBNavigatorSpec::TDBNavigatorSpec(QWidget *parent) : QWidget(parent), NavLink(this) {
    initNavGlyphs();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFocusPolicy(Qt::NoFocus);
    m_hints = initialHints();
    InitButtons();
    setBounds(0, 0, 241, 25);
}

TDBNavigatorSpec::~TDBNavigatorSpec() {
    NavLink.Navigator = nullptr;
}

void TDBNavigatorSpec::InitButtons() {
    for (int i = 0; i < navButtonCount; ++i) {
        const auto kind = TNavigateBtn(i);
        auto *button = new TNavButton(this, kind);
        button->setVisible(m_visibleButtons.contains(kind));
        button->setEnabled(true);
        button->setGeometry(20 * i, 0, 20, 18);
        const QImage bitmap(
            QStringLiteral(":/nav/DBX_%1").arg(QLatin1String(buttonTexts[i].glyph)));
        button->setGlyph(glyphImage(bitmap, 0), glyphImage(bitmap, 1));
        connect(button, &QAbstractButton::clicked, this, [this, kind] { ButtonClicked(kind); });
        ButtonRow[i] = button;
    }
    ApplyHints();
    ButtonRow[nbPrior]->setAutoRepeatStyle(true);
    ButtonRow[nbNext]->setAutoRepeatStyle(true);
}

QString TDBNavigatorSpec::defaultHint(TNavigateBtn button) {
    return QString::fromLatin1(buttonTexts[button].defaultHint);
}

QStringList TDBNavigatorSpec::initialHints() {
    QStringList lines;
    for (const ButtonText &text : buttonTexts)
        lines << QString::fromLatin1(text.initialHint);
    return lines;
}

void TDBNavigatorSpec::ApplyHints() {
    for (int i = 0; i < navButtonCount; ++i) {
        const QString line = i < m_hints.size() ? m_hints.at(i) : QString();
        const QString hint = line.isEmpty() ? defaultHint(TNavigateBtn(i)) : line;
        setHint(ButtonRow[i], hint);
        // The pop-up tip names the button's keyboard shortcut; the status bar shows the hint.
        const QString &keys = m_shortcutTexts[std::size_t(i)];
        const QString tip = keys.isEmpty() ? hint : QStringLiteral("%1 (%2)").arg(hint, keys);
        ButtonRow[i]->setToolTip(m_showHint ? tip : QString());
    }
}

void TDBNavigatorSpec::setHints(const QStringList &lines) {
    m_hints = lines;
    ApplyHints();
}

void TDBNavigatorSpec::setShortcutText(TNavigateBtn button, const QString &keys) {
    m_shortcutTexts[button] = keys;
    ApplyHints();
}

void TDBNavigatorSpec::setShowHint(bool on) {
    m_showHint = on;
    ApplyHints();
}

void TDBNavigatorSpec::setTabStop(bool on) {
    m_tabStop = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

void TDBNavigatorSpec::setAlign(TAlign align) {
    if (m_align == align)
        return;
    if (parentWidget()) {
        if (m_align == alNone)
            parentWidget()->installEventFilter(this);
        else if (align == alNone)
            parentWidget()->removeEventFilter(this);
    }
    m_align = align;
    followParent();
}

void TDBNavigatorSpec::followParent() {
    QWidget *parent = parentWidget();
    if (!parent || m_align == alNone)
        return;
    switch (m_align) {
    case alTop:
        setBounds(0, 0, parent->width(), height());
        break;
    case alBottom:
        setBounds(0, parent->height() - height(), parent->width(), height());
        break;
    case alClient:
        setBounds(0, 0, parent->width(), parent->height());
        break;
    case alNone:
        break;
    }
}

bool TDBNavigatorSpec::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        followParent();
    return QWidget::eventFilter(watched, event);
}

void TDBNavigatorSpec::setVisibleButtons(TButtonSet buttons) {
    m_visibleButtons = buttons;
    for (int i = 0; i < navButtonCount; ++i)
        ButtonRow[i]->setVisible(buttons.contains(TNavigateBtn(i)));
    int w = width(), h = height();
    LayoutButtons(w, h);
    if (w != width() || h != height())
        resize(w, h);
    update();
}

void TDBNavigatorSpec::setBounds(int left, int top, int width, int height) {
    LayoutButtons(width, height);
    setGeometry(left, top, width, height);
}

void TDBNavigatorSpec::LayoutButtons(int &W, int &H) {
    if (!ButtonRow[nbGoto] || m_layingOut)
        return;
    m_layingOut = true;
    int count = 0;
    for (int i = 0; i < navButtonCount; ++i)
        count += m_visibleButtons.contains(TNavigateBtn(i)) ? 1 : 0;
    if (count == 0)
        count = 1;

    const QSize minCell = MinCellSize();
    W = std::max(W, count * (minCell.width() - 1) + 1);
    H = std::max(H, minCell.height());
    m_cellWidth = (W - 1) / count + 1;
    const int natural = count * (m_cellWidth - 1) + 1;
    int extra = 0;
    if (m_align == alNone)
        W = natural;
    else
        extra = W - natural;

    // Buttons take the navigator's final height at once, so the layout holds even before
    // a hidden navigator gets its first resize event.
    // The surplus of an aligned navigator is spread over the buttons one pixel at a time,
    // as evenly as the error term allows.
    int err = count / 2;
    int x = 0;
    for (int i = 0; i < navButtonCount; ++i) {
        TNavButton *button = ButtonRow[i];
        if (m_visibleButtons.contains(TNavigateBtn(i))) {
            int wide = 0;
            if (extra != 0) {
                err -= extra;
                if (err < 0) {
                    err += count;
                    wide = 1;
                }
            }
            button->setGeometry(x, 0, m_cellWidth + wide, H);
            x += m_cellWidth - 1 + wide;
        } else {
            button->setGeometry(W + 1, 0, m_cellWidth, H);
        }
    }
    m_layingOut = false;
}

void TDBNavigatorSpec::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    int w = width(), h = height();
    LayoutButtons(w, h);
    if (w != width() || h != height())
        resize(w, h);
}

void TDBNavigatorSpec::setDataSource(db::DataSource *source) {
    NavLink.setDataSource(source);
    RefreshAll();
}

bool TDBNavigatorSpec::live() const {
    return isEnabled() && NavLink.active();
}

void TDBNavigatorSpec::RefreshAll() {
    if (!live()) {
        for (TNavButton *button : ButtonRow)
            button->setEnabled(false);
        return;
    }
    RefreshDataButtons();
    RefreshEditButtons();
}

void TDBNavigatorSpec::refreshBookmarkButtons() {
    const bool browsing = DataSource() && DataSource()->state() == db::DataSetState::Browse;
    ButtonRow[nbMark]->setEnabled(browsing);
    ButtonRow[nbGoto]->setEnabled(browsing && !m_heldBookmark.isNull());
}

void TDBNavigatorSpec::RefreshDataButtons() {
    const bool isLive = live();
    db::DataSet *dataSet = NavLink.dataSet();
    const bool bof = dataSet ? dataSet->bof() : true;
    const bool eof = dataSet ? dataSet->eof() : true;
    const bool up = isLive && !bof;
    const bool down = isLive && !eof;
    ButtonRow[nbFirst]->setEnabled(up);
    ButtonRow[nbPrior]->setEnabled(up);
    ButtonRow[nbNext]->setEnabled(down);
    ButtonRow[nbLast]->setEnabled(down);
    ButtonRow[nbDelete]->setEnabled(isLive && dataSet->canModify() && !(bof && eof));
    ButtonRow[nbFF]->setEnabled(ButtonRow[nbNext]->isEnabled());
    ButtonRow[nbRW]->setEnabled(ButtonRow[nbPrior]->isEnabled());
    refreshBookmarkButtons();
}

void TDBNavigatorSpec::RefreshEditButtons() {
    db::DataSet *dataSet = NavLink.dataSet();
    const bool modifiable = live() && dataSet->canModify();
    ButtonRow[nbInsert]->setEnabled(modifiable);
    ButtonRow[nbEdit]->setEnabled(modifiable && !NavLink.editing());
    ButtonRow[nbPost]->setEnabled(modifiable && NavLink.editing());
    ButtonRow[nbCancel]->setEnabled(modifiable && NavLink.editing());
    // A query re-reads its result as well as a table does.
    ButtonRow[nbRefresh]->setEnabled(live());
    refreshBookmarkButtons();
}

void TDBNavigatorSpec::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        RefreshAll();
}

bool TDBNavigatorSpec::ButtonClicked(TNavigateBtn kind) {
    return guarded([this, kind] { BtnClick(kind); }, window());
}

void TDBNavigatorSpec::BtnClick(TNavigateBtn Index) {
    db::DataSource *source = DataSource();
    if (source && source->state() != db::DataSetState::Inactive) {
        db::DataSet &dataSet = *source->dataSet();
        switch (Index) {
        case nbFirst:
            dataSet.first();
            break;
        case nbRW:
            dataSet.moveBy(-m_jump);
            break;
        case nbPrior:
            dataSet.prior();
            break;
        case nbNext:
            dataSet.next();
            break;
        case nbFF:
            dataSet.moveBy(m_jump);
            break;
        case nbLast:
            dataSet.last();
            break;
        case nbInsert:
            dataSet.insert();
            break;
        case nbDelete:
            if (!m_confirmDelete || askConfirmation(QStringLiteral("Delete record?"), window()))
                dataSet.deleteRecord();
            break;
        case nbEdit:
            dataSet.edit();
            break;
        case nbPost:
            dataSet.post();
            break;
        case nbCancel:
            dataSet.cancel();
            break;
        case nbRefresh:
            dataSet.refresh();
            break;
        case nbMark:
            m_heldBookmark = dataSet.bookmark();
            ButtonRow[nbGoto]->setEnabled(!m_heldBookmark.isNull());
            break;
        case nbGoto:
            dataSet.gotoBookmark(m_heldBookmark);
            break;
        }
    }
    if (OnClick)
        OnClick(this, Index);
}

void TDBNavigatorSpec::ButtonPressed(TNavigateBtn kind) {
    const TNavigateBtn old = m_focusIndex;
    m_focusIndex = kind;
    if (!m_tabStop)
        return;
    if (!hasFocus()) {
        if (focusPolicy() != Qt::NoFocus && isEnabled() && isVisible())
            setFocus(Qt::MouseFocusReason);
    } else if (old != kind) {
        ButtonRow[old]->update();
        ButtonRow[kind]->update();
    }
}

void TDBNavigatorSpec::keyPressEvent(QKeyEvent *event) {
    const TNavigateBtn old = m_focusIndex;
    switch (event->key()) {
    case Qt::Key_Right:
        for (int i = old + 1; i < navButtonCount; ++i)
            if (m_visibleButtons.contains(TNavigateBtn(i))) {
                m_focusIndex = TNavigateBtn(i);
                break;
            }
        break;
    case Qt::Key_Left:
        for (int i = int(old) - 1; i >= 0; --i)
            if (m_visibleButtons.contains(TNavigateBtn(i))) {
                m_focusIndex = TNavigateBtn(i);
                break;
            }
        break;
    case Qt::Key_Space:
        if (ButtonRow[m_focusIndex]->isEnabled())
            ButtonRow[m_focusIndex]->click();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (old != m_focusIndex) {
        ButtonRow[old]->update();
        ButtonRow[m_focusIndex]->update();
    }
}

void TDBNavigatorSpec::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    ButtonRow[m_focusIndex]->update();
}

void TDBNavigatorSpec::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    ButtonRow[m_focusIndex]->update();
}

} // namespace controls
