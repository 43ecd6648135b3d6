#pragma once

#include "db/DataSetState.h"
#include "db/Dialect.h"
#include "db/Field.h"
#include "db/RowWriter.h"

#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace db {

class ChangeRecorder;
class ChangeWatcher;
class DataSource;
class RowStore;
struct TableChanges;

// A query over a database alias with the states and operations of a desktop dataset:
// inactive, browse, edit and insert; moves that settle a pending row first; bookmarks;
// fields by name; every change announced to the links of the attached data sources.
//
// A live result comes from a single-table "SELECT * FROM t [WHERE ...]". Its skeleton is
// the ordered list of row keys; row values are fetched in windows into a bounded cache,
// so a million-row table opens at the cost of its key list.
class DataSet {
public:
    explicit DataSet(const QString &databaseName = QString());
    virtual ~DataSet();
    DataSet(const DataSet &) = delete;
    DataSet &operator=(const DataSet &) = delete;

    // Alias the database engine resolves (see AliasRegistry).
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &alias) { m_databaseName = alias; }

    // Query text as lines; the engine receives them joined with a line break after each.
    const QStringList &sql() const { return m_sql; }
    void setSql(const QStringList &lines);
    // Values bound, in order, to the "?" placeholders of the query text.
    void setParameters(const QVariantList &values) { m_parameters = values; }
    const QVariantList &parameters() const { return m_parameters; }
    // A live result can be modified; a result that is not live, or whose text is not the
    // simple single-table form, is read-only.
    void setRequestLive(bool live) { m_requestLive = live; }
    bool requestLive() const { return m_requestLive; }
    // Always a query: the navigator's Refresh button keys on this.
    bool isQuery() const { return true; }

    void open();
    void close();
    // Opens the result of another query text in place of the current one. The new result is
    // read before the current one is closed (dropping a pending row): when it fails, the
    // dataset stays exactly as it was.
    void requery(const QStringList &lines, const QVariantList &parameters);
    // Columns that data-aware controls may name although the table lacks them: the open
    // does not fail, the control shows nothing.
    void setOptionalFields(const QStringList &names) { m_optionalFields = names; }
    // Columns that say which item a row describes (a code): when another program changed
    // one under an edit that did not, the row describes another item, and Post and Delete
    // refuse instead of writing over it.
    void setIdentityFields(const QStringList &names) { m_identityFields = names; }
    // Given every row a Post or Delete writes, inside its transaction (taking effect at the
    // next open).
    void setChangeRecorder(std::shared_ptr<const ChangeRecorder> recorder) {
        m_recorder = std::move(recorder);
    }
    bool active() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }

    void first();
    void last();
    void next();
    void prior();
    // Moves n rows (negative: back), stopping at the ends; returns the rows moved.
    int moveBy(int n);
    // Makes the given 0-based row current (settling a pending row first).
    void setRecNo(int row);

    // Every operation that throws leaves position, state, flags and row buffer as they were.
    void insert();
    // Reads the row as stored now (taking the engine's row lock where it has one); that is
    // what Post checks the stored row against.
    void edit();
    // Writes the changed columns in one transaction that first reads the stored row again.
    // Another program deleted the row, or changed a column the user changed too: RowConflict,
    // the edit stays with the user's values; the next Post stores them knowingly (a deleted
    // row as a new row). Columns only the other program changed are kept.
    void post();
    void cancel();

    // After a Post was refused because another program changed or deleted the row, leaving
    // the row (a move, a search, closing) must not store the values silently: the question
    // decides. Without a question such a move fails with the refusal's message.
    enum class RefusedEditChoice { Post, Discard, Stay };
    using RefusedEditQuestion = std::function<RefusedEditChoice(const QString &refusal)>;
    void setRefusedEditQuestion(RefusedEditQuestion question) {
        m_refusedEditQuestion = std::move(question);
    }
    bool hasRefusedEdit() const { return !m_refusal.isEmpty(); }
    // Asks about a refused edit (Post, Discard) before the row is left; throws
    // OperationAbandoned when the user stays. Does nothing without a refused edit.
    void settleRefusedEdit();
    void deleteRecord();
    // Settles a pending row, then reads the result again; the current row stays current by
    // its key (when another program deleted it, the row after it becomes current). While
    // following other programs' writes, the values are read at once and the key list, which
    // says which rows came and went, in another thread: it follows within moments.
    void refresh();

    // Following other programs' writes while the result is open (results read by key):
    // rows written by others show their new values, inserted rows appear and deleted rows
    // go, the current row staying current by its key. A row being edited or inserted is
    // never changed under the user: the notice handler is told instead when another
    // program changed or deleted the row being edited, and everything else follows once
    // the edit ends. Takes effect at the next open.
    void setFollowChanges(bool follow) { m_followChanges = follow; }
    bool followChanges() const { return m_followChanges; }
    // Receives messages for the user about other programs' writes (a status bar).
    void setNoticeHandler(std::function<void(const QString &)> handler) {
        m_noticeHandler = std::move(handler);
    }

    // A token for the current row (its key); null when inactive, inserting or empty.
    QVariant bookmark() const;
    // Settles a pending row, then makes the bookmarked row current. Throws when the row is
    // not in the result. A null bookmark does nothing.
    void gotoBookmark(const QVariant &bookmark);

    // Columns of the result, in result order.
    const std::vector<std::unique_ptr<Field>> &fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    Field *findField(const QString &name) const;   // letter case ignored; nullptr if absent
    Field *fieldByName(const QString &name) const; // throws "Field '%s' not found"

    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const { return recordCount() == 0; }
    bool canModify() const { return m_live && active(); }
    // Why a result asked to be live opened read-only (the file's mode, its folder, a
    // read-only disk, the role's grants); empty when it can be modified or was not asked to.
    QString readOnlyReason() const;
    bool modified() const { return m_modified; }
    int recordCount() const;
    int recNo() const { return m_current; } // 0-based, -1 when there is no row

    // Random access for grids and reports: the value of a column in any row of the result
    // (the row being edited shows its pending values). Reads through the row cache.
    QVariant valueAt(int row, int fieldIndex) const;
    QString textAt(int row, int fieldIndex) const;

    // Memory the row cache may hold, in rows (windows are fetched whole).
    void setCacheRows(int rows);

    // Used by Field.
    QVariant currentValue(int fieldIndex) const;
    void setCurrentValue(int fieldIndex, const QVariant &value);

