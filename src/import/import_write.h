#pragma once

#include "import/import_check.h"

// Writing the rows a check accepted, and the report of those it refused.

struct ImportResult {
    qint64 added = 0;
    qint64 updated = 0;
    qint64 skipped = 0; // refused rows and rows already stored

    // "N kursiyer eklendi, M güncellendi, K satır atlandı." or "N ödeme eklendi, K satır atlandı."
    QString text(ImportKind kind) const;
};

// Reads the file again and writes every row it accepts, in one transaction: all or nothing. The
// records the database holds are read again inside the transaction, once every other import and
// every save of a new candidate number has ended (and they wait for this one), so a trainee
// another desk added meanwhile is not added twice. None when stopped, the database left as it was;
// a database error is thrown after the rollback, as is an ImportError.
std::optional<ImportResult> writeImport(Connection& connection, const QString& path,
                                        const ImportOptions& options, const ImportSetup& setup,
                                        const std::vector<AmountStyle>& amountStyles,
                                        const ImportProgress& progress);

// Writes each refused row whole, and each row with a cell cut to fit, as a CSV the import reads
// again once the rows are mended (UTF-8 with its byte order mark, ";" between fields): "Satır", the
// row's number in the file; the file's columns under its own captions, as they were read; and
// "Sorun", every reason of the row joined by " | ". Returns the rows written. Throws ImportError
// when the report cannot be written.
qint64 saveProblemReport(const QString& reportPath, const QString& path, const ImportOptions& options,
                         const ImportSetup& setup, const KnownRecords& known,
                         const std::vector<AmountStyle>& amountStyles);
