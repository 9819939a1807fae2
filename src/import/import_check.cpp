#include "import/import_check.h"

#include "data/connection.h"
#include "data/schema.h"
#include "import/checked_cells.h"
#include "payments/round_amount.h"

#include <QLocale>

#include <algorithm>

namespace {

// Rows read between two reports of progress, each a chance to stop.
constexpr int ProgressRows = 1000;

// Asked of every cell of the file: looks at a text where it lies rather than copying it.
bool isEmptyCell(const QVariant& cell) {
    if (!cell.isValid() || cell.isNull())
        return true;
    if (cell.typeId() != QMetaType::QString)
        return false;
    const QString& text = *static_cast<const QString*>(cell.constData());
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

bool goOn(const ImportProgress& progress, double done) {
    return !progress || progress(done);
}

// Never splits a surrogate pair: a letter outside the basic plane is left out whole.
QString cutToWidth(const QString& text, int width) {
    const int end = text.at(width - 1).isHighSurrogate() ? width - 1 : width;
    return text.left(end);
}

// What tells a payment already stored from a new one: its trainee, day, amount to the kuruş, whether
// it is paid, and its note.
quint64 paymentDigest(qint64 trainee, const QDate& day, double amount, bool paid, const QString& note) {
    const QString key = QString("%1|%2|%3|%4|%5")
                            .arg(trainee)
                            .arg(day.toString(Qt::ISODate))
                            .arg(qRound64(RoundAmount(amount) * 100))
                            .arg(paid ? 1 : 0)
                            .arg(note.trimmed());
    return quint64(qHash(key, 0));
}

} // namespace

KnownRecords KnownRecords::read(Connection& connection, ImportKind kind) {
    KnownRecords known;
    Statement trainees(connection, "SELECT kID, adayno FROM tb_kursiyer ORDER BY kID");
    while (trainees.step()) {
        const QString number = trainees.text(1).trimmed();
        if (!number.isEmpty() && !known.trainees.contains(number))
            known.trainees.insert(number, trainees.integer(0));
    }
    if (kind == ImportKind::Payments) {
        Statement payments(connection,
                           "SELECT kID, tarih, miktar, Odendi, aciklama FROM tb_odeme WHERE kID <> 0");
        while (payments.step())
            known.payments.insert(paymentDigest(payments.integer(0), dayOfStoredDate(payments.text(1)),
                                                payments.number(2), payments.integer(3) != 0,
                                                payments.text(4)));
    }
    return known;
}

QStringList CheckedRow::reasons(const QStringList& captions, const Matching& matching, ImportKind kind,
                                Place named) const {
    const std::vector<ImportField>& fields = importFields(kind);
    const auto reason = [&](int column, int field, const QString& problem) {
        if (column < 0)
            return named == Place::Caption ? problem : QString("Satır %1: %2").arg(fileRow).arg(problem);
        QString caption = column < captions.size() ? captions[column].trimmed() : QString();
        if (caption.isEmpty() && field >= 0)
            caption = fields[size_t(field)].caption;
        if (named == Place::Caption)
            return caption.isEmpty() ? problem : caption + ": " + problem;
        const QString where = QString("Satır %1, %2 sütunu").arg(fileRow).arg(columnLetters(column));
        return (caption.isEmpty() ? where : QString("%1 (%2)").arg(where, caption)) + ": " + problem;
    };
    QStringList all;
    if (!rowProblem.isEmpty()) {
        const bool matched = rowProblemColumn >= 0 && size_t(rowProblemColumn) < matching.size();
        all << reason(rowProblemColumn, matched ? matching[size_t(rowProblemColumn)] : -1, rowProblem);
    }
    for (size_t f = 0; f < fieldProblems.size(); ++f)
        if (!fieldProblems[f].isEmpty())
            all << reason(columnOf(matching, int(f)), int(f), fieldProblems[f]);
    for (const int f : cutFields)
        all << reason(columnOf(matching, f), f,
                      QString("%1 karakterden uzun; kırpıldı: \"%2\".")
                          .arg(fields[size_t(f)].width)
                          .arg(values[size_t(f)].toString()));
    return all;
}

struct ImportChecker::State {
    ImportSetup setup;
    KnownRecords known;
    // Each column's amount style, decided by the first of its texts that only one style reads.
    mutable std::vector<AmountStyle> styles;
    const std::vector<ImportField>& fields;
    std::vector<QStringList> valueLists; // each field's entries, made once rather than for each cell
    // The entry each text of a field was found to be: a list field holds few texts over many rows, and
    // comparing the Turkish way against 81 provinces costs more than the rest of a row.
    mutable std::vector<QHash<QString, std::optional<QString>>> entriesFound;
    int candidateField;
    int candidateColumn;
    QHash<QString, qint64> seen; // the candidate numbers of the rows checked, and their first row
    QDate today = QDate::currentDate();

