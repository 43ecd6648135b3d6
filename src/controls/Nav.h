#pragma once

#include "db/DataSource.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <array>
#include <functional>
#include <initializer_list>

class QTimer;

namespace controls {

// The fourteen navigator buttons; the order is the order on screen, the bit order of
// TButtonSet and the line order of Hints.
enum TNavigateBtn : quint8 {
    nbFirst,
    nbRW,
    nbPrior,
    nbNext,
    nbFF,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh,
    nbMark,
    nbGoto
};
inline constexpr int navButtonCount = 14;

// A set of navigator buttons in 16 bits: bit n stands for the button of ordinal n.
class TButtonSet {
public:
    constexpr TButtonSet() = default;
    constexpr TButtonSet(std::initializer_list<TNavigateBtn> buttons) {
        for (TNavigateBtn b : buttons)
            m_bits |= quint16(1u << b);
    }
    static constexpr TButtonSet fromBits(quint16 bits) {
        TButtonSet set;
        set.m_bits = bits & allBits;
        return set;
    }
    static constexpr TButtonSet all() { return fromBits(allBits); }
    constexpr bool contains(TNavigateBtn b) const { return m_bits & (1u << b); }
    constexpr quint16 bits() const { return m_bits; }
    constexpr bool operator==(const TButtonSet &) const = default;

private:
    static constexpr quint16 allBits = (1u << navButtonCount) - 1;
    quint16 m_bits = 0;
};

// Alignment of a navigator within its parent. Only the layout arithmetic tells them
// apart from the free position: an aligned navigator keeps the width it is given.
enum TAlign { alNone, alTop, alBottom, alClient };

class TDBNavigatorSpec;

// Event raised after every button click: the navigator and the clicked button.
using ENavClick = std::function<void(TDBNavigatorSpec *Sender, TNavigateBtn Button)>;

// A flat picture button of the navigator. prior and next repeat their click while held.
class TNavButton : public QAbstractButton {
    Q_OBJECT
public:
    TNavButton(TDBNavigatorSpec *navigator, TNavigateBtn kind);

    TNavigateBtn ButtonKind() const { return m_kind; }
    bool AutoRepeat() const { return m_autoRepeat; }
    void setAutoRepeatStyle(bool on) { m_autoRepeat = on; }
    // The two glyph images: enabled and greyed.
    void setGlyph(const QPixmap &enabled, const QPixmap &disabled);
    QTimer *RepeatClock() const { return m_repeatClock; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void repeatStep();

    TDBNavigatorSpec *m_navigator;
    TNavigateBtn m_kind;
    bool m_autoRepeat = false;
    QTimer *m_repeatClock = nullptr;
    QPixmap m_glyphEnabled;
    QPixmap m_glyphDisabled;
};

class TDBNavigatorSpec;

// Follows the data source for the navigator: activation, row and state changes.
class TNavDataLink : public db::DataLink {
public:
    explicit TNavDataLink(TDBNavigatorSpec *navigator) : Navigator(navigator) {}
    ~TNavDataLink() override { Navigator = nullptr; }

    void activeChanged() override;
    void dataSetChanged() override;
    void dataSetScrolled(int distance) override;
    void recordChanged(db::Field *) override {}
    void editingChanged() override;

    TDBNavigatorSpec *Navigator;
};

// The program's record navigator: a borderless row of up to fourteen picture buttons
// bound to a data source. Buttons move through the rows, jump by Jump rows, insert,
// delete (after a confirmation), edit, post, cancel, refresh, and set and return to one
// bookmark; each enables itself from the dataset's state.
class TDBNavigatorSpec : public QWidget {
    Q_OBJECT
public:
    explicit TDBNavigatorSpec(QWidget *parent = nullptr);
    ~TDBNavigatorSpec() override;

    db::DataSource *DataSource() const { return NavLink.dataSource(); }
    void setDataSource(db::DataSource *source);

    TButtonSet VisibleButtons() const { return m_visibleButtons; }
    void setVisibleButtons(TButtonSet buttons);

    int Jump() const { return m_jump; }
    void setJump(int rows) { m_jump = rows; }

    const QStringList &Hints() const { return m_hints; }
    void setHints(const QStringList &lines);

    bool ConfirmDelete() const { return m_confirmDelete; }
    void setConfirmDelete(bool on) { m_confirmDelete = on; }

    // The keyboard shortcut of a button, as text for its pop-up tip ("Ctrl+E"); empty: none.
    void setShortcutText(TNavigateBtn button, const QString &keys);

    // Pop-up tips with the button hints (on by default).
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool on);

    // Whether the navigator takes the keyboard focus (off by default).
    bool TabStop() const { return m_tabStop; }
    void setTabStop(bool on);

    TAlign Align() const { return m_align; }
    void setAlign(TAlign align);

    // Moves and resizes; the size passes through LayoutButtons first.
    void setBounds(int left, int top, int width, int height);

    ENavClick OnClick;

    int CellWidth() const { return m_cellWidth; }
    QSize MinCellSize() const { return {20, 18}; }
    TNavigateBtn FocusIndex() const { return m_focusIndex; }
    const QVariant &HeldBookmark() const { return m_heldBookmark; }
    TNavButton *button(TNavigateBtn kind) const { return ButtonRow[kind]; }

    // The action of a click on a button, then OnClick. Dataset errors propagate.
    void BtnClick(TNavigateBtn Index);
    // Built-in hint of a button, used where the Hints line is empty or missing.
    static QString defaultHint(TNavigateBtn button);
    // The fourteen lines a new navigator's Hints list holds, in button order.
    static QStringList initialHints();

    void RefreshAll();
    void RefreshDataButtons();
    void RefreshEditButtons();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TNavButton;
    void InitButtons();
    void ApplyHints();
    void LayoutButtons(int &W, int &H);
    void ButtonPressed(TNavigateBtn kind);
    // Runs BtnClick under the default error report; false when it failed.
    bool ButtonClicked(TNavigateBtn kind);
    bool live() const;
    void refreshBookmarkButtons();
    void followParent();

    TNavDataLink NavLink;
    TButtonSet m_visibleButtons = TButtonSet::all();
    QStringList m_hints;
    int m_cellWidth = 0;
    TNavigateBtn m_focusIndex = nbFirst;
    bool m_confirmDelete = true;
    QVariant m_heldBookmark;
    int m_jump = 50;
    bool m_showHint = true;
    bool m_tabStop = false;
    TAlign m_align = alNone;
    bool m_layingOut = false;
    std::array<TNavButton *, navButtonCount> ButtonRow{};
    std::array<QString, navButtonCount> m_shortcutTexts;
};

} // namespace controls
