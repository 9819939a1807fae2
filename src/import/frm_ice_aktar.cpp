#include "import/frm_ice_aktar.h"

#include "app/forms.h"
#include "app/guard.h"
#include "data/frm_DataMod.h"
#include "data/transaction.h"
#include "export/export_settings.h"
#include "import/import_write.h"
#include "ui/enter_as_tab.h"
#include "ui/message_box.h"
#include "ui/named_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace {

constexpr int PreviewRows = 200;
constexpr int ProgressSteps = 1000;
const char* const Caption = "İçe Aktar";
const char* const FileKinds = "Veri dosyaları (*.csv *.txt *.xlsx *.dbf);;Tüm dosyalar (*)";
const char* const MatchingFileKind = "Eşleşme dosyası (*.ini)";
const QColor RefusedColour(255, 205, 205);
const QColor CutColour(255, 240, 190);
const QColor StoredColour(225, 225, 225);

const ImportEncoding Encodings[] = {ImportEncoding::Utf8, ImportEncoding::Windows1254,
                                    ImportEncoding::Windows1252};

QComboBox* choice(QWidget* parent, const char* name, const QStringList& entries) {
    auto* box = named(new QComboBox(parent), name);
    box->addItems(entries);
    return box;
}

// The entry of a field in the matching's drop-down: its caption, and its name where another field
// carries the same caption ("Adresi (e_adresi)").
QString fieldEntry(const std::vector<ImportField>& fields, const ImportField& field) {
    const auto sameCaption = std::count_if(fields.begin(), fields.end(), [&](const ImportField& other) {
        return other.caption == field.caption;
    });
    return sameCaption > 1 ? QString("%1 (%2)").arg(field.caption, field.name) : field.caption;
}

QString shownValue(const QVariant& value, ColumnType type) {
    if (value.isNull())
        return {};
    switch (type) {
    case ColumnType::Date:
        return value.toDate().toString("dd.MM.yyyy");
    case ColumnType::YesNo:
        return value.toBool() ? "Evet" : "Hayır";
    case ColumnType::Number:
        return QLocale(QLocale::Turkish).toString(value.toDouble(), 'f', 2);
    default:
        return value.toString();
    }
}

QTableWidgetItem* markedItem(const QString& text, const QColor& colour, const QString& tip) {
    auto* item = new QTableWidgetItem(text);
    item->setBackground(colour);
    item->setToolTip(tip);
    return item;
}

QString outcomeTip(RowOutcome outcome, ImportKind kind) {
    switch (outcome) {
    case RowOutcome::Update:
        return "Bu aday numarası kayıtlı: kursiyerin bilgileri güncellenecek.";
    case RowOutcome::AlreadyStored:
        return kind == ImportKind::Payments ? "Bu ödeme zaten kayıtlı: atlanacak."
                                            : "Bu aday numarası zaten kayıtlı: atlanacak.";
    case RowOutcome::Add:
    case RowOutcome::Refused:
        break;
    }
    return {};
}

