#include "app/DetailLayout.h"

#include "controls/DBCheckBox.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/newstat.h"
#include "data/EquipmentColumns.h"

#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <array>

namespace app {

namespace {

constexpr int editHeight = 21;
constexpr int checkHeight = 17;
constexpr int labelOffset = 4; // a caption on an editor's line sits 4 pixels lower
// Controls keep this many free pixels inside the right and bottom lines of their group's
// frame, which run one and two pixels inside the group's edges.
constexpr int frameClearance = 2 + 2;
// Free pixels between a caption and the editor it stands before on the same line.
constexpr int captionGap = 3;

// Groups in tab order; a nested group follows the group it lies in.
// clang-format off
constexpr GroupPlace groups[] = {
    {"Name", {4, 8, 749, 89}, ""},
    {"Internal Info", {4, 96, 249, 73}, ""},
    {"Resources", {256, 96, 257, 73}, ""},
    {"Range", {516, 96, 237, 73}, ""},
    {"Heat and Damage", {4, 172, 321, 93}, ""},
    {"Heat and Damage/To User", {8, 16, 97, 69}, ""},
    {"Heat and Damage/To Target", {112, 16, 97, 69}, ""},
    {"Heat and Damage/When Destroyed", {216, 16, 97, 69}, ""},
    {"Ammo Type", {328, 172, 241, 93}, ""},
    {"Launch Requirements", {572, 172, 181, 93}, ""},
    {"If Ammo, it's chambered for these weapon codes:", {4, 268, 621, 117}, ""},
    {"Trouble", {628, 268, 125, 117}, ""},
    {"Required Equipment", {4, 388, 157, 109}, ""},
    {"Heat", {164, 388, 105, 53}, ""},
    {"Capabilities", {536, 388, 113, 109}, ""},
    {"Fire", {272, 388, 129, 109}, ""},
    {"Smoke", {164, 440, 105, 57}, ""},
    {"Damage Specifics", {404, 388, 129, 109}, ""},
    {"Special", {652, 388, 101, 109}, ""},
    {"Mines", {304, 500, 297, 97}, ""},
    {"Missiles", {4, 500, 145, 97}, ""},
    {"Artillery", {152, 500, 149, 97}, ""},
    {"Cruise Missiles", {604, 500, 149, 197}, ""},
    {"To-Hit Bonuses", {4, 600, 321, 197},
     "Keep in mind that all these bonuses are in addition to the normal bonuses or penalties."},
    {"To-Hit Bonuses/User", {8, 40, 93, 153}, ""},
    {"To-Hit Bonuses/Target", {112, 40, 93, 153}, ""},
    {"To-Hit Bonuses/Target Size", {216, 40, 93, 153}, ""},
    {"Underwater Operations", {328, 600, 273, 97}, ""},
};

// Editors in tab order within their groups. Captions on the editor's line have
// labelY = y + 4; a caption above its editor has its own labelY.
constexpr EditorPlace editors[] = {
    // Name
    {"Name", 44, 16, 217, 8, 20},
    {"Abbrev", 308, 16, 61, 272, 20},
    {"Kind", 406, 16, 201, 380, 20},
    {"Era", 640, 16, 93, 620, 20},
    {"Description1", 68, 40, 673, 8, 44},
    {"Description2", 68, 64, 673},
    // Internal Info
    {"Code", 36, 16, 41, 8, 20},
    {"Icon", 36, 44, 41, 8, 48},
    {"SoundFire", 156, 16, 85},
    {"SoundHit", 156, 44, 85},
    // Resources
    {"Crits", 54, 16, 33, 8, 20},
    {"Weight", 54, 44, 33, 8, 48, 90},
    {"Cost", 124, 16, 81, 100, 20, 208},
    {"CV", 124, 44, 81, 100, 48},
    // Range
    {"RangeMin", 56, 16, 25, 8, 20},
    {"RangeS", 40, 44, 25, 8, 48},
    {"RangeM", 112, 44, 25, 72, 48},
    {"RangeL", 176, 44, 25, 148, 48},
    // Heat and Damage
    {"HeatToUser", 56, 16, 25, 8, 20},
    {"DamageToUser", 56, 40, 25, 8, 44},
    {"HeatToTarget", 56, 16, 25, 8, 20},
    {"DamageToTarget", 56, 40, 25, 8, 44},
    {"HeatOnDeath", 56, 16, 25, 8, 20},
    {"DamageOnDeath", 56, 40, 25, 8, 44},
    // Ammo Type
    {"Ammo", 40, 16, 37, 8, 20},
    {"BeamWeapon", 92, 12, 145},
    {"UltraFeed", 92, 27, 145},
    {"SingleShot", 92, 42, 145},
    {"TargetHex", 92, 57, 145},
    {"IsSwarm", 92, 72, 145},
    // Launch Requirements
    {"NeedLOS", 8, 16, 165},
    {"NeedTAG", 8, 34, 165},
    {"NeedTAGorLOS", 8, 52, 165},
    {"NeedLock", 8, 70, 165},
    // the chamber group's 32 edits are placed by chamberPlace()
    // Trouble
    {"ExplodeOnHit", 8, 14, 113},
    {"ArtilleryDeath", 8, 30, 113},
    {"CanCASE", 8, 46, 113},
    {"ChanceJam", 56, 64, 41, 8, 68, 100},
    {"ChanceDeath", 56, 88, 41, 8, 92, 100},
    // Required Equipment
    {"OtherNeeded", 8, 14, 145},
    {"OtherSameSeg", 8, 40, 145},
    {"OtherBonus", 8, 56, 145},
    {"OtherCode", 92, 78, 57, 8, 82},
    // Heat
    {"HeatActivated", 8, 12, 93},
    {"ActivateOnHeat", 64, 28, 33, 8, 32},
    // Capabilities
    {"DropBehind", 8, 13, 101},
    {"WholeLOS", 8, 28, 101},
    {"ClearsWoods", 8, 43, 101},
    {"APChance", 64, 61, 29, 8, 65, 96},
    {"FerroDamage", 64, 83, 29, 8, 87},
    // Fire
    {"RollForFire", 72, 16, 21, 8, 20, 96, nullptr, nullptr, nullptr,
     "What must be rolled on 2D6 to start a fire? (0: never, 1: always)"},
    {"FireAge", 72, 40, 21, 8, 44, 96},
    {"RollToExtinguish", 72, 76, 21, 8, 80, 96},
    // Smoke
    {"Smoke", 40, 11, 53, 8, 15, -1, "Smoke", "Type", "Type of smoke produced on impact. "},
    {"SmokeAge", 40, 32, 21, 8, 36, 64},
    // Damage Specifics
    {"TransferInside", 8, 14, 117},
    {"TransferSection", 8, 30, 117},
    {"TargetInfantry", 8, 56, 117},
    {"InfantryMod", 64, 78, 21, 8, 82},
    // Special
    {"IsWhip", 8, 14, 89},
    {"WhipChance", 48, 34, 29, 8, 38, 80},
    {"EquipmentDropped", 8, 80, 29, 4, 64},
    // Mines
    {"IsMine", 8, 14, 108},
    {"MineWeapon", 56, 40, 57, 8, 44},
    {"MineCommand", 56, 64, 57, 8, 68},
    {"MinePressure", 124, 14, 118},
    {"MineMinPressure", 196, 40, 29, 124, 44, 228},
    {"MineMaxPressure", 196, 64, 29, 124, 68, 228},
    {"MineTimer", 252, 40, 37, 257, 24},
    // Missiles
    {"IsMissile", 8, 14, 133},
    {"MissileSplitDamage", 8, 30, 133},
    {"MissileFollowLeader", 8, 46, 133},
    {"MissileHomingToHit", 80, 68, 25, 8, 72, 108},
    // Artillery
    {"IsArtillery", 8, 14, 137},
    {"ArtilleryDamageSame", 100, 40, 25, 8, 44, 128},
    {"ArtilleryDamageAdj", 100, 66, 25, 8, 70, 128},
    // Cruise Missiles
    {"IsCruise", 8, 14, 137},
    {"CruiseTarget", 8, 30, 137},
    {"CruiseAMS", 8, 46, 137},
    {"CruiseSelfdestruct", 8, 62, 137},
    {"CruiseFuel", 48, 92, 25, 8, 96},
    {"CruiseSpeed", 48, 116, 25, 8, 120},
    {"CruiseTurn", 48, 140, 25, 8, 144},
    // To-Hit Bonuses
    {"BonusGeneric", 44, 16, 33, 8, 20},
    {"BonusMissile", 164, 16, 33, 96, 20},
    {"BonusHeatOwn", 54, 16, 33, 8, 20},
    {"BonusOwnProne", 54, 38, 33, 8, 42},
    {"BonusOwnStand", 54, 60, 33, 8, 64},
    {"BonusOwnWalk", 54, 82, 33, 8, 86},
    {"BonusOwnRun", 54, 104, 33, 8, 108},
    {"BonusOwnJump", 54, 126, 33, 8, 130},
    {"BonusHeatTarget", 54, 16, 33, 8, 20},
    {"BonusTargetProne", 54, 38, 33, 8, 42},
    {"BonusTargetStand", 54, 60, 33, 8, 64},
    {"BonusTargetWalk", 54, 82, 33, 8, 86},
    {"BonusTargetRun", 54, 104, 33, 8, 108},
    {"BonusTargetJump", 54, 126, 33, 8, 130},
    {"BonusSmall", 54, 16, 33, 8, 20},
    {"BonusMedium", 54, 38, 33, 8, 42},
    {"BonusHeavy", 54, 60, 33, 8, 64},
    {"BonusAssault", 54, 82, 33, 8, 86},
    // Underwater Operations
    {"WorksInWater", 8, 16, 200},
    {"WRangeMin", 54, 44, 25, 8, 48},
    {"WRangeS", 114, 44, 25, 86, 48},
    {"WRangeM", 186, 44, 25, 146, 48},
    {"WRangeL", 244, 44, 25, 216, 48},
};

constexpr LinePlace lines[] = {
    {"Ammo Type", 84, 12, 0, 76},
    {"Required Equipment", 8, 34, 141, 0},
    {"Fire", 8, 68, 113, 0},
    {"Damage Specifics", 8, 50, 113, 0},
    {"Special", 8, 58, 85, 0},
    {"Mines", 118, 12, 0, 78},
    {"Mines", 244, 12, 0, 78},
    {"Cruise Missiles", 8, 84, 133, 0},
};

constexpr ButtonPlace buttons[] = {
    {"cmdFireSound", "Internal Info", "Fire Sound", {84, 16, 69, 21}, "Play the WAV file", "Icon"},
    {"Button1", "Internal Info", "Hit Sound", {84, 44, 69, 21}, "Play the WAV file", "Icon"},
};

constexpr NotePlace notes[] = {
    {"Keep in mind that a bonus can be <0 (penalty) as well.", {404, 740}},
};
// clang-format on

constexpr int chamberCount = 32;

// The chamber edits stand in 4 rows of 8.
EditorPlace chamberPlace(int number) {
    const int column = (number - 1) % 8;
    const int row = (number - 1) / 8;
    return {nullptr, 8 + 76 * column, 16 + 24 * row, 73};
}

QString captionOf(const char *key) {
    const QString path = QString::fromUtf8(key);
    return QLatin1Char(' ') + path.section(QLatin1Char('/'), -1) + QLatin1Char(' ');
}

QString text(const char *override, const char *fromTable) {
    return QString::fromUtf8(override ? override : fromTable);
}

// The fonts inside the panel: captions of groups bold, of nested groups italic; labels
// and check boxes regular; editors and unit labels bold.
QFont panelFont(const QWidget *panel, bool bold, bool italic) {
    QFont font = panel->font();
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// A group box drawn the classic way: an etched frame whose top line runs through the
// middle of the caption, the caption at 8 pixels from the left on the box's background.
// Positions inside the box are then the same as on the frame of the original design.
class ClassicGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect frame(0, top, width() - 1, height() - top - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.translated(1, 1).adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        const QString caption = title();
        const QRect textRect(8, 0, metrics.horizontalAdvance(caption), metrics.height());
        painter.fillRect(textRect, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
    }
};

// The substitute for the design's font runs a little wider than the original, so a caption
// that would be clipped at its place (or run into its group's frame) is set a little
// tighter, just enough to fit the given width.
void fitCaption(QWidget *widget, const QString &text, int width) {
    const int excess = widget->sizeHint().width() - width;
    if (excess <= 0 || text.size() < 2)
        return;
    QFont font = widget->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, -qreal(excess + 1) / qreal(text.size() - 1));
    widget->setFont(font);
}

// The width from x to the frame of the group (or the edge of the panel) the widget lies in.
int widthToFrame(const QWidget *widget, int x) {
    const QWidget *parent = widget->parentWidget();
    const int clearance = qobject_cast<const QGroupBox *>(parent) ? frameClearance : 0;
    return parent->width() - clearance - x;
}

class PanelBuilder {
public:
    PanelBuilder(QWidget *panel, db::DataSource *source) : m_panel(panel), m_source(source) {}

