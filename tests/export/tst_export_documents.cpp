#include "export_sample.h"

#include <QTest>

class TstExportDocuments : public QObject {
    Q_OBJECT
};

QTEST_MAIN(TstExportDocuments)
#include "tst_export_documents.moc"