// A file picked in the program's own file dialog, named for the tests that answer it; empty when
// none was. A file to save gets the suffix when it is typed without one.
QString pickedFile(QWidget* parent, const char* name, const QString& caption, const QString& start,
                   const QString& kinds, const char* saveSuffix = nullptr) {
    QFileDialog dialog(parent, caption, start, kinds);
    dialog.setObjectName(name);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (saveSuffix) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(saveSuffix);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

// A check running on its worker thread: told to stop through the flag, its results taken only while
// it is still the dialog's current check.
struct frm_ice_aktar::CheckRun {
    std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
    QThread* thread = nullptr;

    ~CheckRun() {
        *stop = true;
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
};

frm_ice_aktar::frm_ice_aktar(Forms& forms, QWidget* parent) : QDialog(parent), m_forms(forms) {
    setObjectName("ice_aktar");
    setWindowTitle(Caption);

    EslesmeTablosu = listTable("EslesmeTablosu", {"Sütun", "Başlık", "Alan"}, this);
    EslesmeTablosu->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    EslesmeKaydet = namedButton("EslesmeKaydet", "Eşleşmeyi Kaydet...", this);
    EslesmeYukle = namedButton("EslesmeYukle", "Eşleşme Yükle...", this);
    OnizlemeTablosu = listTable("OnizlemeTablosu", {}, this);
    SorunLabel = named(new QLabel(this), "SorunLabel");
    SorunLabel->setWordWrap(true);
    SonucLabel = named(new QLabel(this), "SonucLabel");
    Ilerleme = named(new QProgressBar(this), "Ilerleme");
    Ilerleme->setRange(0, ProgressSteps);
    Ilerleme->setValue(0);

    auto* matchingButtons = new QHBoxLayout;
    matchingButtons->addWidget(EslesmeYukle);
    matchingButtons->addWidget(EslesmeKaydet);
    matchingButtons->addStretch(1);
    auto* matchingColumn = new QVBoxLayout;
    matchingColumn->addWidget(new QLabel("Sütunların aktarılacağı alanlar:", this));
    matchingColumn->addWidget(EslesmeTablosu, 1);
    matchingColumn->addLayout(matchingButtons);
    auto* previewColumn = new QVBoxLayout;
    previewColumn->addWidget(
        new QLabel(QString("İlk %1 satır, kaydedilecekleri gibi:").arg(PreviewRows), this));
    previewColumn->addWidget(OnizlemeTablosu, 1);
    previewColumn->addWidget(SorunLabel);
    auto* lists = new QHBoxLayout;
    lists->addLayout(matchingColumn, 2);
    lists->addLayout(previewColumn, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFileRow());
    layout->addWidget(buildOptions());
    layout->addLayout(lists, 1);
    layout->addWidget(Ilerleme);
    layout->addWidget(SonucLabel);
    layout->addWidget(horizontalRule(this));
    layout->addWidget(buildButtons());
    resize(1000, 620);

    EnterAsTab::install(this);
    guardedConnect(SecButton, &QPushButton::clicked, this, &frm_ice_aktar::SecButtonClick);
    guardedConnect(OkuButton, &QPushButton::clicked, this, &frm_ice_aktar::OkuButtonClick);
    guardedConnect(KodlamaSecimi, &QComboBox::activated, this, [this](int index) {
        m_chosenEncoding = Encodings[index];
        openFile();
    });
    guardedConnect(SayfaSecimi, &QComboBox::activated, this, [this] { openFile(); });
    guardedConnect(BaslikSatiri, &QCheckBox::toggled, this, [this] { openFile(); });
    guardedConnect(AktarimTuru, &QComboBox::currentIndexChanged, this, &frm_ice_aktar::AktarimTuruChange);
    guardedConnect(MevcutSecimi, &QComboBox::currentIndexChanged, this, [this] { startCheck(); });
    guardedConnect(KirpSecimi, &QCheckBox::toggled, this, [this] { startCheck(); });
    guardedConnect(EslesmeKaydet, &QPushButton::clicked, this, &frm_ice_aktar::EslesmeKaydetClick);
    guardedConnect(EslesmeYukle, &QPushButton::clicked, this, &frm_ice_aktar::EslesmeYukleClick);
    guardedConnect(AktarButton, &QPushButton::clicked, this, &frm_ice_aktar::AktarButtonClick);
    guardedConnect(RaporKaydet, &QPushButton::clicked, this, &frm_ice_aktar::RaporKaydetClick);
    connect(DurdurButton, &QPushButton::clicked, this, &frm_ice_aktar::DurdurButtonClick);
    connect(KapatButton, &QPushButton::clicked, this, &frm_ice_aktar::reject);
    clearCheck(QString());
}

frm_ice_aktar::~frm_ice_aktar() = default;

QWidget* frm_ice_aktar::buildFileRow() {
    auto* row = new QWidget(this);
    DosyaEdit = named(new QLineEdit(row), "DosyaEdit");
    SecButton = namedButton("SecButton", "Seç...", row);
    OkuButton = namedButton("OkuButton", "Oku", row);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("Dosya:", row));
    layout->addWidget(DosyaEdit, 1);
    layout->addWidget(SecButton);
    layout->addWidget(OkuButton);
    return row;
}

QWidget* frm_ice_aktar::buildOptions() {
    auto* box = new QWidget(this);
    QStringList encodings;
    for (const ImportEncoding encoding : Encodings)
        encodings << encodingName(encoding);
    KodlamaSecimi = choice(box, "KodlamaSecimi", encodings);
    SayfaSecimi = choice(box, "SayfaSecimi", {});
    BaslikSatiri = named(new QCheckBox("İlk satır sütun başlıklarını taşır", box), "BaslikSatiri");
    BaslikSatiri->setChecked(true);
    AktarimTuru = choice(box, "AktarimTuru",
                         {importKindName(ImportKind::Trainees), importKindName(ImportKind::Payments)});
    MevcutSecimi = choice(box, "MevcutSecimi", {"Atla", "Güncelle"});
    KirpSecimi = named(new QCheckBox("Alana sığmayan metni kırp", box), "KirpSecimi");

    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("Kodlama:", box), 0, 0);
    layout->addWidget(KodlamaSecimi, 0, 1);
    layout->addWidget(new QLabel("Sayfa:", box), 0, 2);
    layout->addWidget(SayfaSecimi, 0, 3);
    layout->addWidget(BaslikSatiri, 0, 4);
    layout->addWidget(new QLabel("Aktarılacaklar:", box), 1, 0);
    layout->addWidget(AktarimTuru, 1, 1);
    layout->addWidget(new QLabel("Kayıtlı aday no:", box), 1, 2);
    layout->addWidget(MevcutSecimi, 1, 3);
    layout->addWidget(KirpSecimi, 1, 4);
    layout->setColumnStretch(5, 1);
    return box;
}