    // Controls take their place in the tab order as they are created.
    DetailPanel build() {
        for (const EditorPlace &place : editors)
            ++m_captionUses[editorCaption(place)];
        for (const GroupPlace &place : groups)
            addGroup(place);
        for (const EditorPlace &place : editors) {
            addEditor(place);
            const std::string_view column(place.column);
            for (const ButtonPlace &button : buttons) {
                if (column == button.after)
                    addButton(button);
            }
            if (column == "NeedLock")
                addChambers(); // the chamber group comes next in tab order
        }
        for (const LinePlace &line : lines)
            addLine(line);
        for (const NotePlace &note : notes) {
            QLabel *label = addLabel(m_panel, QString::fromUtf8(note.text), note.pos, false);
            m_result.labels << label;
        }
        return m_result;
    }

private:
    void addGroup(const GroupPlace &place) {
        const QString key = QString::fromUtf8(place.key);
        const bool nested = key.contains(QLatin1Char('/'));
        QWidget *parent =
            nested
                ? static_cast<QWidget *>(m_result.groups.value(key.section(QLatin1Char('/'), 0, 0)))
                : m_panel;
        auto *box = new ClassicGroupBox(captionOf(place.key), parent);
        box->setObjectName(key);
        box->setGeometry(place.rect);
        box->setFont(panelFont(m_panel, !nested, nested));
        controls::setHint(box, QString::fromUtf8(place.hint));
        m_result.groups.insert(key, box);
    }

