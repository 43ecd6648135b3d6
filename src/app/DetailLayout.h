#pragma once

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QString>
#include <span>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace db {
class DataSource;
}

namespace app {

// Where the detail panel puts things. The column table (data/EquipmentColumns) says what
// each column's editor is: its kind, group, caption, unit and hint. These tables say only
// where it goes, so the panel is built from the two together.

// A captioned group box. The key is the column table's group path; a key with a "/" is a
// group nested in the group before the slash (its caption is italic). The caption is the
// last part of the path with one blank on either side.
struct GroupPlace {
    const char *key;
    QRect rect;       // inside the parent group, or inside the panel
    const char *hint; // hint of the group itself, "" if none
};

// The editor of one column, placed inside its group.
struct EditorPlace {
    const char *column;
    int x, y, width;                 // the editor (edits and boxes are 21 high, check boxes 17)
    int labelX = -1, labelY = -1;    // caption label; -1: none (check boxes carry their text)
    int unitX = -1;                  // unit label on the editor's line; -1: none
    const char *group = nullptr;     // overrides the column table's group
    const char *caption = nullptr;   // overrides the column table's caption
    const char *hint = nullptr;      // overrides the column table's hint (editor and labels)
    const char *labelHint = nullptr; // overrides the hint of the caption label only
};

// A bevel line inside a group: vertical when width is 0, horizontal when height is 0.
struct LinePlace {
    const char *group;
    int x, y, width, height;
};

// A push button inside a group; it comes after the editor of column `after` in tab order.
struct ButtonPlace {
    const char *name;
    const char *group;
    const char *caption;
    QRect rect;
    const char *hint;
    const char *after;
};

// A label directly on the panel.
struct NotePlace {
    const char *text;
    QPoint pos;
};

std::span<const GroupPlace> detailGroups();
std::span<const EditorPlace> detailEditors();
std::span<const LinePlace> detailLines();
std::span<const ButtonPlace> detailButtons();
std::span<const NotePlace> detailNotes();

// Size of the detail panel.
inline constexpr QSize detailPanelSize{761, 800};

// The controls of a built panel, by column (editors), group key and button name.
struct DetailPanel {
    QHash<QString, QWidget *> editors;  // key: column name
    QHash<QString, QGroupBox *> groups; // key: group path
    QHash<QString, QPushButton *> buttons;
    QList<QLabel *> labels;
};

// Builds every group, editor, label, line and button on the panel, bound to the source.
DetailPanel buildDetailPanel(QWidget *panel, db::DataSource *source);

} // namespace app