QWidget* frm_ice_aktar::buildButtons() {
    auto* row = new QWidget(this);
    RaporKaydet = namedButton("RaporKaydet", "Sorunları Kaydet...", row);
    AktarButton = namedButton("AktarButton", "Aktar", row);
    DurdurButton = namedButton("DurdurButton", "Durdur", row);
    KapatButton = namedButton("KapatButton", "Kapat", row);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RaporKaydet);
    layout->addStretch(1);
    layout->addWidget(AktarButton);
    layout->addWidget(DurdurButton);
    layout->addWidget(KapatButton);
    return row;
}

bool frm_ice_aktar::start() {
    m_wrote = false;
    exec();
    return m_wrote;
}

// A check or a write that runs is stopped, not left behind by closing the window.
void frm_ice_aktar::reject() {
    if (m_writing) {
        m_stopWriting = true;
        return;
    }
    m_check.reset();
    QDialog::reject();
}

ImportKind frm_ice_aktar::kind() const {
    return AktarimTuru->currentIndex() == 1 ? ImportKind::Payments : ImportKind::Trainees;
}

QString frm_ice_aktar::path() const {
    return QDir::fromNativeSeparators(DosyaEdit->text().trimmed());
}

ImportOptions frm_ice_aktar::options() const {
    ImportOptions options;
    options.encoding = m_chosenEncoding;
    options.sheet = std::max(0, SayfaSecimi->currentIndex());
    options.captionRow = BaslikSatiri->isChecked();
    return options;
}

ImportSetup frm_ice_aktar::setup() const {
    ImportSetup setup;
    setup.kind = kind();
    setup.matching = matching();
    setup.cutLongTexts = KirpSecimi->isChecked();
    setup.existing = MevcutSecimi->currentIndex() == 1 ? ExistingRows::Update : ExistingRows::Skip;
    return setup;
}

