#pragma once

#include "reports/report_layouts.h"

#include <QObject>

class Dataset;
class QWidget;
struct Forms;

// Carries the three report layouts for the life of the program; never shown itself. Commands fill
// the texts a layout leaves open and ask it for the preview.
class frm_raporlar__ : public QObject {
    Q_OBJECT
public:
    explicit frm_raporlar__(Forms& forms, QObject* parent = nullptr);

    Report::Definition rap_1;
    Report::Definition rap_2;
    Report::Definition qr3;

    // The firm block receives the first firm row's four lines; the firm table is closed again.
    void FillFirmHeader(Report::Item& block);
    // Shows `report` over `data` in the modal preview and returns when the user has closed it.
    // Like a walk from the first row to the last, it leaves the dataset on its last row.
    void Preview(Report::Definition& report, Dataset& data, QWidget* parent);

public slots:
    QString QRLabel34Print(int row);
    QString QRLabel27Print(int row);

private:
    Forms& m_forms;
};
