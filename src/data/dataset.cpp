#include "data/dataset.h"

#include "data/connection.h"
#include "data/database_error.h"
#include "data/jet_dialect.h"
#include "data/transaction.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

int digits(const char* s, int count) {
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        n = n * 10 + (s[i] - '0');
    }
    return n;
}

// "YYYY-MM-DD" with an optional " HH:MM:SS", as the layer stores dates.
QVariant storedDate(const char* s, int size) {
    if (size >= 10 && s[4] == '-' && s[7] == '-') {
        const QDate date(digits(s, 4), digits(s + 5, 2), digits(s + 8, 2));
        QTime time(0, 0);
        if (size >= 19 && s[10] == ' ')
            time = QTime(digits(s + 11, 2), digits(s + 14, 2), digits(s + 17, 2));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    return QString::fromUtf8(s, size);
}

QVariant natural(const Cell& c) {
    switch (c.kind) {
    case Cell::Kind::Null:
        return {};
    case Cell::Kind::Integer:
        return c.integer;
    case Cell::Kind::Real:
        return c.real;
    case Cell::Kind::Text:
        return QString::fromUtf8(c.data, c.size);
    case Cell::Kind::Blob:
        return QByteArray(c.data, c.size);
    }
    return {};
}

QVariant toFieldValue(const Cell& c, const std::optional<ColumnType>& type) {
    if (c.kind == Cell::Kind::Null || !type)
        return natural(c);
    switch (*type) {
    case ColumnType::Text:
        return natural(c).toString();
    case ColumnType::Date:
        return c.kind == Cell::Kind::Text ? storedDate(c.data, c.size) : natural(c);
    case ColumnType::YesNo:
        return natural(c).toLongLong() != 0;
    case ColumnType::Number:
        return natural(c).toDouble();
    case ColumnType::AutoNumber:
    case ColumnType::Integer:
        return natural(c).toInt();
    }
    return natural(c);
}

Cell cellOf(const QVariant& storage, QByteArray& bytes) {
    Cell c;
    if (storage.isNull())
        return c;
    switch (storage.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
        c.kind = Cell::Kind::Integer;
        c.integer = storage.toLongLong();
        return c;
    case QMetaType::Double:
        c.kind = Cell::Kind::Real;
        c.real = storage.toDouble();
        return c;
    case QMetaType::QByteArray:
        c.kind = Cell::Kind::Blob;
        bytes = storage.toByteArray();
        break;
    default:
        c.kind = Cell::Kind::Text;
        bytes = storage.toString().toUtf8();
    }
    c.data = bytes.constData();
    c.size = int(bytes.size());
    return c;
}

// A write that names the version it read and changed nothing found the row changed or deleted by
// another copy of the program since it was read.
void executeOnReadVersion(Statement& statement) {
    statement.execute();
    if (statement.changedRows() == 0)
        throw DatabaseError(RowChangedElsewhereText);
}

const Table* tableNamedAfterFrom(const QString& sql) {
    static const QRegularExpression from(R"(\bfrom\s+\[?(\w+))", QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = from.match(sql);
    return m.hasMatch() ? Schema::table(m.captured(1)) : nullptr;
}

} // namespace

// The server gives result names in lower case: a field keeps the name the schema or the
// statement's own alias gives it, as the file's results do.
QString Dataset::resultName(const QString& name, const Table* table) const {
    if (m_connection.dialect() == SqlDialect::Sqlite)
        return name;
    if (const Column* column = table ? table->column(name) : Schema::anyColumn(name))
        return column->name;
    static const QRegularExpression alias(R"(\bas\s+\[?(\w+))", QRegularExpression::CaseInsensitiveOption);
    for (auto m = alias.globalMatch(sql()); m.hasNext();) {
        const QString written = m.next().captured(1);
        if (written.compare(name, Qt::CaseInsensitive) == 0)
            return written;
    }
    return name;
}

Dataset::Dataset(Connection& connection, const QString& name, QObject* parent)
    : QObject(parent), m_connection(connection) {
    setObjectName(name);
    m_connection.addParticipant(this);
}

Dataset::~Dataset() {
    m_connection.removeParticipant(this);
}

void Dataset::scrolled() {
    emit afterScroll();
    if (m_scrollHandler)
        m_scrollHandler();
}

void Dataset::saveState() {
    m_saved = SavedState{m_lines, m_state,   m_fields, m_table,   m_versionColumn, m_store,
                         m_rows,  m_current, m_buffer, m_changed, m_modified,      m_rowBeforeInsert};
}

// Views follow with as little as possible: a result that is still the same one only has its
// changed rows redrawn, so a long list keeps its place.
void Dataset::restoreState() {
    if (!m_saved)
        return;
    SavedState saved = std::move(*m_saved);
    m_saved.reset();
    const bool sameResult = saved.store == m_store && saved.rows.size() == m_rows.size();
    if (!sameResult)
        emit aboutToReset();
    const std::vector<RowStore::Row> rowsBefore = std::exchange(m_rows, std::move(saved.rows));
    const State stateBefore = std::exchange(m_state, saved.state);
    m_lines = std::move(saved.lines);
    m_fields = std::move(saved.fields);
    m_table = saved.table;
    m_versionColumn = saved.versionColumn;
    m_store = std::move(saved.store);
    m_current = saved.current;
    m_buffer = std::move(saved.buffer);
    m_changed = std::move(saved.changed);
    m_modified = saved.modified;
    m_rowBeforeInsert = saved.rowBeforeInsert;
    if (sameResult) {
        for (size_t row = 0; row < m_rows.size(); ++row)
            if (m_rows[row] != rowsBefore[row] || int(row) == m_current)
                emit rowChanged(int(row));
    } else {
        emit reset();
    }
    if (stateBefore != m_state)
        emit stateChanged(m_state);
    emit currentChanged(m_current);
}

void Dataset::setSql(const QString& sql) {
    close();
    m_lines = QString(sql).replace("\r\n", "\n").split('\n');
}

void Dataset::setSqlLine(int index, const QString& line) {
    close();
    while (m_lines.size() <= index)
        m_lines << QString();
    m_lines[index] = line;
}

void Dataset::setComputedType(const QString& field, ColumnType type) {
    std::erase_if(m_computedTypes,
                  [&](const auto& known) { return known.first.compare(field, Qt::CaseInsensitive) == 0; });
    m_computedTypes.emplace_back(field, type);
}

std::optional<ColumnType> Dataset::computedType(const QString& field) const {
    for (const auto& [name, type] : m_computedTypes)
        if (name.compare(field, Qt::CaseInsensitive) == 0)
            return type;
    return std::nullopt;
}

void Dataset::open() {
    if (isActive())
        return;
    Statement statement(m_connection, translateJet(sql(), m_connection.dialect()));
    const Table* table = tableNamedAfterFrom(sql());
    std::vector<Field> fields;
    int versionColumn = -1;
    const int columns = statement.columnCount();
    for (int i = 0; i < columns; ++i) {
        const QString name = resultName(statement.columnName(i), table);
        if (table && versionColumn < 0 && name.compare(Schema::RowVersion, Qt::CaseInsensitive) == 0) {
            versionColumn = i;
            continue;
        }
        const Column* column = table ? table->column(name) : Schema::anyColumn(name);
        fields.push_back(
            column ? Field{name, column->type, column->width, column->label.isEmpty() ? name : column->label}
                   : Field{name, computedType(name), 0, name});
    }
    auto store = std::make_shared<RowStore>();
    store->reset(columns);
    std::vector<RowStore::Row> rows;
    while (statement.step())
        rows.push_back(statement.addRowTo(*store));

    emit aboutToReset();
    m_fields = std::move(fields);
    m_table = table;
    m_versionColumn = versionColumn;
    m_store = std::move(store);
    m_rows = std::move(rows);
    m_current = -1;
    m_state = State::Browse;
    emit reset();
    emit stateChanged(m_state);
    setCurrent(m_rows.empty() ? -1 : 0);
    if (!m_rows.empty())
        scrolled();
}

void Dataset::close() {
    if (!isActive())
        return;
    emit aboutToReset();
    m_rows.clear();
    // A new store: a saved state may still point into the old one.
    m_store = std::make_shared<RowStore>();
    m_fields.clear();
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    m_state = State::Inactive;
    m_current = -1;
    emit reset();
    emit stateChanged(m_state);
    emit currentChanged(m_current);
}

void Dataset::execute() {
    Statement(m_connection, translateJet(sql(), m_connection.dialect())).execute();
}

void Dataset::executeVersioned() {
    Statement statement(m_connection, translateJet(sql(), m_connection.dialect()));
    executeOnReadVersion(statement);
}

qint64 Dataset::rowVersion() const {
    if (m_versionColumn < 0 || m_current < 0 || !m_rows[size_t(m_current)])
        return 0;
    return m_store->cell(m_rows[size_t(m_current)], m_versionColumn).integer;
}

void Dataset::moveTo(int row) {
    requireActive();
    if (row < 0 || row >= recordCount() || row == m_current)
        return;
    checkBrowseMode();
    if (row >= recordCount())
        return;
    setCurrent(row);
    scrolled();
}

bool Dataset::locate(const QString& field, const QVariant& value) {
    requireActive();
    const int column = fieldIndex(field);
    for (int row = 0; column >= 0 && row < recordCount(); ++row) {
        if (valueAt(row, column) == value) {
            moveTo(row);
            return true;
        }
    }
    return false;
}

int Dataset::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (name.compare(m_fields[i].name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QVariant Dataset::value(const QString& field) const {
    const int index = fieldIndex(field);
    if (index < 0)
        throw DatabaseError(QString("%1: %2 alanı bulunamadı").arg(objectName(), field));
    return value(index);
}

QVariant Dataset::valueAt(int row, int field) const {
    if (row < 0 || row >= recordCount() || field < 0 || field >= fieldCount())
        return {};
    if (row == m_current && (m_state == State::Edit || m_state == State::Insert))
        return m_buffer[size_t(field)];
    if (!m_rows[size_t(row)])
        return {};
    return toFieldValue(m_store->cell(m_rows[size_t(row)], storeColumn(field)), m_fields[size_t(field)].type);
}

void Dataset::setValue(const QString& field, const QVariant& value) {
    const int index = fieldIndex(field);
    if (index < 0)
        throw DatabaseError(QString("%1: %2 alanı bulunamadı").arg(objectName(), field));
    setValue(index, value);
}

void Dataset::setValue(int field, const QVariant& value) {
    edit();
    m_buffer[size_t(field)] = value;
    m_changed[size_t(field)] = true;
    m_modified = true;
    emit fieldChanged(field);
    emit rowChanged(m_current);
}

void Dataset::append() {
    requireActive();
    checkBrowseMode();
    m_rowBeforeInsert = m_current;
    const int row = recordCount();
    emit rowAboutToBeInserted(row);
    m_rows.push_back(nullptr);
    emit rowInserted(row);
    m_buffer.assign(m_fields.size(), QVariant());
    m_changed.assign(m_fields.size(), false);
    m_modified = false;
    // Current row and state change together, so nobody reads the new row before its buffer is there.
    m_current = row;
    m_state = State::Insert;
    emit stateChanged(m_state);
    emit currentChanged(m_current);
    scrolled();
}

void Dataset::edit() {
    requireCurrent();
    if (m_state != State::Browse)
        return;
    m_buffer.clear();
    for (int i = 0; i < fieldCount(); ++i)
        m_buffer.push_back(value(i));
    m_changed.assign(m_fields.size(), false);
    m_modified = false;
    setState(State::Edit);
}

void Dataset::post() {
    requireActive();
    if (m_state == State::Browse)
        return;
    const Table& table = updateTable();
    const int keyField = fieldIndex(table.key);
    Transaction write(m_connection);
    if (m_state == State::Insert) {
        refetchRow(insertRow());
    } else if (m_modified) {
        const qint64 key = m_buffer[size_t(keyField)].toLongLong();
        updateRow(key);
        refetchRow(key);
    }
    write.commit();
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
    emit rowChanged(m_current);
}

void Dataset::cancel() {
    if (m_state == State::Edit) {
        leaveEdit();
        if (updatable() && !readRowBack(value(m_table->key).toLongLong()))
            dropCurrentRow(m_current);
        else
            emit rowChanged(m_current);
    } else if (m_state == State::Insert) {
        dropCurrentRow(m_rowBeforeInsert);
    }
}

void Dataset::leaveEdit() {
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
}

void Dataset::deleteRow() {
    requireCurrent();
    if (m_state == State::Insert)
        return cancel();
    const Table& table = updateTable();
    Statement statement(
        m_connection,
        QString("DELETE FROM %1 WHERE %2 = ? AND %3 = ?").arg(table.name, table.key, Schema::RowVersion));
    statement.bind(1, value(table.key).toLongLong());
    statement.bind(2, rowVersion());
    executeOnReadVersion(statement);
    dropCurrentRow(m_current);
}

// Takes the current row out of the result (the database is not touched here) and makes the row
// at `nextCurrent`, or the nearest one, current. Nothing can read the dropped row meanwhile.
void Dataset::dropCurrentRow(int nextCurrent) {
    const int row = m_current;
    const bool wasEditing = m_state != State::Browse;
    m_buffer.clear();
    m_modified = false;
    m_current = -1;
    m_state = State::Browse;
    emit rowAboutToBeRemoved(row);
    m_rows.erase(m_rows.begin() + row);
    emit rowRemoved(row);
    if (wasEditing)
        emit stateChanged(m_state);
    setCurrent(m_rows.empty() ? -1 : std::clamp(nextCurrent, 0, recordCount() - 1));
    if (!m_rows.empty())
        scrolled();
}

void Dataset::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void Dataset::setCurrent(int row) {
    if (m_current == row)
        return;
    m_current = row;
    emit currentChanged(row);
}

void Dataset::requireActive() const {
    if (!isActive())
        throw DatabaseError(QString("%1: veri kümesi kapalı.").arg(objectName()));
}

void Dataset::requireCurrent() const {
    requireActive();
    if (m_current < 0)
        throw DatabaseError(QString("%1: kayıt yok.").arg(objectName()));
}

// Leaving a row posts what the user changed and drops a row nobody touched.
void Dataset::checkBrowseMode() {
    if (m_state == State::Browse || m_state == State::Inactive)
        return;
    if (m_modified) {
        post();
    } else if (m_state == State::Edit) {
        leaveEdit();
        emit rowChanged(m_current);
    } else {
        dropCurrentRow(m_rowBeforeInsert);
    }
}

bool Dataset::updatable() const {
    return m_table && fieldIndex(m_table->key) >= 0 && m_versionColumn >= 0;
}

const Table& Dataset::updateTable() const {
    if (!updatable())
        throw DatabaseError(QString("%1: bu sorgunun kayıtları değiştirilemez.").arg(objectName()));
    return *m_table;
}

QVariant Dataset::storageValue(int field, const QVariant& value) const {
    const Field& f = m_fields[size_t(field)];
    if (value.isNull() || !value.isValid() || !f.type)
        return value.isValid() ? value : QVariant();
    switch (*f.type) {
    case ColumnType::Text: {
        const QString text = value.toString();
        if (text.isEmpty())
            return {};
        if (f.width > 0 && text.size() > f.width)
            throw DatabaseError(
                QString("\"%1\" alanına en çok %2 karakter yazılabilir; girilen metin %3 karakter.")
                    .arg(f.label)
                    .arg(f.width)
                    .arg(text.size()));
        return text;
    }
    case ColumnType::Date:
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().isValid() ? QVariant(toStoredDate(QDateTime(value.toDate(), QTime(0, 0))))
                                            : QVariant();
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().isValid() ? QVariant(toStoredDate(value.toDateTime())) : QVariant();
        return value.toString().isEmpty() ? QVariant() : QVariant(value.toString());
    case ColumnType::YesNo:
        return qint64(value.toBool() ? -1 : 0);
    case ColumnType::Number:
        return value.toDouble();
    case ColumnType::AutoNumber:
    case ColumnType::Integer:
        return value.toLongLong();
    }
    return value;
}

qint64 Dataset::insertRow() {
    const Table& table = updateTable();
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < fieldCount(); ++i) {
        const QVariant v = storageValue(i, m_buffer[size_t(i)]);
        if (v.isNull() || m_fields[size_t(i)].name.compare(table.key, Qt::CaseInsensitive) == 0 ||
            !table.column(m_fields[size_t(i)].name))
            continue;
        columns << m_fields[size_t(i)].name;
        values << v;
    }
    const QString sql = columns.isEmpty() ? QString("INSERT INTO %1 DEFAULT VALUES").arg(table.name)
                                          : QString("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(table.name, columns.join(", "),
                                                     QStringList(columns.size(), "?").join(", "));
    Statement statement(m_connection, sql);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values[i]);
    statement.execute();
    return m_connection.lastInsertId();
}

void Dataset::updateRow(qint64 key) {
    const Table& table = updateTable();
    QStringList assignments;
    QVariantList values;
    for (int i = 0; i < fieldCount(); ++i) {
        const QString& name = m_fields[size_t(i)].name;
        if (!m_changed[size_t(i)] || name.compare(table.key, Qt::CaseInsensitive) == 0 || !table.column(name))
            continue;
        assignments << name + " = ?";
        values << storageValue(i, m_buffer[size_t(i)]);
    }
    if (assignments.isEmpty())
        return;
    Statement statement(m_connection,
                        QString("UPDATE %1 SET %2, %3 = %3 + 1 WHERE %4 = ? AND %3 = ?")
                            .arg(table.name, assignments.join(", "), Schema::RowVersion, table.key));
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values[i]);
    statement.bind(int(values.size()) + 1, key);
    statement.bind(int(values.size()) + 2, rowVersion());
    executeOnReadVersion(statement);
}