void frm_ice_aktar::SecButtonClick() {
    const QString picked = pickedFile(this, "ImportFileDialog", "İçe aktarılacak dosya",
                                      path().isEmpty() ? fileInDocuments(QString()) : path(), FileKinds);
    if (picked.isEmpty())
        return;
    DosyaEdit->setText(QDir::toNativeSeparators(picked));
    OkuButtonClick();
}

// A file read anew: its encoding and sheet are found again, not taken over from the last file.
void frm_ice_aktar::OkuButtonClick() {
    m_chosenEncoding.reset();
    {
        const QSignalBlocker quiet(SayfaSecimi);
        SayfaSecimi->clear();
    }
    openFile();
}

void frm_ice_aktar::openFile() {
    m_check.reset();
    m_facts.reset();
    m_captions.clear();
    SonucLabel->clear();
    if (path().isEmpty()) {
        showMatching({});
        clearCheck("Bir dosya seçin.");
        return;
    }
    try {
        const std::unique_ptr<ImportReader> reader = openImportFile(path(), options());
        m_facts = reader->facts();
        m_captions = reader->captions();
    } catch (const ImportError& e) {
        showMatching({});
        clearCheck(e.message());
        MessageBox::warning(Caption, e.message(), this);
        return;
    }
    showFileFacts();
    showMatching(matchAutomatically(m_captions, kind(), m_facts->format));
    startCheck();
}

void frm_ice_aktar::showFileFacts() {
    const QSignalBlocker quietEncoding(KodlamaSecimi);
    const QSignalBlocker quietSheet(SayfaSecimi);
    const ImportEncoding* shown =
        m_facts->encoding ? std::find(std::begin(Encodings), std::end(Encodings), *m_facts->encoding)
                          : std::end(Encodings);
    KodlamaSecimi->setCurrentIndex(shown == std::end(Encodings) ? -1 : int(shown - std::begin(Encodings)));
    KodlamaSecimi->setEnabled(m_facts->format != ImportFormat::Xlsx);
    const int sheet = SayfaSecimi->currentIndex();
    SayfaSecimi->clear();
    SayfaSecimi->addItems(m_facts->sheets);
    SayfaSecimi->setCurrentIndex(std::clamp(sheet, 0, int(m_facts->sheets.size()) - 1));
    SayfaSecimi->setEnabled(m_facts->format == ImportFormat::Xlsx);
    BaslikSatiri->setEnabled(m_facts->format != ImportFormat::Dbf);
}

void frm_ice_aktar::showMatching(const Matching& matching) {
    const std::vector<ImportField>& fields = importFields(kind());
    QStringList entries = {"(Aktarılmaz)"};
    for (const ImportField& field : fields)
        entries << fieldEntry(fields, field);
    EslesmeTablosu->setRowCount(int(m_captions.size()));
    for (int column = 0; column < int(m_captions.size()); ++column) {
        EslesmeTablosu->setItem(column, 0, new QTableWidgetItem(columnLetters(column)));
        EslesmeTablosu->setItem(column, 1, new QTableWidgetItem(m_captions[column]));
        auto* field = new QComboBox(EslesmeTablosu);
        field->addItems(entries);
        field->setCurrentIndex(column < int(matching.size()) ? matching[size_t(column)] + 1 : 0);
        guardedConnect(field, &QComboBox::activated, this, [this, column] { matchingChanged(column); });
        EslesmeTablosu->setCellWidget(column, 2, field);
    }
    EslesmeTablosu->resizeColumnToContents(0);
}

Matching frm_ice_aktar::matching() const {
    Matching matching;
    for (int column = 0; column < EslesmeTablosu->rowCount(); ++column) {
        const auto* field = qobject_cast<QComboBox*>(EslesmeTablosu->cellWidget(column, 2));
        matching.push_back(field ? field->currentIndex() - 1 : -1);
    }
    return matching;
}

