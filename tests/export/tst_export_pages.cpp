#include "export_sample.h"

#include <QTest>

class TstExportPages : public QObject {
    Q_OBJECT
};

QTEST_MAIN(TstExportPages)
#include "tst_export_pages.moc"