void Dataset::refetchRow(qint64 key) {
    if (!readRowBack(key))
        throw DatabaseError(QString("%1: kaydedilen kayıt okunamadı.").arg(objectName()));
}

// The current row as the database now holds it (its key, defaults, version); fields the table lacks
// keep the value being entered, or else the one they had. False when the row is no longer there.
bool Dataset::readRowBack(qint64 key) {
    const Table& table = updateTable();
    QStringList names;
    for (const Field& f : m_fields)
        names << (table.column(f.name) ? f.name : QString("NULL"));
    const bool computed = names.contains("NULL");
    names.insert(m_versionColumn, Schema::RowVersion);
    Statement statement(
        m_connection, QString("SELECT %1 FROM %2 WHERE %3 = ?").arg(names.join(", "), table.name, table.key));
    statement.bind(1, key);
    if (!statement.step())
        return false;
    const RowStore::Row before = m_rows[size_t(m_current)];
    const RowStore::Row fetched = statement.addRowTo(*m_store);
    if (!computed) {
        m_rows[size_t(m_current)] = fetched;
        return true;
    }
    std::vector<Cell> cells(size_t(names.size()));
    std::vector<QByteArray> bytes(m_fields.size());
    cells[size_t(m_versionColumn)] = m_store->cell(fetched, m_versionColumn);
    for (int i = 0; i < fieldCount(); ++i) {
        const int column = storeColumn(i);
        if (table.column(m_fields[size_t(i)].name))
            cells[size_t(column)] = m_store->cell(fetched, column);
        else if (!m_buffer.empty())
            cells[size_t(column)] = cellOf(storageValue(i, m_buffer[size_t(i)]), bytes[size_t(i)]);
        else if (before)
            cells[size_t(column)] = m_store->cell(before, column);
    }
    m_rows[size_t(m_current)] = m_store->add(cells);
    return true;
}
