#pragma once

#include "import/cell_values.h"
#include "import/import_fields.h"
#include "import/import_file.h"

#include <QHash>
#include <QSet>

#include <functional>
#include <optional>
#include <vector>

class Connection;

// Checking every row of a file before anything is written: each row is turned into the values it
// will be stored as, or refused with its reasons.

// A row whose candidate number a trainee already has: "Atla" skips it, "Güncelle" writes the
// file's cells that are not empty over that trainee's fields.
enum class ExistingRows { Skip, Update };

struct ImportSetup {
    ImportKind kind = ImportKind::Trainees;
    Matching matching;         // one entry per column of the file
    bool cutLongTexts = false; // a text longer than its field is cut at whole characters, not refused
    ExistingRows existing = ExistingRows::Skip;
};

// What the database holds that a check must know, read before checking.
struct KnownRecords {
    QHash<QString, qint64> trainees; // the trainee (kID) of each candidate number
    QSet<quint64> payments;          // a digest of each stored payment: trainee, date, amount, paid, note

    static KnownRecords read(Connection& connection, ImportKind kind);
};

enum class RowOutcome { Add, Update, AlreadyStored, Refused };

struct CheckedRow {
    qint64 fileRow = 0;
    RowOutcome outcome = RowOutcome::Add;
    // One per field of importFields(kind), as it will be stored: a new trainee's defaults where the
    // file gives nothing, null where nothing is written (a field an update leaves as it is).
    std::vector<QVariant> values;
    // One per field: why its cell was refused, empty where it was taken.
    std::vector<QString> fieldProblems;
    // Why the row as a whole was refused: a candidate number used by an earlier row, no trainee with
    // that candidate number, cells past the last column.
    QString rowProblem;
    int rowProblemColumn = -1;  // the column the row's problem is about, -1 when none
    std::vector<int> cutFields; // fields whose text was cut to fit
    qint64 traineeKey = 0;      // the trainee updated, or whose payment the row is

    // Every reason the row is refused for, and every cell cut to fit. Each names the row and, where
    // there is one, the column: "Satır 12, C sütunu (Doğum Tarihi): ..."; or, beside a row that shows
    // its number and its cells under the file's captions, the column's caption alone:
    // "Doğum Tarihi: ...".
    enum class Place { RowAndColumn, Caption };
    QStringList reasons(const QStringList& captions, const Matching& matching, ImportKind kind,
                        Place named = Place::RowAndColumn) const;
};

// Reads each row of a file into the values it will be stored as. Remembers the candidate numbers
// of the rows it has seen: a later row with one of them is refused. A column's amount style, where
// none is given, is decided by the first of its texts that only one style reads; until then a text
// either style reads ("1.234") is read the Turkish way. The write is given the styles the whole file
// decided, so that no preview waits for a reading of the whole file.
class ImportChecker {
public:
    ImportChecker(const ImportSetup& setup, const KnownRecords& known, std::vector<AmountStyle> amountStyles);
    ~ImportChecker();
    CheckedRow check(const ImportRow& row, qint64 fileRow);
    // One per column of the file, as decided so far.
    const std::vector<AmountStyle>& amountStyles() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Told how much of the file has been read (0 to 1); answers false to stop.
using ImportProgress = std::function<bool(double done)>;

struct CheckSummary {
    std::vector<AmountStyle> amountStyles; // what the write reads the amounts with
    std::vector<CheckedRow> preview;       // the first rows, as many as asked for
    qint64 accepted = 0;                   // rows to add or update
    qint64 refused = 0;
    qint64 alreadyStored = 0; // rows skipped under "Atla"
    qint64 cutCells = 0;

    // "N satır aktarılabilir, M satırda sorun var, K satır zaten kayıtlı"; the last part only under "Atla".
    QString text(ExistingRows existing) const;
};

// Checks the whole file. `preview` is called once, as soon as the first `previewRows` rows are
// checked (or the file ended before). None when stopped; throws ImportError.
std::optional<CheckSummary> checkFile(const QString& path, const ImportOptions& options,
                                      const ImportSetup& setup, const KnownRecords& known, int previewRows,
                                      const std::function<void(const CheckSummary&)>& preview,
                                      const ImportProgress& progress);
