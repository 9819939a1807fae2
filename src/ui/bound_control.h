#pragma once

#include <QString>
#include <QVariant>

#include <memory>

class DataSource;
class QWidget;

// What every data-bound control shares: it shows its field of the data source's current row
// (empty while the dataset is closed or has no row) and writes the user's entry back into that
// field. An entry is written when the focus leaves the control, or at once where a control's
// change is a finished choice; a value the user did not change is never written, so merely
// passing through a control does not put the row into editing.
class BoundControl {
public:
    BoundControl(const BoundControl&) = delete;
    BoundControl& operator=(const BoundControl&) = delete;

    QString field() const;
    // Writes the entry the user has made and not yet written.
    // False when the entry was refused; the control then shows the field's value again.
    virtual bool commit();
    // Shows the field's value again; an entry not yet written is dropped.
    void refresh();

protected:
    // `control` is the widget that derives from this; its objectName becomes the field's name.
    BoundControl(QWidget& control, DataSource& source, const QString& field);
    virtual ~BoundControl();

    // Runs after the entry has been written because the focus left the control.
    virtual void left() {}
    virtual void showValue(const QVariant& value) = 0;
    // What the control holds now, in the form the field takes.
    virtual QVariant entry() const = 0;
    // Characters the field's column holds; 0 when it has no width.
    int columnWidth() const;

private:
    class Link;
    std::unique_ptr<Link> m_link;
    QVariant m_shown;
};
