#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class DataSource;

// How a grid shows one field.
struct GridColumn {
    enum class Format { Plain, Date, Amount, Check };
    QString field;
    QString title;
    int widthChars;
    Format format = Format::Plain;
};

// A grid's view of a dataset: exactly the grid's columns, in its order. The row header marks the
// dataset's current row.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(DataSource& source, std::vector<GridColumn> columns, QObject* parent = nullptr);

    const std::vector<GridColumn>& columns() const { return m_columns; }
    int columnOf(const QString& field) const; // -1 when the grid has no such column

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void resolveFields();

    DataSource& m_source;
    std::vector<GridColumn> m_columns;
    std::vector<int> m_fieldIndex;
    int m_markedRow = -1;
};
