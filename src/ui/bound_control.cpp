#include "ui/bound_control.h"

#include <QEvent>
#include <QFocusEvent>
#include <QObject>
#include <QWidget>

#include "app/guard.h"
#include "data/data_source.h"
#include "data/dataset.h"
#include "data/schema.h"

namespace {

// A popup (drop-down list, calendar, context menu) or another window taking the focus for a
// while does not end the entry: the user comes back to it.
bool leavesControl(Qt::FocusReason reason) {
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

} // namespace

// The QObject side of a bound control: it follows the dataset's signals and watches the
// control's focus, so the control classes need neither.
class BoundControl::Link : public QObject {
public:
    Link(BoundControl& owner, QWidget& control, Dataset& dataset, const QString& field)
        : m_owner(owner), m_dataset(dataset), m_field(field), m_index(dataset.fieldIndex(field)) {
        control.setObjectName(field);
        control.installEventFilter(this);
        connect(&dataset, &Dataset::reset, this, [this] {
            m_index = m_dataset.fieldIndex(m_field);
            m_owner.refresh();
        });
        connect(&dataset, &Dataset::currentChanged, this, [this] { m_owner.refresh(); });
        connect(&dataset, &Dataset::fieldChanged, this, [this](int index) {
            if (index == m_index)
                m_owner.refresh();
        });
        // Posting and cancelling change the whole row; a write to another field while the row
        // is being edited leaves this control's pending entry alone.
        connect(&dataset, &Dataset::rowChanged, this, [this](int row) {
            if (row == m_dataset.currentRow() && m_dataset.state() == Dataset::State::Browse)
                m_owner.refresh();
        });
    }

    const QString& field() const { return m_field; }
    QVariant value() const { return m_dataset.valueAt(m_dataset.currentRow(), m_index); }
    void write(const QVariant& value) const { m_dataset.setValue(m_field, value); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut && leavesControl(static_cast<QFocusEvent*>(event)->reason())) {
            m_owner.commit();
            m_owner.left();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    BoundControl& m_owner;
    Dataset& m_dataset;
    QString m_field;
    int m_index;
};

BoundControl::BoundControl(QWidget& control, DataSource& source, const QString& field)
    : m_link(std::make_unique<Link>(*this, control, source.dataset(), field)) {}

BoundControl::~BoundControl() = default;

QString BoundControl::field() const {
    return m_link->field();
}

bool BoundControl::commit() {
    const QVariant typed = entry();
    if (typed == m_shown)
        return true;
    // A refused write must not leave an entry on screen that the row does not hold.
    if (Guard::run([&] { m_link->write(typed); }))
        return true;
    refresh();
    return false;
}

void BoundControl::refresh() {
    showValue(m_link->value());
    m_shown = entry();
}

int BoundControl::columnWidth() const {
    const Column* column = Schema::anyColumn(m_link->field());
    return column ? column->width : 0;
}
