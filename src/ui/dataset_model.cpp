#include "ui/dataset_model.h"

#include "data/data_source.h"
#include "data/dataset.h"

#include <QDateTime>
#include <QLocale>

DatasetModel::DatasetModel(DataSource& source, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_source(source), m_columns(std::move(columns)) {
    Dataset& d = source.dataset();
    connect(&d, &Dataset::aboutToReset, this, &DatasetModel::beginResetModel);
    connect(&d, &Dataset::reset, this, [this] {
        resolveFields();
        endResetModel();
    });
    connect(&d, &Dataset::rowAboutToBeInserted, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(&d, &Dataset::rowInserted, this, &DatasetModel::endInsertRows);
    connect(&d, &Dataset::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(&d, &Dataset::rowRemoved, this, &DatasetModel::endRemoveRows);
    connect(&d, &Dataset::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(&d, &Dataset::currentChanged, this, [this](int row) {
        const int previous = m_markedRow;
        m_markedRow = row;
        for (int r : {previous, row})
            if (r >= 0 && r < rowCount())
                emit headerDataChanged(Qt::Vertical, r, r);
    });
    resolveFields();
}

void DatasetModel::resolveFields() {
    m_fieldIndex.clear();
    for (const GridColumn& c : m_columns)
        m_fieldIndex.push_back(m_source.dataset().fieldIndex(c.field));
    m_markedRow = m_source.dataset().currentRow();
}

int DatasetModel::columnOf(const QString& field) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].field == field)
            return int(i);
    return -1;
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_source.dataset().recordCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const GridColumn& column = m_columns[size_t(index.column())];
    const QVariant value = m_source.dataset().valueAt(index.row(), m_fieldIndex[size_t(index.column())]);
    switch (column.format) {
    case GridColumn::Format::Check:
        if (role == Qt::CheckStateRole)
            return value.toBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    case GridColumn::Format::Amount:
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role == Qt::DisplayRole && !value.isNull())
            return QLocale().toString(value.toDouble(), 'f', 2);
        return {};
    case GridColumn::Format::Date:
        if (role == Qt::DisplayRole && !value.isNull())
            return value.toDateTime().date().toString("dd.MM.yyyy");
        return {};
    case GridColumn::Format::Plain:
        return role == Qt::DisplayRole ? value : QVariant();
    }
    return {};
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columnCount() ? m_columns[size_t(section)].title : QVariant();
    return section == m_markedRow ? QStringLiteral("▶") : QString();
}
