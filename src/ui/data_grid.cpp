#include "ui/data_grid.h"

#include "app/guard.h"
#include "data/data_source.h"
#include "data/dataset.h"

#include <QAbstractButton>
#include <QHeaderView>

namespace {

// The row indicator has a fixed width: its size hint need not measure the rows' titles, which it
// would do again on every move of the marker.
class RowIndicatorHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;
    QSize sizeHint() const override { return {width(), 0}; }
};

} // namespace

DataGrid::DataGrid(DataSource& source, std::vector<GridColumn> columns, QWidget* parent)
    : QTableView(parent), m_source(source), m_model(new DatasetModel(source, std::move(columns), this)) {
    setVerticalHeader(new RowIndicatorHeader(Qt::Vertical, this));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setCornerButtonEnabled(true);

    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶")) + 12);
    applyColumnWidths();

    // The corner button resets the list instead of selecting everything.
    m_corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner) {
        m_corner->disconnect();
        connect(m_corner, &QAbstractButton::clicked, this, &DataGrid::cornerClicked);
    }

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < int(m_model->columns().size()))
            emit titleClicked(m_model->columns()[size_t(section)].field);
    });
    // The view has put its current row there itself, with the selection the user made (several rows
    // with Ctrl or Shift): the dataset follows it, and the selection is left as the view made it.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_following || !current.isValid())
                    return;
                m_viewsRow = current.row();
                Guard::run([&] { m_source.dataset().moveTo(current.row()); });
                m_viewsRow = -1;
            });
    Dataset& dataset = source.dataset();
    // While the dataset adds or drops rows itself, the view's own moves of its selection are not the user's.
    const auto hold = [this] { m_following = true; };
    const auto release = [this] {
        m_following = false;
        followDataset(m_source.dataset().currentRow());
    };
    connect(&dataset, &Dataset::rowAboutToBeInserted, this, hold);
    connect(&dataset, &Dataset::rowInserted, this, release);
    connect(&dataset, &Dataset::rowAboutToBeRemoved, this, hold);
    connect(&dataset, &Dataset::rowRemoved, this, release);
    connect(&dataset, &Dataset::currentChanged, this, &DataGrid::followDataset);
    connect(&dataset, &Dataset::reset, this, [this] { followDataset(m_source.dataset().currentRow()); });
}

void DataGrid::followDataset(int row) {
    if (row >= 0 && row == m_viewsRow)
        return;
    m_following = true;
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
    } else {
        const QModelIndex index = m_model->index(row, std::max(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(index,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_following = false;
}

// A column is as wide as its characters, and never narrower than its title.
void DataGrid::applyColumnWidths() {
    const int charWidth = fontMetrics().averageCharWidth();
    QFont titleFont = horizontalHeader()->font();
    titleFont.setBold(true);
    const QFontMetrics titleMetrics(titleFont);
    for (size_t i = 0; i < m_model->columns().size(); ++i) {
        const GridColumn& c = m_model->columns()[i];
        setColumnWidth(int(i),
                       std::max(c.widthChars * charWidth, titleMetrics.horizontalAdvance(c.title)) + 12);
    }
}

void DataGrid::setSortMarker(const QString& field) {
    const int column = m_model->columnOf(field);
    horizontalHeader()->setSortIndicatorShown(column >= 0);
    horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
}

QString DataGrid::sortMarkerField() const {
    const int column =
        horizontalHeader()->isSortIndicatorShown() ? horizontalHeader()->sortIndicatorSection() : -1;
    return column >= 0 && column < int(m_model->columns().size()) ? m_model->columns()[size_t(column)].field
                                                                  : QString();
}
