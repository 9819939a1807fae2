#pragma once

#include "export/export_settings.h"

#include <QObject>

class Dataset;

// The export facility: the list it exports and the settings its dialog starts from. The dialog
// keeps what the user changed there for the next export.
class ExportFacility : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void setDataSource(Dataset* dataset) { m_dataSource = dataset; }
    Dataset* dataSource() const { return m_dataSource; }
    ExportSettings& settings() { return m_settings; }
    const ExportSettings& settings() const { return m_settings; }

private:
    Dataset* m_dataSource = nullptr;
    ExportSettings m_settings;
};
