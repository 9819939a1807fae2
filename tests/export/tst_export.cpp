#include "export_sample.h"

#include <QTest>

class TstExport : public QObject {
    Q_OBJECT
};

QTEST_MAIN(TstExport)
#include "tst_export.moc"