private:
    friend class DataSource;
    void attach(DataSource *source);
    void detach(DataSource *source);

    enum class Notice { Active, Changed, Scrolled, Record, Editing };
    void announce(Notice notice, int distance = 0, Field *field = nullptr);
    std::unique_ptr<RowStore> openStore(const QStringList &lines,
                                        const QVariantList &parameters) const;
    void adopt(std::unique_ptr<RowStore> store);
    void takeEditorValues();
    void settle();
    void checkActive() const;
    void checkRequiredFields(const std::vector<ColumnInfo> &columns) const;
    // The column names as the program's controls and settings spell them.
    QStringList programFieldNames() const;
    void moveTo(int row, bool bof, bool eof);
    QVariantList readRow(int row) const;
    void loadCurrentRow();
    // Reads the current row after an edit or a delete ended, and announces it; a row that
    // cannot be read shows empty and the error is thrown.
    void showCurrentRow();
    void dropPending();
    void beginEditState(DataSetState state);
    std::vector<bool> columnsToWrite() const;
    void relockAfterFailedWrite();
    // Following other programs' writes.
    void watch();
    void changesArrived(const TableChanges &changes);
    void applyChanges();
    void keysArrived(std::vector<qint64> keys);
    // Runs a change of the result's keys and shows the outcome, the current row found again
    // by its key.
    void follow(const std::function<void()> &changeKeys);
    int rowAfterKey(qint64 key) const;
    QString rowName(const QVariantList &values) const;
    void warnAboutEditedRow(const TableChanges &changes);
    void tell(const QString &text) const;

    QString m_databaseName;
    QStringList m_sql;
    QVariantList m_parameters;
    bool m_requestLive = true;

    DataSetState m_state = DataSetState::Inactive;
    bool m_live = false;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    int m_current = -1;

    std::vector<std::unique_ptr<Field>> m_fields;
    std::unique_ptr<RowStore> m_rows;
    QVariantList m_buffer;       // the current row, or the row being edited
    QVariantList m_beforeInsert; // the current row's values when a new row was inserted
    StoredRow m_read;            // the stored row as the edit read it (checked at Post)
    std::vector<bool> m_changed; // columns changed since edit or insert began
    // What Post found of the edited row: another program deleted it, or stored another
    // item in it. The next Post stores the user's values as a new row.
    enum class Pending { None, RowGone, RowReplaced };
    Pending m_pending = Pending::None;
    QString m_refusal; // why the last Post of this edit was refused; empty when it was not
    RefusedEditQuestion m_refusedEditQuestion;
    QStringList m_optionalFields;
    QStringList m_identityFields;
    std::shared_ptr<const ChangeRecorder> m_recorder;
    std::vector<DataSource *> m_sources;
    int m_cacheRows = 4096;

    bool m_followChanges = false;
    std::unique_ptr<ChangeWatcher> m_watcher;
    std::unique_ptr<TableChanges> m_putOff; // changes that wait for an edit to end
    QString m_editWarning;                  // the last warning about the row being edited
    std::function<void(const QString &)> m_noticeHandler;
};

} // namespace db
