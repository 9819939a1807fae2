#include "import/import_fields.h"

#include "data/value_lists.h"
#include "export/dbf_field_names.h"
#include "import/cell_values.h"

#include <QFileInfo>
#include <QHash>
#include <QSettings>

#include <algorithm>

namespace {

const char* const TraineeTable = "tb_kursiyer";

QStringList (*traineeValueList(const QString& field))() {
    static const QHash<QString, QStringList (*)()> lists = {
        {"cinsiyeti", ValueLists::sexes},
        {"ehliyetsinifi", ValueLists::licenceClasses},
        {"k_sertifikasinifi", ValueLists::certificateClasses},
        {"n_medeni", ValueLists::maritalStatuses},
        {"n_kangrubu", ValueLists::bloodGroups},
        {"n_dini", ValueLists::religions},
        // The fields the record panel offers the provinces for.
        {"n_il", ValueLists::provinces},
        {"n_verildigi", ValueLists::provinces},
        {"e_sehir", ValueLists::provinces},
        {"i_sehir", ValueLists::provinces},
        {"k_verildigi", ValueLists::provinces},
        {"ser_il", ValueLists::provinces},
    };
    return lists.value(field, nullptr);
}

ImportField fieldOf(const Column& column, bool required) {
    QString caption = column.label;
    if (caption.endsWith('*'))
        caption.chop(1);
    return {column.name, caption, column.type, column.width, nullptr, required};
}

bool isTarget(const Table& table, const Column& column) {
    return column.name != table.key && column.name != Schema::RowVersion;
}

std::vector<ImportField> traineeFields() {
    static const QStringList required = {"adi", "soyadi", "adayno", "cinsiyeti", "ehliyetsinifi"};
    const Table& trainees = *Schema::table(QString(TraineeTable));
    std::vector<ImportField> fields;
    for (const Column& column : trainees.columns) {
        if (!isTarget(trainees, column))
            continue;
        fields.push_back(fieldOf(column, required.contains(column.name)));
        fields.back().valueList = traineeValueList(column.name);
    }
    return fields;
}

// The trainee is found by the candidate number; the payment's own columns follow.
std::vector<ImportField> paymentFields() {
    const Table& trainees = *Schema::table(QString(TraineeTable));
    const Table& payments = *Schema::table(QString("tb_odeme"));
    return {fieldOf(*trainees.column(u"adayno"), true), fieldOf(*payments.column(u"Odendi"), false),
            fieldOf(*payments.column(u"miktar"), true), fieldOf(*payments.column(u"tarih"), true),
            fieldOf(*payments.column(u"aciklama"), false)};
}

QString columnNamed(int column, const QStringList& captions) {
    const QString caption = captions.value(column).trimmed();
    return caption.isEmpty() ? columnLetters(column) : QString("%1 (%2)").arg(columnLetters(column), caption);
}

// What a DBF of the program's own trainee list names each field: the export names every column of
// the table in order, the auto number and the row version included, each told apart from the names
// before it. Walking the file's columns with the same rule gives each one back its field.
void matchExportedNames(const QStringList& captions, Matching& matching) {
    const Table& trainees = *Schema::table(QString(TraineeTable));
    const std::vector<ImportField>& fields = importFields(ImportKind::Trainees);
    std::vector<bool> taken(trainees.columns.size(), false);
    QSet<QByteArray> namesTaken;
    for (qsizetype c = 0; c < captions.size(); ++c) {
        const QByteArray name = captions[c].trimmed().toLatin1().toUpper();
        for (size_t t = 0; t < trainees.columns.size(); ++t) {
            const Column& column = trainees.columns[t];
            if (taken[t] || uniqueDbfFieldName(column.name, namesTaken).toUpper() != name)
                continue;
            taken[t] = true;
            if (isTarget(trainees, column)) {
                const auto field = std::find_if(fields.begin(), fields.end(),
                                                [&](const ImportField& f) { return f.name == column.name; });
                matching[size_t(c)] = int(field - fields.begin());
            }
            break;
        }
        namesTaken.insert(name);
    }
}

std::vector<bool> takenFields(const Matching& matching, size_t fieldCount) {
    std::vector<bool> taken(fieldCount, false);
    for (const int field : matching)
        if (field >= 0)
            taken[size_t(field)] = true;
    return taken;
}

// The first field not taken yet whose folded name, or else whose folded caption, is the column's.
int fieldByCaption(const QString& folded, const std::vector<ImportField>& fields,
                   const std::vector<bool>& taken) {
    for (const auto part : {&ImportField::name, &ImportField::caption})
        for (size_t f = 0; f < fields.size(); ++f)
            if (!taken[f] && foldCaption(fields[f].*part) == folded)
                return int(f);
    return -1;
}

// The matching file's keys.
const char* const KindKey = "tur";
const char* const ColumnsGroup = "sutunlar";
const char* const CaptionKey = "baslik";
const char* const FieldKey = "alan";

QString kindKey(ImportKind kind) {
    return kind == ImportKind::Payments ? "odemeler" : "kursiyerler";
}

} // namespace

QString importKindName(ImportKind kind) {
    return kind == ImportKind::Payments ? QString::fromUtf8("Ödemeler") : QString("Kursiyerler");
}

