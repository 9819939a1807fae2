#pragma once

#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <vector>

struct sqlite3_stmt;

// One stored value as SQLite gave it.
struct Cell {
    enum class Kind : quint8 { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    const char* data = nullptr; // text (UTF-8) or blob bytes, not terminated
    int size = 0;
};

// Rows of a result kept compactly: each row is one block holding the offsets of its cells and
// the cells' bytes, allocated from large chunks. A list of 100,000 trainees with their 84
// columns, mostly empty, then costs a few tens of megabytes and no allocation per value.
class RowStore {
public:
    using Row = const std::byte*;

    void reset(int columnCount);
    int columnCount() const { return m_columns; }

    // Copies the statement's current row.
    Row add(sqlite3_stmt* statement);
    // Copies cells given one per column.
    Row add(const std::vector<Cell>& cells);

    Cell cell(Row row, int column) const;
    // The statement's value as SQLite holds it; its bytes stay valid until the next step.
    static Cell readCell(sqlite3_stmt* statement, int column);

private:
    std::byte* allocate(size_t size);

    int m_columns = 0;
    std::vector<std::unique_ptr<std::byte[]>> m_chunks;
    size_t m_chunkUsed = 0;
    size_t m_chunkSize = 0;
};
