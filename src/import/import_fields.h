#pragma once

#include "data/schema.h"
#include "import/import_file.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What the rows of a file become, the fields they may fill, and which column of the file fills
// which field.

enum class ImportKind { Trainees, Payments };

// "Kursiyerler", "Ödemeler": the entries of the kind choice.
QString importKindName(ImportKind kind);

struct ImportField {
    QString name;    // the table's column; for payments "adayno" finds the trainee
    QString caption; // as the record panel shows it, without its "*"
    ColumnType type = ColumnType::Text;
    int width = 0;                        // characters, for a text
    QStringList (*valueList)() = nullptr; // the entries a value must be one of, where the field has a list
    bool required = false;
};

// The trainee fields in the table's order (the auto number and the row version left out), or the
// payment fields Aday No, Ödendi, Miktar, Ödeme Tarihi, Açıklama.
const std::vector<ImportField>& importFields(ImportKind kind);

// A caption as the matching compares it: letter case ignored, Turkish letters read as their ASCII
// base, blanks, dots, "_", "*" and ":" dropped. "Adı*" and "ADI" both give "adi".
QString foldCaption(const QString& caption);

// For each column of the file, the index of the field it fills among importFields(kind), or -1
// when it is left out.
using Matching = std::vector<int>;

// The columns matched where a caption equals a field's name or caption once both are folded; a
// field goes to the first column that names it, and a caption that several fields carry ("Adresi")
// goes to the first of them not taken yet. The columns of a DBF are also read as the program's own
// export names its fields (cut to ten characters, a number at the end telling clashing ones apart).
Matching matchAutomatically(const QStringList& captions, ImportKind kind, ImportFormat format);

// The first field that two columns fill, or none.
std::optional<int> fieldMatchedTwice(const Matching& matching);

// The message that refuses such a matching, naming the field and both columns.
QString matchedTwiceMessage(const Matching& matching, const QStringList& captions, ImportKind kind);

// A small INI file: the kind, and for each caption the field it fills. Throws ImportError when the
// file cannot be written or read.
void saveMatching(const QString& path, ImportKind kind, const QStringList& captions,
                  const Matching& matching);
// The matching the file holds for these captions; a caption the file does not name is left out.
// The kind the file was saved for is given back too.
Matching loadMatching(const QString& path, const QStringList& captions, ImportKind* kind = nullptr);
