#pragma once

#include "ui/dataset_model.h"

#include <QTableView>

class QAbstractButton;
class DataSource;

// A read-only grid over a dataset: whole rows selected, the selection following the dataset's
// current row and a click moving it, column titles as buttons, a row indicator with its corner
// button, and a sort marker on at most one column.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    DataGrid(DataSource& source, std::vector<GridColumn> columns, QWidget* parent = nullptr);

    QAbstractButton* cornerButton() const { return m_corner; }
    // Shows the marker on the column of this field, or on none.
    void setSortMarker(const QString& field);
    QString sortMarkerField() const;

signals:
    void titleClicked(const QString& field);
    void cornerClicked();

private:
    void followDataset(int row);
    void applyColumnWidths();

    DataSource& m_source;
    DatasetModel* m_model;
    QAbstractButton* m_corner = nullptr;
    bool m_following = false;
    int m_viewsRow = -1; // the row the view is moving the dataset to
};