// A field chosen for a second column is refused at once, before any row is read.
void frm_ice_aktar::matchingChanged(int) {
    if (fieldMatchedTwice(matching()))
        MessageBox::warning(Caption, matchedTwiceMessage(matching(), m_captions, kind()), this);
    startCheck();
}

// Payments are never updated: one already stored is skipped, whatever the choice for trainees.
void frm_ice_aktar::followKind() {
    if (kind() == ImportKind::Payments) {
        const QSignalBlocker quiet(MevcutSecimi);
        MevcutSecimi->setCurrentIndex(0);
    }
    MevcutSecimi->setEnabled(kind() == ImportKind::Trainees);
}

void frm_ice_aktar::AktarimTuruChange() {
    followKind();
    if (!m_facts) {
        showMatching({});
        return;
    }
    showMatching(matchAutomatically(m_captions, kind(), m_facts->format));
    startCheck();
}

void frm_ice_aktar::clearCheck(const QString& status) {
    m_summary.reset();
    OnizlemeTablosu->clear();
    OnizlemeTablosu->setRowCount(0);
    OnizlemeTablosu->setColumnCount(0);
    SorunLabel->setText(status);
    Ilerleme->setValue(0);
    AktarButton->setEnabled(false);
    RaporKaydet->setEnabled(false);
    DurdurButton->setEnabled(false);
}

// Every row is checked again on a worker thread; the window stays free meanwhile, and nothing can be
// written until the check has ended.
void frm_ice_aktar::startCheck() {
    m_check.reset();
    if (!m_facts)
        return;
    const ImportSetup wanted = setup();
    if (fieldMatchedTwice(wanted.matching)) {
        clearCheck(matchedTwiceMessage(wanted.matching, m_captions, kind()));
        return;
    }
    clearCheck("Satırlar denetleniyor...");
    readKnownRecords(wanted.kind);
    m_check = std::make_unique<CheckRun>();
    DurdurButton->setEnabled(true);
    const std::shared_ptr<std::atomic<bool>> stop = m_check->stop;
    const auto onGuiThread = [this, stop](auto work) {
        QMetaObject::invokeMethod(
            this,
            [this, stop, work] {
                if (m_check && m_check->stop == stop && !*stop)
                    work();
            },
            Qt::QueuedConnection);
    };
    m_check->thread = QThread::create([=, this, file = path(), options = options(), known = m_known] {
        try {
            const std::optional<CheckSummary> summary = checkFile(
                file, options, wanted, known, PreviewRows,
                [&](const CheckSummary& preview) { onGuiThread([this, preview] { showPreview(preview); }); },
                [&](double done) {
                    onGuiThread([this, done] { Ilerleme->setValue(int(done * ProgressSteps)); });
                    return !*stop;
                });
            if (summary)
                onGuiThread([this, summary] { checkFinished(*summary); });
        } catch (const ImportError& e) {
            onGuiThread([this, message = e.message()] { checkFailed(message); });
        } catch (const std::exception& e) {
            onGuiThread([this, message = QString::fromUtf8(e.what())] { checkFailed(message); });
        }
    });
    m_check->thread->start();
}

// Stops the write, which then rolls back, or the check, which leaves nothing to write.
void frm_ice_aktar::DurdurButtonClick() {
    if (m_writing) {
        m_stopWriting = true;
        return;
    }
    if (m_check) {
        m_check.reset();
        clearCheck("Denetim durduruldu.");
    }
}

// What the database holds is read once per kind, and again after each write.
void frm_ice_aktar::readKnownRecords(ImportKind wanted) {
    if (m_knownKind == wanted)
        return;
    Transaction reading(m_forms.DataMod->ado_conn, Transaction::Kind::Read);
    m_known = KnownRecords::read(m_forms.DataMod->ado_conn, wanted);
    reading.commit();
    m_knownKind = wanted;
}

