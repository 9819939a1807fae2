#pragma once

#include "data/connection.h"
#include "data/row_store.h"
#include "data/schema.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A static client cursor over one Jet-dialect statement: opening reads the whole result, so the
// record count is exact and other statements' changes show only after a reopen. Rows are
// written back through parameterised statements on the table named after FROM, by its key and
// the row version read with it: a row that another copy of the program changed or deleted since
// is never overwritten, the write fails with RowChangedElsewhereText. The row version is kept
// beside each row but is no field: lists, panels and exports never see it. A write that fails
// leaves the dataset as it was before it; inside a transaction, the dataset returns to its state
// at the transaction's start when that is rolled back.
class Dataset : public QObject, private TransactionParticipant {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    struct Field {
        QString name;
        std::optional<ColumnType> type; // none for computed columns: values come as stored
        int width = 0;
        QString label; // the caption of its control, for messages
    };

    Dataset(Connection& connection, const QString& name, QObject* parent = nullptr);
    ~Dataset() override;

    // Runs after every afterScroll, called directly: unlike a slot, an error it raises ends the
    // operation that moved the current row, and so the command that made it.
    void setScrollHandler(std::function<void()> handler) { m_scrollHandler = std::move(handler); }

    // The statement, as lines joined by line breaks.
    void setSql(const QString& sql);
    QString sql() const { return m_lines.join('\n'); }
    QStringList sqlLines() const { return m_lines; }
    void setSqlLine(int index, const QString& line);
    // The type of a result column that no table gives one (a computed due date): it reads, shows,
    // prints and exports as a column of that type. Takes effect at the next open.
    void setComputedType(const QString& field, ColumnType type);

    void open();
    void close();
    bool isActive() const { return m_state != State::Inactive; }
    // Runs the statement for its effect; it returns no rows.
    void execute();
    // The same for a statement that names one row by its key and by the version this program read
    // (rowVersion()): when it changes no row, another copy changed or deleted that row meanwhile.
    void executeVersioned();

    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    int currentRow() const { return m_current; }
    void first() { moveTo(0); }
    void last() { moveTo(recordCount() - 1); }
    void next() { moveTo(m_current + 1); }
    void prior() { moveTo(m_current - 1); }
    // Out of range is ignored; moving to the current row is no move.
    void moveTo(int row);
    // Moves to the first row whose field equals `value`; false, and no move, when none does.
    bool locate(const QString& field, const QVariant& value);

    int fieldCount() const { return int(m_fields.size()); }
    const Field& field(int index) const { return m_fields[size_t(index)]; }
    int fieldIndex(const QString& name) const;

    QVariant value(const QString& field) const;
    QVariant value(int field) const { return valueAt(m_current, field); }
    QVariant valueAt(int row, int field) const;
    // Puts the row into editing when it is not yet.
    void setValue(const QString& field, const QVariant& value);
    void setValue(int field, const QVariant& value);

    // The version of the current row as it was read; 0 for a row not saved yet.
    qint64 rowVersion() const;

    State state() const { return m_state; }
    bool isModified() const { return m_modified; }
    void append();
    void edit();
    void post();
    // Cancelling an edit shows the row as the database holds it now: what another copy saved
    // meanwhile comes in, and a row deleted meanwhile leaves the result.
    void cancel();
    void deleteRow();

signals:
    // The current row changed by a move, by opening a non-empty result, by an append or by
    // cancelling an insert.
    void afterScroll();
    void stateChanged(Dataset::State state);
    void fieldChanged(int field);
    void aboutToReset();
    void reset();
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentChanged(int row);

private:
    // Everything a rolled-back transaction gives back. Rows keep pointing into the store they
    // were read into, which stays alive with the saved state even if the dataset was reopened.
    struct SavedState {
        QStringList lines;
        State state;
        std::vector<Field> fields;
        const Table* table;
        int versionColumn;
        std::shared_ptr<RowStore> store;
        std::vector<RowStore::Row> rows;
        int current;
        std::vector<QVariant> buffer;
        std::vector<bool> changed;
        bool modified;
        int rowBeforeInsert;
    };
    void saveState() override;
    void restoreState() override;
    void dropSavedState() override { m_saved.reset(); }
    void scrolled();
    QString resultName(const QString& name, const Table* table) const;
    std::optional<ColumnType> computedType(const QString& field) const;

    void setState(State state);
    void requireActive() const;
    void requireCurrent() const;
    void checkBrowseMode();
    bool updatable() const;
    const Table& updateTable() const;
    qint64 insertRow();
    void updateRow(qint64 key);
    void refetchRow(qint64 key);
    bool readRowBack(qint64 key);
    void leaveEdit();
    int storeColumn(int field) const {
        return m_versionColumn >= 0 && field >= m_versionColumn ? field + 1 : field;
    }
    void setCurrent(int row);
    void dropCurrentRow(int nextCurrent);
    QVariant storageValue(int field, const QVariant& value) const;

    Connection& m_connection;
    QStringList m_lines;
    State m_state = State::Inactive;
    std::vector<Field> m_fields;
    const Table* m_table = nullptr;
    // Where the row version sits among the stored columns; -1 when the result has none.
    int m_versionColumn = -1;
    std::shared_ptr<RowStore> m_store = std::make_shared<RowStore>();
    std::vector<RowStore::Row> m_rows;
    int m_current = -1;
    // The row being edited or inserted, field by field, and which fields changed.
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_changed;
    bool m_modified = false;
    int m_rowBeforeInsert = -1;
    std::function<void()> m_scrollHandler;
    std::vector<std::pair<QString, ColumnType>> m_computedTypes;
    std::optional<SavedState> m_saved;
};