const std::vector<ImportField>& importFields(ImportKind kind) {
    static const std::vector<ImportField> trainees = traineeFields();
    static const std::vector<ImportField> payments = paymentFields();
    return kind == ImportKind::Payments ? payments : trainees;
}

QString foldCaption(const QString& caption) {
    QString folded = foldToAscii(caption);
    folded.removeIf([](QChar c) { return c.isSpace() || c == '.' || c == '_' || c == '*' || c == ':'; });
    return folded;
}

Matching matchAutomatically(const QStringList& captions, ImportKind kind, ImportFormat format) {
    const std::vector<ImportField>& fields = importFields(kind);
    Matching matching(size_t(captions.size()), -1);
    if (format == ImportFormat::Dbf && kind == ImportKind::Trainees)
        matchExportedNames(captions, matching);
    std::vector<bool> taken = takenFields(matching, fields.size());
    for (qsizetype c = 0; c < captions.size(); ++c) {
        const QString folded = foldCaption(captions[c]);
        if (matching[size_t(c)] >= 0 || folded.isEmpty())
            continue;
        const int field = fieldByCaption(folded, fields, taken);
        if (field >= 0) {
            matching[size_t(c)] = field;
            taken[size_t(field)] = true;
        }
    }
    return matching;
}

std::optional<int> fieldMatchedTwice(const Matching& matching) {
    std::vector<bool> seen;
    for (const int field : matching) {
        if (field < 0)
            continue;
        if (size_t(field) >= seen.size())
            seen.resize(size_t(field) + 1, false);
        if (seen[size_t(field)])
            return field;
        seen[size_t(field)] = true;
    }
    return std::nullopt;
}

QString matchedTwiceMessage(const Matching& matching, const QStringList& captions, ImportKind kind) {
    const std::optional<int> field = fieldMatchedTwice(matching);
    if (!field)
        return {};
    const auto first = std::find(matching.begin(), matching.end(), *field);
    const auto second = std::find(first + 1, matching.end(), *field);
    return QString::fromUtf8("\"%1\" alanı iki sütuna eşlenmiş: %2 ve %3. Birini boş bırakın.")
        .arg(importFields(kind)[size_t(*field)].caption, columnNamed(int(first - matching.begin()), captions),
             columnNamed(int(second - matching.begin()), captions));
}

void saveMatching(const QString& path, ImportKind kind, const QStringList& captions,
                  const Matching& matching) {
    const std::vector<ImportField>& fields = importFields(kind);
    QSettings file(path, QSettings::IniFormat);
    // What the file held before is not merged in.
    file.clear();
    file.setValue(KindKey, kindKey(kind));
    // One entry per column, in order, rather than a key per caption: captions may repeat, and may
    // hold the "/" that QSettings reads as a group.
    file.beginWriteArray(ColumnsGroup, int(captions.size()));
    for (qsizetype c = 0; c < captions.size(); ++c) {
        file.setArrayIndex(int(c));
        file.setValue(CaptionKey, captions[c]);
        const int field = c < qsizetype(matching.size()) ? matching[size_t(c)] : -1;
        const bool known = field >= 0 && size_t(field) < fields.size();
        file.setValue(FieldKey, known ? fields[size_t(field)].name : QString());
    }
    file.endArray();
    file.sync();
    if (file.status() != QSettings::NoError)
        throw ImportError(QString::fromUtf8("Eşleşme dosyası yazılamadı: %1").arg(path));
}

Matching loadMatching(const QString& path, const QStringList& captions, ImportKind* kind) {
    const QString unreadable = QString::fromUtf8("Eşleşme dosyası okunamadı: %1").arg(path);
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable())
        throw ImportError(unreadable);
    QSettings file(path, QSettings::IniFormat);
    const QString savedKind = file.value(KindKey).toString();
    if (file.status() != QSettings::NoError ||
        (savedKind != kindKey(ImportKind::Trainees) && savedKind != kindKey(ImportKind::Payments)))
        throw ImportError(unreadable);
    const ImportKind fileKind =
        savedKind == kindKey(ImportKind::Payments) ? ImportKind::Payments : ImportKind::Trainees;
    if (kind)
        *kind = fileKind;
    // A caption saved several times gives its fields to the columns of that caption in turn.
    QHash<QString, QStringList> savedFields;
    const int count = file.beginReadArray(ColumnsGroup);
    for (int i = 0; i < count; ++i) {
        file.setArrayIndex(i);
        savedFields[foldCaption(file.value(CaptionKey).toString())] << file.value(FieldKey).toString();
    }
    file.endArray();
    const std::vector<ImportField>& fields = importFields(fileKind);
    Matching matching(size_t(captions.size()), -1);
    for (qsizetype c = 0; c < captions.size(); ++c) {
        QStringList& saved = savedFields[foldCaption(captions[c])];
        if (saved.isEmpty())
            continue;
        const QString name = saved.takeFirst();
        const auto field =
            std::find_if(fields.begin(), fields.end(), [&](const ImportField& f) { return f.name == name; });
        if (field != fields.end())
            matching[size_t(c)] = int(field - fields.begin());
    }
    return matching;
}