    State(const ImportSetup& s, const KnownRecords& k, std::vector<AmountStyle> a)
        : setup(s), known(k), styles(std::move(a)), fields(importFields(s.kind)),
          candidateField(fieldNamed(s.kind, CandidateNumberField)),
          candidateColumn(columnOf(s.matching, candidateField)) {
        styles.resize(std::max(styles.size(), s.matching.size()), AmountStyle::Undecided);
        for (const ImportField& field : fields)
            valueLists.push_back(field.valueList ? field.valueList() : QStringList());
        entriesFound.resize(fields.size());
    }

    AmountStyle styleOf(const QVariant& cell, size_t column) const {
        if (styles[column] == AmountStyle::Undecided && cell.typeId() == QMetaType::QString)
            styles[column] = amountStyleOf(cell.toString().trimmed());
        return styles[column];
    }

    void readCells(const ImportRow& row, CheckedRow& checked) const;
    void readCell(const QVariant& cell, size_t column, int field, CheckedRow& checked) const;
    void readText(const QVariant& cell, int field, CheckedRow& checked) const;
    std::optional<QString> listEntry(const QString& text, int field) const;
    void refuseCellsPastLastColumn(const ImportRow& row, CheckedRow& checked) const;
    void requireFields(CheckedRow& checked) const;
    void decideTrainee(CheckedRow& checked);
    void giveNewTraineeDefaults(CheckedRow& checked) const;
    void decidePayment(CheckedRow& checked) const;
};

void ImportChecker::State::readCells(const ImportRow& row, CheckedRow& checked) const {
    const size_t columns = std::min(row.size(), setup.matching.size());
    for (size_t c = 0; c < columns; ++c) {
        const int field = setup.matching[c];
        if (field >= 0 && !isEmptyCell(row[c]))
            readCell(row[c], c, field, checked);
    }
}

void ImportChecker::State::readCell(const QVariant& cell, size_t column, int field,
                                    CheckedRow& checked) const {
    const auto take = [&](const auto& value, const char* refusal) {
        if (value)
            checked.values[size_t(field)] = *value;
        else
            checked.fieldProblems[size_t(field)] = QString(refusal).arg(shownCellText(cell));
    };
    switch (fields[size_t(field)].type) {
    case ColumnType::Date:
        return take(readDate(cell), "\"%1\" tarih olarak okunamadı.");
    case ColumnType::YesNo:
        return take(readYesNo(cell), "\"%1\" evet ya da hayır olarak okunamadı.");
    case ColumnType::Number: {
        std::optional<double> amount = readAmount(cell, styleOf(cell, column));
        if (amount)
            amount = RoundAmount(*amount);
        return take(amount, "\"%1\" tutar olarak okunamadı.");
    }
    default:
        return readText(cell, field, checked);
    }
}

void ImportChecker::State::readText(const QVariant& cell, int field, CheckedRow& checked) const {
    const ImportField& target = fields[size_t(field)];
    QString text = ::readText(cell).trimmed();
    if (text.isEmpty())
        return;
    QString& problem = checked.fieldProblems[size_t(field)];
    if (target.valueList) {
        const std::optional<QString> entry = listEntry(text, field);
        if (!entry) {
            problem = QString("\"%1\" listede yok.").arg(shownCellText(cell));
            return;
        }
        text = *entry;
    }
    if (target.width > 0 && text.size() > target.width) {
        if (!setup.cutLongTexts) {
            problem = QString("\"%1\" %2 karakterden uzun.").arg(shownCellText(cell)).arg(target.width);
            return;
        }
        text = cutToWidth(text, target.width);
        checked.cutFields.push_back(field);
    }
    checked.values[size_t(field)] = text;
}

std::optional<QString> ImportChecker::State::listEntry(const QString& text, int field) const {
    // A file of random texts must not grow the memory without end.
    constexpr qsizetype rememberedTexts = 1000;
    QHash<QString, std::optional<QString>>& found = entriesFound[size_t(field)];
    const auto earlier = found.constFind(text);
    if (earlier != found.constEnd())
        return *earlier;
    const std::optional<QString> entry = readListEntry(text, valueLists[size_t(field)]);
    if (found.size() < rememberedTexts)
        found.insert(text, entry);
    return entry;
}

void ImportChecker::State::refuseCellsPastLastColumn(const ImportRow& row, CheckedRow& checked) const {
    for (size_t c = setup.matching.size(); c < row.size(); ++c)
        if (!isEmptyCell(row[c])) {
            checked.rowProblem =
                QString("\"%1\" başlığı olmayan bir sütunda; satırın sütunları kaymış olabilir.")
                    .arg(shownCellText(row[c]));
            checked.rowProblemColumn = int(c);
            return;
        }
}

void ImportChecker::State::requireFields(CheckedRow& checked) const {
    for (size_t f = 0; f < fields.size(); ++f)
        if (fields[f].required && checked.values[f].isNull() && checked.fieldProblems[f].isEmpty())
            checked.fieldProblems[f] = QString("%1 boş olamaz.").arg(fields[f].caption);
}

void ImportChecker::State::giveNewTraineeDefaults(CheckedRow& checked) const {
    for (size_t f = 0; f < fields.size(); ++f) {
        QVariant& value = checked.values[f];
        if (!value.isNull() || !checked.fieldProblems[f].isEmpty())
            continue;
        if (fields[f].type == ColumnType::YesNo)
            value = false;
        else if (fields[f].name == "kayitTarihi")
            value = today;
        else if (fields[f].name == "odeme_tutari")
            value = 0.0;
    }
}

void ImportChecker::State::decideTrainee(CheckedRow& checked) {
    const QString number = checked.values[size_t(candidateField)].toString();
    if (!number.isEmpty() && checked.rowProblem.isEmpty()) {
        const auto earlier = seen.constFind(number);
        if (earlier != seen.constEnd()) {
            checked.rowProblem = QString("\"%1\" aday numarası dosyanın %2. satırında da var; yalnız ilki "
                                         "aktarılır.")
                                     .arg(number)
                                     .arg(*earlier);
            checked.rowProblemColumn = candidateColumn;
        }
    }
    // The first row that names a number claims it, even a row refused: a later row is then never
    // taken in its place unnoticed.
    if (!number.isEmpty() && !seen.contains(number))
        seen.insert(number, checked.fileRow);
    const auto stored = known.trainees.constFind(number);
    if (number.isEmpty() || stored == known.trainees.constEnd()) {
        requireFields(checked);
        giveNewTraineeDefaults(checked);
        checked.outcome = RowOutcome::Add;
    } else if (setup.existing == ExistingRows::Update) {
        checked.traineeKey = *stored;
        checked.outcome = RowOutcome::Update;
    } else {
        checked.traineeKey = *stored;
        checked.outcome = RowOutcome::AlreadyStored;
    }
}

void ImportChecker::State::decidePayment(CheckedRow& checked) const {
    const int paid = fieldNamed(ImportKind::Payments, "Odendi");
    QVariant& paidValue = checked.values[size_t(paid)];
    // A file without the column lists payments made; a column left empty says not yet paid.
    if (paidValue.isNull() && checked.fieldProblems[size_t(paid)].isEmpty())
        paidValue = columnOf(setup.matching, paid) < 0;
    requireFields(checked);
    const QString number = checked.values[size_t(candidateField)].toString();
    if (number.isEmpty())
        return;
    const auto trainee = known.trainees.constFind(number);
    if (trainee == known.trainees.constEnd()) {
        if (checked.rowProblem.isEmpty()) {
            checked.rowProblem = QString("\"%1\": Bu aday numarası ile kayıtlı kursiyer yok.").arg(number);
            checked.rowProblemColumn = candidateColumn;
        }
        return;
    }
    checked.traineeKey = *trainee;
    const int amount = fieldNamed(ImportKind::Payments, "miktar");
    const int day = fieldNamed(ImportKind::Payments, "tarih");
    const int note = fieldNamed(ImportKind::Payments, "aciklama");
    if (checked.values[size_t(amount)].isNull() || checked.values[size_t(day)].isNull())
        return;
    const quint64 digest = paymentDigest(*trainee, checked.values[size_t(day)].toDate(),
                                         checked.values[size_t(amount)].toDouble(), paidValue.toBool(),
                                         checked.values[size_t(note)].toString());
    if (known.payments.contains(digest))
        checked.outcome = RowOutcome::AlreadyStored;
}

ImportChecker::ImportChecker(const ImportSetup& setup, const KnownRecords& known,
                             std::vector<AmountStyle> amountStyles)
    : m_state(std::make_unique<State>(setup, known, std::move(amountStyles))) {}

ImportChecker::~ImportChecker() = default;

const std::vector<AmountStyle>& ImportChecker::amountStyles() const {
    return m_state->styles;
}

CheckedRow ImportChecker::check(const ImportRow& row, qint64 fileRow) {
    State& s = *m_state;
    CheckedRow checked;
    checked.fileRow = fileRow;
    checked.values.resize(s.fields.size());
    checked.fieldProblems.resize(s.fields.size());
    s.refuseCellsPastLastColumn(row, checked);
    s.readCells(row, checked);
    if (s.setup.kind == ImportKind::Trainees)
        s.decideTrainee(checked);
    else
        s.decidePayment(checked);
    const bool problems = !checked.rowProblem.isEmpty() ||
                          std::any_of(checked.fieldProblems.begin(), checked.fieldProblems.end(),
                                      [](const QString& problem) { return !problem.isEmpty(); });
    if (checked.outcome == RowOutcome::AlreadyStored && checked.rowProblem.isEmpty()) {
        // A row that will not be written needs no mending: it is not listed among the problems.
        std::fill(checked.fieldProblems.begin(), checked.fieldProblems.end(), QString());
        checked.cutFields.clear();
    } else if (problems) {
        checked.outcome = RowOutcome::Refused;
    }
    return checked;
}

QString CheckSummary::text(ExistingRows existing) const {
    const QLocale locale;
    QString text = QString("%1 satır aktarılabilir, %2 satırda sorun var")
                       .arg(locale.toString(accepted), locale.toString(refused));
    if (existing == ExistingRows::Skip)
        text += QString(", %1 satır zaten kayıtlı").arg(locale.toString(alreadyStored));
    return text;
}

namespace {

void count(CheckSummary& summary, const CheckedRow& row) {
    switch (row.outcome) {
    case RowOutcome::Add:
    case RowOutcome::Update:
        ++summary.accepted;
        summary.cutCells += qint64(row.cutFields.size());
        break;
    case RowOutcome::AlreadyStored:
        ++summary.alreadyStored;
        break;
    case RowOutcome::Refused:
        ++summary.refused;
        break;
    }
}

} // namespace

std::optional<CheckSummary> checkFile(const QString& path, const ImportOptions& options,
                                      const ImportSetup& setup, const KnownRecords& known, int previewRows,
                                      const std::function<void(const CheckSummary&)>& preview,
                                      const ImportProgress& progress) {
    CheckSummary summary;
    const std::unique_ptr<ImportReader> reader = readAhead(openImportFile(path, options));
    ImportChecker checker(setup, known, {});
    bool previewed = false;
    const auto showPreview = [&] {
        summary.amountStyles = checker.amountStyles();
        if (!previewed && preview)
            preview(summary);
        previewed = true;
    };
    if (previewRows <= 0)
        showPreview();
    ImportRow row;
    for (qint64 read = 1; reader->next(row); ++read) {
        CheckedRow checked = checker.check(row, reader->rowNumber());
        count(summary, checked);
        if (!previewed) {
            summary.preview.push_back(std::move(checked));
            if (summary.preview.size() >= size_t(previewRows))
                showPreview();
        }
        if (read % ProgressRows == 0 && !goOn(progress, reader->progress()))
            return std::nullopt;
    }
    showPreview();
    if (!goOn(progress, 1))
        return std::nullopt;
    return summary;
}