void frm_ice_aktar::showPreview(const CheckSummary& summary) {
    const std::vector<ImportField>& fields = importFields(kind());
    const Matching shown = matching();
    std::vector<int> previewFields;
    QStringList titles = {"Satır"};
    for (const int field : shown) {
        if (field < 0)
            continue;
        previewFields.push_back(field);
        titles << fields[size_t(field)].caption;
    }
    OnizlemeTablosu->clear();
    OnizlemeTablosu->setColumnCount(int(titles.size()));
    OnizlemeTablosu->setHorizontalHeaderLabels(titles);
    OnizlemeTablosu->setRowCount(int(summary.preview.size()));
    for (int r = 0; r < int(summary.preview.size()); ++r) {
        const CheckedRow& row = summary.preview[size_t(r)];
        const QString number = QString::number(row.fileRow);
        const QString tip = row.outcome == RowOutcome::Refused
                                ? row.reasons(m_captions, shown, kind()).join('\n')
                                : outcomeTip(row.outcome, kind());
        const QColor rowColour = row.outcome == RowOutcome::Refused         ? RefusedColour
                                 : row.outcome == RowOutcome::AlreadyStored ? StoredColour
                                                                            : QColor(Qt::white);
        OnizlemeTablosu->setItem(r, 0, markedItem(number, rowColour, tip));
        for (int c = 0; c < int(previewFields.size()); ++c) {
            const int field = previewFields[size_t(c)];
            const ImportField& target = fields[size_t(field)];
            const QString& problem = row.fieldProblems[size_t(field)];
            const QString text = shownValue(row.values[size_t(field)], target.type);
            const bool cut =
                std::find(row.cutFields.begin(), row.cutFields.end(), field) != row.cutFields.end();
            auto* item = !problem.isEmpty() ? markedItem(text, RefusedColour, problem)
                         : cut ? markedItem(text, CutColour, "Alana sığmadığı için kırpıldı.")
                               : new QTableWidgetItem(text);
            if (problem.isEmpty() && !cut && row.outcome == RowOutcome::AlreadyStored)
                item->setBackground(StoredColour);
            OnizlemeTablosu->setItem(r, c + 1, item);
        }
    }
    OnizlemeTablosu->resizeColumnsToContents();
}

void frm_ice_aktar::checkFinished(const CheckSummary& summary) {
    showPreview(summary);
    m_summary = summary;
    m_check.reset();
    DurdurButton->setEnabled(false);
    Ilerleme->setValue(ProgressSteps);
    QString status = summary.text(setup().existing);
    if (summary.cutCells > 0)
        status += QString("\n%1 hücre alana sığmadığı için kırpılacak.").arg(summary.cutCells);
    const bool encodingKnown = m_facts->encoding.has_value() || m_chosenEncoding.has_value();
    if (!encodingKnown)
        status += "\nDosyanın kod sayfası bilinmiyor: aktarmadan önce \"Kodlama\" seçin.";
    SorunLabel->setText(status);
    AktarButton->setEnabled(encodingKnown && summary.accepted > 0);
    RaporKaydet->setEnabled(summary.refused > 0 || summary.cutCells > 0);
}

void frm_ice_aktar::checkFailed(const QString& message) {
    m_check.reset();
    clearCheck(message);
    MessageBox::warning(Caption, message, this);
}

void frm_ice_aktar::EslesmeKaydetClick() {
    const QString picked = pickedFile(this, "MatchingFileDialog", "Eşleşmeyi Kaydet",
                                      fileInDocuments("eslesme.ini"), MatchingFileKind, "ini");
    if (picked.isEmpty())
        return;
    try {
        saveMatching(picked, kind(), m_captions, matching());
    } catch (const ImportError& e) {
        MessageBox::warning(Caption, e.message(), this);
    }
}