    QGroupBox *groupOf(const char *key) const {
        QGroupBox *box = m_result.groups.value(QString::fromUtf8(key));
        Q_ASSERT_X(box, "buildDetailPanel", key);
        return box;
    }

    // A label at pos that must fit before the frame of its group and, when room is given,
    // into that many pixels.
    QLabel *addLabel(QWidget *parent, const QString &caption, QPoint pos, bool bold,
                     int room = -1) {
        auto *label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setFont(panelFont(m_panel, bold, false));
        const int toFrame = widthToFrame(label, pos.x());
        fitCaption(label, caption, room >= 0 ? std::min(room, toFrame) : toFrame);
        label->adjustSize();
        label->move(pos);
        return label;
    }

    void addEditor(const EditorPlace &place) {
        const data::EquipmentColumn *column =
            data::findEquipmentColumn(QString::fromUtf8(place.column));
        Q_ASSERT_X(column, "buildDetailPanel", place.column);
        QGroupBox *group = groupOf(place.group ? place.group : column->group);
        const QString name = QString::fromUtf8(column->name);
        const QString caption = editorCaption(place);
        const QString hint = text(place.hint, column->hint);

        QWidget *editor = nullptr;
        controls::FieldControl *control = nullptr;
        const bool isCheck = column->kind == data::ColumnKind::YesNo;
        if (isCheck) {
            auto *box = new controls::TDBCheckBox(caption, group);
            box->setFont(panelFont(m_panel, false, false));
            box->setDataField(name);
            box->setDataSource(m_source);
            box->setGeometry(place.x, place.y, place.width, checkHeight);
            fitCaption(box, caption, place.width);
            editor = box;
            control = box;
        } else if (name == QLatin1String("Kind") || name == QLatin1String("Era") ||
                   name == QLatin1String("Smoke")) {
            auto *box = new controls::TDBComboBox(group);
            box->setItems(name == QLatin1String("Kind")  ? data::kindValues()
                          : name == QLatin1String("Era") ? data::eraValues()
                                                         : data::smokeValues());
            box->setDataField(name);
            box->setDataSource(m_source);
            editor = box;
            control = box;
        } else {
            auto *edit = new controls::TDBEdit(group);
            edit->setDataField(name);
            edit->setDataSource(m_source);
            editor = edit;
            control = edit;
        }
        control->setDisplayLabel(messageLabel(caption, group));
        if (!isCheck) {
            editor->setFont(panelFont(m_panel, true, false));
            editor->setGeometry(place.x, place.y, place.width, editHeight);
        }
        editor->setObjectName(name);
        controls::setHint(editor, hint);
        m_result.editors.insert(name, editor);

        if (place.labelX >= 0 && !caption.isEmpty()) {
            // A caption on its editor's line ends a few pixels before the editor's box.
            const bool before = place.labelY == place.y + labelOffset && place.labelX < place.x;
            QLabel *label = addLabel(group, caption, {place.labelX, place.labelY}, false,
                                     before ? place.x - captionGap - place.labelX : -1);
            label->setBuddy(editor);
            controls::setHint(label, place.labelHint ? QString::fromUtf8(place.labelHint) : hint);
            m_result.labels << label;
        }
        const QString unit = QString::fromUtf8(column->unit);
        if (place.unitX >= 0 && !unit.isEmpty()) {
            QLabel *label = addLabel(group, unit, {place.unitX, place.y + labelOffset}, true);
            controls::setHint(label, hint);
            m_result.labels << label;
        }
    }

