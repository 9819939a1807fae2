#include "data/row_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

// Small results (a trainee's payments, a sum) start with a small block; big lists grow to large ones.
constexpr size_t FirstChunkSize = 4096;
constexpr size_t ChunkSize = 1 << 20;
using Offset = quint32;

size_t payloadSize(const Cell& c) {
    switch (c.kind) {
    case Cell::Kind::Null:
        return 0;
    case Cell::Kind::Integer:
        return 1 + sizeof(qint64);
    case Cell::Kind::Real:
        return 1 + sizeof(double);
    case Cell::Kind::Text:
    case Cell::Kind::Blob:
        return 1 + size_t(c.size);
    }
    return 0;
}

std::byte* write(std::byte* at, const Cell& c) {
    if (c.kind == Cell::Kind::Null)
        return at;
    *at++ = std::byte(c.kind);
    switch (c.kind) {
    case Cell::Kind::Integer:
        std::memcpy(at, &c.integer, sizeof c.integer);
        return at + sizeof c.integer;
    case Cell::Kind::Real:
        std::memcpy(at, &c.real, sizeof c.real);
        return at + sizeof c.real;
    default:
        if (c.size > 0)
            std::memcpy(at, c.data, size_t(c.size));
        return at + c.size;
    }
}

} // namespace

Cell RowStore::readCell(sqlite3_stmt* statement, int column) {
    Cell c;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        c.kind = Cell::Kind::Integer;
        c.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        c.kind = Cell::Kind::Real;
        c.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT:
        c.kind = Cell::Kind::Text;
        c.data = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        c.size = sqlite3_column_bytes(statement, column);
        break;
    case SQLITE_BLOB:
        c.kind = Cell::Kind::Blob;
        c.data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        c.size = sqlite3_column_bytes(statement, column);
        break;
    default:
        break;
    }
    return c;
}

void RowStore::reset(int columnCount) {
    m_columns = columnCount;
    m_chunks.clear();
    m_chunkUsed = m_chunkSize = 0;
}

std::byte* RowStore::allocate(size_t size) {
    size = (size + alignof(Offset) - 1) & ~(alignof(Offset) - 1);
    if (m_chunks.empty() || m_chunkUsed + size > m_chunkSize) {
        const size_t grown = m_chunks.empty() ? FirstChunkSize : std::min(m_chunkSize * 2, ChunkSize);
        m_chunkSize = std::max(grown, size);
        // Every byte is written before it is read: clearing the block would be wasted work.
        m_chunks.push_back(std::make_unique_for_overwrite<std::byte[]>(m_chunkSize));
        m_chunkUsed = 0;
    }
    std::byte* block = m_chunks.back().get() + m_chunkUsed;
    m_chunkUsed += size;
    return block;
}

RowStore::Row RowStore::add(sqlite3_stmt* statement) {
    thread_local std::vector<Cell> cells;
    cells.resize(size_t(m_columns));
    for (int i = 0; i < m_columns; ++i)
        cells[size_t(i)] = readCell(statement, i);
    return add(cells);
}

RowStore::Row RowStore::add(const std::vector<Cell>& cells) {
    const size_t header = sizeof(Offset) * size_t(m_columns + 1);
    size_t size = header;
    for (const Cell& c : cells)
        size += payloadSize(c);
    std::byte* block = allocate(size);
    auto* offsets = reinterpret_cast<Offset*>(block);
    std::byte* at = block + header;
    for (int i = 0; i < m_columns; ++i) {
        offsets[i] = Offset(at - block);
        at = write(at, cells[size_t(i)]);
    }
    offsets[m_columns] = Offset(at - block);
    return block;
}

Cell RowStore::cell(Row row, int column) const {
    const auto* offsets = reinterpret_cast<const Offset*>(row);
    const std::byte* at = row + offsets[column];
    const std::byte* end = row + offsets[column + 1];
    Cell c;
    if (at == end)
        return c;
    c.kind = Cell::Kind(*at++);
    switch (c.kind) {
    case Cell::Kind::Integer:
        std::memcpy(&c.integer, at, sizeof c.integer);
        break;
    case Cell::Kind::Real:
        std::memcpy(&c.real, at, sizeof c.real);
        break;
    default:
        c.data = reinterpret_cast<const char*>(at);
        c.size = int(end - at);
    }
    return c;
}
