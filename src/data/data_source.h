#pragma once

#include <QObject>

class Dataset;

// What a grid or a control is bound to: a named link to one dataset.
class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(Dataset& dataset, const QString& name, QObject* parent = nullptr)
        : QObject(parent), m_dataset(dataset) {
        setObjectName(name);
    }
    Dataset& dataset() const { return m_dataset; }

private:
    Dataset& m_dataset;
};