    void addChambers() {
        for (int number = 1; number <= chamberCount; ++number) {
            const QByteArray column = "Chamber" + QByteArray::number(number);
            EditorPlace place = chamberPlace(number);
            place.column = column.constData();
            addEditor(place);
        }
    }

    void addLine(const LinePlace &place) {
        auto *line = new QFrame(groupOf(place.group));
        line->setFrameShape(place.width == 0 ? QFrame::VLine : QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(place.x, place.y, std::max(place.width, 2), std::max(place.height, 2));
    }

    void addButton(const ButtonPlace &place) {
        auto *button = new QPushButton(QString::fromUtf8(place.caption), groupOf(place.group));
        button->setObjectName(QString::fromUtf8(place.name));
        button->setGeometry(place.rect);
        button->setFont(panelFont(m_panel, true, false));
        controls::setHint(button, QString::fromUtf8(place.hint));
        m_result.buttons.insert(button->objectName(), button);
    }

    static QString editorCaption(const EditorPlace &place) {
        const data::EquipmentColumn *column =
            data::findEquipmentColumn(QString::fromUtf8(place.column));
        return column ? text(place.caption, column->caption) : QString();
    }

    // How messages name an editor's column: by its caption, with the group it stands in
    // when other editors share the caption ("Heat (To User)"); without a caption by the
    // column name.
    QString messageLabel(const QString &caption, const QGroupBox *group) const {
        if (caption.isEmpty())
            return {};
        if (m_captionUses.value(caption) < 2)
            return caption;
        return QStringLiteral("%1 (%2)").arg(caption, group->title().trimmed());
    }

    QWidget *m_panel;
    db::DataSource *m_source;
    DetailPanel m_result;
    QHash<QString, int> m_captionUses;
};

} // namespace

std::span<const GroupPlace> detailGroups() {
    return groups;
}
std::span<const EditorPlace> detailEditors() {
    return editors;
}
std::span<const LinePlace> detailLines() {
    return lines;
}
std::span<const ButtonPlace> detailButtons() {
    return buttons;
}
std::span<const NotePlace> detailNotes() {
    return notes;
}

DetailPanel buildDetailPanel(QWidget *panel, db::DataSource *source) {
    return PanelBuilder(panel, source).build();
}

} // namespace app