void frm_ice_aktar::EslesmeYukleClick() {
    const QString picked =
        pickedFile(this, "MatchingFileDialog", "Eşleşme Yükle", fileInDocuments(QString()), MatchingFileKind);
    if (picked.isEmpty())
        return;
    ImportKind loadedKind = kind();
    Matching loaded;
    try {
        loaded = loadMatching(picked, m_captions, &loadedKind);
    } catch (const ImportError& e) {
        MessageBox::warning(Caption, e.message(), this);
        return;
    }
    {
        const QSignalBlocker quiet(AktarimTuru);
        AktarimTuru->setCurrentIndex(loadedKind == ImportKind::Payments ? 1 : 0);
    }
    followKind();
    showMatching(loaded);
    if (fieldMatchedTwice(loaded))
        MessageBox::warning(Caption, matchedTwiceMessage(loaded, m_captions, kind()), this);
    startCheck();
}

void frm_ice_aktar::setWriting(bool writing) {
    m_writing = writing;
    for (QWidget* control :
         std::initializer_list<QWidget*>{DosyaEdit, SecButton, OkuButton, KodlamaSecimi, SayfaSecimi,
                                         BaslikSatiri, AktarimTuru, MevcutSecimi, KirpSecimi, EslesmeTablosu,
                                         EslesmeKaydet, EslesmeYukle, RaporKaydet, AktarButton, KapatButton})
        control->setEnabled(!writing);
    DurdurButton->setEnabled(writing);
}

bool frm_ice_aktar::showWriteProgress(double done) {
    Ilerleme->setValue(int(done * ProgressSteps));
    QCoreApplication::processEvents();
    return !m_stopWriting;
}

// Every accepted row in one transaction; the rows are checked again against the database as it is
// now, so that what was written is shown by a fresh check afterwards.
void frm_ice_aktar::AktarButtonClick() {
    if (!m_summary || m_check)
        return;
    const ImportSetup wanted = setup();
    std::optional<ImportResult> result;
    {
        m_stopWriting = false;
        setWriting(true);
        SonucLabel->setText("Aktarılıyor...");
        const auto done = qScopeGuard([this] {
            m_knownKind.reset();
            setWriting(false);
            followKind();
            showFileFacts();
        });
        try {
            result =
                writeImport(m_forms.DataMod->ado_conn, path(), options(), wanted, m_summary->amountStyles,
                            [this](double part) { return showWriteProgress(part); });
        } catch (const ImportError& e) {
            SonucLabel->setText(e.message());
            MessageBox::warning(Caption, e.message(), this);
            return;
        } catch (...) {
            SonucLabel->setText("Aktarma yapılamadı; hiçbir kayıt yazılmadı.");
            throw;
        }
    }
    if (!result) {
        SonucLabel->setText("Aktarma durduruldu; hiçbir kayıt yazılmadı.");
        startCheck();
        return;
    }
    m_wrote = m_wrote || result->added > 0 || result->updated > 0;
    const QString text = result->text(wanted.kind);
    SonucLabel->setText(text);
    MessageBox::show(MessageBox::Kind::Information, Caption, text, MessageBox::Buttons::Ok,
                     MessageBox::Answer::Ok, this);
    startCheck();
}

void frm_ice_aktar::RaporKaydetClick() {
    if (!m_summary)
        return;
    const QString picked = pickedFile(this, "ProblemFileDialog", "Sorunları Kaydet",
                                      fileInDocuments("aktarim_sorunlari.csv"), "CSV Dosyası (*.csv)", "csv");
    if (picked.isEmpty())
        return;
    try {
        const qint64 rows =
            saveProblemReport(picked, path(), options(), setup(), m_known, m_summary->amountStyles);
        SonucLabel->setText(QString("%1 sorunlu satır %2 dosyasına yazıldı.")
                                .arg(QLocale().toString(rows), QDir::toNativeSeparators(picked)));
    } catch (const ImportError& e) {
        MessageBox::warning(Caption, e.message(), this);
    }
}
