#include "export_sample.h"

#include <QTest>

class TstExportSpreadsheets : public QObject {
    Q_OBJECT
};

QTEST_MAIN(TstExportSpreadsheets)
#include "tst_export_spreadsheets.moc"
