#include "ui/export_dialog.h"

#include "app/guard.h"
#include "data/dataset.h"
#include "export/export_run.h"
#include "export/export_writers.h"
#include "ui/named_controls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// An empty list: no rows and no fields, for a facility without a data source.
class NoRows : public ExportSource {
public:
    std::vector<ExportColumn> columns() const override { return {}; }
    int rowCount() const override { return 0; }
    QVariant value(int, int) const override { return {}; }
};

constexpr const char* SettingsFileKind = "Export ayarları (*.cfg)";

} // namespace

ExportDialog::ExportDialog(ExportFacility& facility, QWidget* parent)
    : QDialog(parent), m_facility(facility), m_settings(facility.settings()) {
    setObjectName("ExportDialog");
    setWindowTitle("Export");
    if (Dataset* dataset = facility.dataSource(); dataset && dataset->isActive())
        m_source = std::make_unique<DatasetExportSource>(*dataset);
    else
        m_source = std::make_unique<NoRows>();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFormatList());
    layout->addWidget(buildDestination());
    layout->addWidget(buildPages(), 1);
    Progress = named(new QProgressBar(this), "Progress");
    Progress->setTextVisible(true);
    Progress->setFormat("%v / %m");
    layout->addWidget(Progress);
    StatusLabel = named(new QLabel(this), "StatusLabel");
    StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(StatusLabel);
    layout->addWidget(buildButtons());
    resize(720, 620);
}

ExportDialog::~ExportDialog() = default;

QWidget* ExportDialog::buildFormatList() {
    auto* box = new QGroupBox("Export to", this);
    ExportTo = named(new QListWidget(box), "ExportTo");
    for (const ExportFormatInfo& info : exportFormats())
        ExportTo->addItem(QString::fromLatin1(info.caption));
    // Five entries a column, top to bottom: fourteen entries in three columns.
    ExportTo->setFlow(QListView::TopToBottom);
    ExportTo->setWrapping(true);
    ExportTo->setResizeMode(QListView::Adjust);
    ExportTo->setUniformItemSizes(true);
    ExportTo->setGridSize(QSize(220, ExportTo->sizeHintForRow(0) + 4));
    ExportTo->setFixedHeight(5 * ExportTo->gridSize().height() + 2 * ExportTo->frameWidth() + 4);
    ExportTo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    guardedConnect(ExportTo, &QListWidget::currentRowChanged, this, &ExportDialog::ExportToChange);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(ExportTo);
    return box;
}

QWidget* ExportDialog::buildDestination() {
    auto* box = new QGroupBox("Hedef dosya", this);
    FileName = named(new QLineEdit(box), "FileName");
    auto* select = namedButton("SelectButton", "Select...", box);
    guardedConnect(select, &QPushButton::clicked, this, &ExportDialog::SelectButtonClick);
    OpenAfterExport = named(new QCheckBox("Open file after export", box), "OpenAfterExport");
    PrintAfterExport = named(new QCheckBox("Print file after export", box), "PrintAfterExport");
    m_bindings.push_back(
        {[this] { FileName->setText(QDir::toNativeSeparators(m_settings.fileName)); },
         [this] { m_settings.fileName = QDir::fromNativeSeparators(FileName->text().trimmed()); }});
    for (auto [check, value] : {std::pair{OpenAfterExport, &m_settings.openAfterExport},
                                std::pair{PrintAfterExport, &m_settings.printAfterExport}})
        // Init-captures: Clang 14 cannot capture a structured binding by name.
        m_bindings.push_back({[check = check, value = value] { check->setChecked(*value); },
                              [check = check, value = value] { *value = check->isChecked(); }});

    auto* layout = new QGridLayout(box);
    layout->addWidget(FileName, 0, 0);
    layout->addWidget(select, 0, 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(OpenAfterExport);
    checks->addWidget(PrintAfterExport);
    checks->addStretch();
    layout->addLayout(checks, 1, 0, 1, 2);
    return box;
}

namespace {

// Binds a control to one setting, both ways.
using Bindings = std::vector<std::pair<std::function<void()>, std::function<void()>>>;

QLineEdit* textEdit(Bindings& bindings, QWidget* parent, const char* name, QString& value) {
    auto* edit = named(new QLineEdit(parent), name);
    bindings.push_back({[edit, &value] { edit->setText(value); }, [edit, &value] { value = edit->text(); }});
    return edit;
}

QCheckBox* checkBox(Bindings& bindings, QWidget* parent, const char* name, const QString& caption,
                    bool& value) {
    auto* check = named(new QCheckBox(caption, parent), name);
    bindings.push_back(
        {[check, &value] { check->setChecked(value); }, [check, &value] { value = check->isChecked(); }});
    return check;
}

// A colour as its #rrggbb name; a name that is no colour keeps the colour it had.
QLineEdit* colourEdit(Bindings& bindings, QWidget* parent, const QString& name, QColor& value) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    bindings.push_back({[edit, &value] { edit->setText(value.name()); },
                        [edit, &value] {
                            const QColor read(edit->text().trimmed());
                            if (read.isValid())
                                value = read;
                        }});
    return edit;
}

// Family, size, bold, italic and colour of one font setting, each named after the font.
QWidget* fontEditor(Bindings& bindings, QWidget* parent, const QString& name, ExportFont& font) {
    auto* editor = new QWidget(parent);
    editor->setObjectName(name);
    auto* family = new QLineEdit(editor);
    family->setObjectName(name + "Family");
    auto* size = new QDoubleSpinBox(editor);
    size->setObjectName(name + "Size");
    size->setRange(4, 72);
    size->setDecimals(1);
    size->setSuffix(" pt");
    auto* bold = new QCheckBox("Kalın", editor);
    bold->setObjectName(name + "Bold");
    auto* italic = new QCheckBox("Eğik", editor);
    italic->setObjectName(name + "Italic");
    bindings.push_back({[=, &font] {
                            family->setText(font.family);
                            size->setValue(font.points);
                            bold->setChecked(font.bold);
                            italic->setChecked(font.italic);
                        },
                        [=, &font] {
                            font.family = family->text().trimmed();
                            font.points = size->value();
                            font.bold = bold->isChecked();
                            font.italic = italic->isChecked();
                        }});
    auto* layout = new QHBoxLayout(editor);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(family, 1);
    layout->addWidget(size);
    layout->addWidget(bold);
    layout->addWidget(italic);
    layout->addWidget(new QLabel("Renk", editor));
    layout->addWidget(colourEdit(bindings, editor, name + "Color", font.color));
    return editor;
}

QWidget* formPage(QWidget* parent, std::initializer_list<std::pair<QString, QWidget*>> rows) {
    auto* page = new QWidget(parent);
    auto* layout = new QFormLayout(page);
    for (const auto& [label, control] : rows) {
        control->setParent(page);
        layout->addRow(label, control);
    }
    return page;
}

} // namespace

QTabWidget* ExportDialog::buildPages() {
    Pages = named(new QTabWidget(this), "Pages");
    Pages->addTab(buildRangePage(), "Kayıtlar");
    Pages->addTab(buildFieldsPage(), "Alanlar");
    Pages->addTab(buildFormatsPage(), "Sayı ve Tarih");
    Pages->addTab(buildTextsPage(), "Üst ve Alt Bilgi");
    Pages->addTab(buildCaptionsPage(), "Başlıklar");
    Pages->addTab(buildOptionsPage(), "Biçim Seçenekleri");
    return Pages;
}

QWidget* ExportDialog::buildRangePage() {
    auto* page = named(new QWidget(this), "RangePage");
    auto* all = named(new QRadioButton("Tüm kayıtlar", page), "AllRecords");
    auto* range = named(new QRadioButton("Kayıt aralığı:", page), "RecordRange");
    FirstRecord = named(new QSpinBox(page), "FirstRecord");
    LastRecord = named(new QSpinBox(page), "LastRecord");
    m_bindings.push_back({[=, this] {
                              const int rows = std::max(1, m_source->rowCount());
                              FirstRecord->setRange(1, rows);
                              LastRecord->setRange(1, rows);
                              (m_settings.allRecords ? all : range)->setChecked(true);
                              FirstRecord->setValue(m_settings.allRecords ? 1 : m_settings.firstRecord);
                              LastRecord->setValue(m_settings.allRecords ? rows : m_settings.lastRecord);
                          },
                          [=, this] {
                              m_settings.allRecords = all->isChecked();
                              m_settings.firstRecord = FirstRecord->value();
                              m_settings.lastRecord = LastRecord->value();
                          }});
    auto* layout = new QGridLayout(page);
    layout->addWidget(all, 0, 0, 1, 4);
    layout->addWidget(range, 1, 0);
    layout->addWidget(FirstRecord, 1, 1);
    layout->addWidget(new QLabel("ile", page), 1, 2);
    layout->addWidget(LastRecord, 1, 3);
    layout->addWidget(new QLabel("arasındaki kayıtlar (1'den sayılır)", page), 1, 4);
    layout->setColumnStretch(5, 1);
    layout->setRowStretch(2, 1);
    return page;
}

QWidget* ExportDialog::buildFieldsPage() {
    auto* page = named(new QWidget(this), "FieldsPage");
    Fields = named(new QListWidget(page), "Fields");
    Fields->setDragDropMode(QAbstractItemView::InternalMove);
    const auto button = [page](const char* name, const char* caption) {
        return namedButton(name, QString::fromUtf8(caption), page);
    };
    QPushButton* up = button("MoveUp", "Yukarı");
    QPushButton* down = button("MoveDown", "Aşağı");
    QPushButton* checkAll = button("CheckAll", "Tümünü Seç");
    QPushButton* checkNone = button("CheckNone", "Hiçbirini Seçme");
    const auto move = [this](int by) {
        const int row = Fields->currentRow();
        if (row < 0 || row + by < 0 || row + by >= Fields->count())
            return;
        Fields->insertItem(row + by, Fields->takeItem(row));
        Fields->setCurrentRow(row + by);
    };
    const auto checkEvery = [this](Qt::CheckState state) {
        for (int i = 0; i < Fields->count(); ++i)
            Fields->item(i)->setCheckState(state);
    };
    connect(up, &QPushButton::clicked, this, [move] { move(-1); });
    connect(down, &QPushButton::clicked, this, [move] { move(1); });
    connect(checkAll, &QPushButton::clicked, this, [checkEvery] { checkEvery(Qt::Checked); });
    connect(checkNone, &QPushButton::clicked, this, [checkEvery] { checkEvery(Qt::Unchecked); });
    m_bindings.push_back({[this] { showFields(); }, [this] { takeFields(); }});

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {up, down, checkAll, checkNone})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(Fields, 1);
    layout->addLayout(buttons);
    return page;
}

// The chosen fields first, checked and in their order; then the others, unchecked. With no
// choice made, every field in the list's order.
void ExportDialog::showFields() {
    Fields->clear();
    QStringList names;
    for (const ExportColumn& column : m_source->columns())
        names << column.name;
    QStringList chosen;
    for (const QString& name : m_settings.fields) {
        if (names.contains(name))
            chosen << name;
    }
    if (m_settings.fields.isEmpty())
        chosen = names;
    for (const QString& name : chosen + names) {
        if (!Fields->findItems(name, Qt::MatchExactly).isEmpty())
            continue;
        auto* item = new QListWidgetItem(name, Fields);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
}

// Every field in the list's order stands for "all", so that a list with other fields later
// still exports all of them.
void ExportDialog::takeFields() {
    QStringList chosen;
    QStringList shown;
    for (int i = 0; i < Fields->count(); ++i) {
        shown << Fields->item(i)->text();
        if (Fields->item(i)->checkState() == Qt::Checked)
            chosen << Fields->item(i)->text();
    }
    if (shown.isEmpty())
        return;
    m_settings.fields = chosen == shown ? QStringList() : chosen;
    // No field at all stays a choice, one that names no field, so the export refuses it.
    if (chosen.isEmpty())
        m_settings.fields = QStringList{QString()};
}

QWidget* ExportDialog::buildFormatsPage() {
    Bindings& b = m_bindings;
    auto* decimals = named(new QSpinBox(this), "Decimals");
    decimals->setRange(-1, 10);
    decimals->setSpecialValueText("Değer kadar");
    b.push_back({[=, this] { decimals->setValue(m_settings.decimals); },
                 [=, this] { m_settings.decimals = decimals->value(); }});
    QWidget* page = formPage(
        this, {{"Tarih biçimi", textEdit(b, this, "DateFormat", m_settings.dateFormat)},
               {"Saat biçimi", textEdit(b, this, "TimeFormat", m_settings.timeFormat)},
               {"Ondalık ayırıcı", textEdit(b, this, "DecimalSeparator", m_settings.decimalSeparator)},
               {"Binlik ayırıcı", textEdit(b, this, "ThousandSeparator", m_settings.thousandSeparator)},
               {"Ondalık basamak", decimals},
               {"Evet yazısı", textEdit(b, this, "TrueText", m_settings.trueText)},
               {"Hayır yazısı", textEdit(b, this, "FalseText", m_settings.falseText)}});
    page->setObjectName("FormatsPage");
    return page;
}

QWidget* ExportDialog::buildTextsPage() {
    auto* page = named(new QWidget(this), "TextsPage");
    auto* layout = new QFormLayout(page);
    for (auto [name, caption, value] : {std::tuple{"HeaderText", "Üst bilgi", &m_settings.header},
                                        std::tuple{"FooterText", "Alt bilgi", &m_settings.footer}}) {
        auto* edit = named(new QPlainTextEdit(page), name);
        edit->setTabChangesFocus(true);
        // Init-captures: Clang 14 cannot capture a structured binding by name.
        m_bindings.push_back({[edit, value = value] { edit->setPlainText(*value); },
                              [edit, value = value] { *value = edit->toPlainText(); }});
        layout->addRow(QString::fromUtf8(caption), edit);
    }
    return page;
}

QWidget* ExportDialog::buildCaptionsPage() {
    auto* page = named(new QWidget(this), "CaptionsPage");
    QCheckBox* write =
        checkBox(m_bindings, page, "WriteCaptions", "Sütun başlıklarını yaz", m_settings.writeCaptions);
    Captions = named(new QTableWidget(0, 2, page), "Captions");
    Captions->setHorizontalHeaderLabels({"Alan", "Başlık"});
    Captions->horizontalHeader()->setStretchLastSection(true);
    Captions->verticalHeader()->hide();
    m_bindings.push_back({[this] {
                              const std::vector<ExportColumn> columns = m_source->columns();
                              Captions->setRowCount(int(columns.size()));
                              for (int row = 0; row < int(columns.size()); ++row) {
                                  const QString& name = columns[size_t(row)].name;
                                  auto* field = new QTableWidgetItem(name);
                                  field->setFlags(field->flags() & ~Qt::ItemIsEditable);
                                  Captions->setItem(row, 0, field);
                                  Captions->setItem(
                                      row, 1, new QTableWidgetItem(m_settings.captions.value(name, name)));
                              }
                          },
                          [this] {
                              for (int row = 0; row < Captions->rowCount(); ++row) {
                                  const QString name = Captions->item(row, 0)->text();
                                  const QString caption = Captions->item(row, 1)->text();
                                  if (caption == name)
                                      m_settings.captions.remove(name);
                                  else
                                      m_settings.captions.insert(name, caption);
                              }
                          }});
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(write);
    layout->addWidget(Captions, 1);
    return page;
}

QWidget* ExportDialog::buildOptionsPage() {
    Bindings& b = m_bindings;
    ExportSettings& s = m_settings;
    FormatOptions = named(new QStackedWidget(this), "FormatOptions");
    const auto add = [this](const char* name, QWidget* page) {
        page->setObjectName(QString::fromLatin1(name));
        FormatOptions->addWidget(page);
        return page;
    };
    add("ExcelOptions",
        formPage(this,
                 {{"Sayfa adı", textEdit(b, this, "ExcelSheetTitle", s.excel.sheetTitle)},
                  {"Sayfa üstü", textEdit(b, this, "ExcelPageHeader", s.excel.pageHeader)},
                  {"Sayfa altı", textEdit(b, this, "ExcelPageFooter", s.excel.pageFooter)},
                  {"", checkBox(b, this, "ExcelBoldCaptions", "Başlıklar kalın", s.excel.boldCaptions)}}));
    add("WordOptions",
        formPage(this, {{"Yazı tipi", fontEditor(b, this, "WordFont", s.word.defaultFont)},
                        {"Başlık satırı", fontEditor(b, this, "WordRowHeaderFont", s.word.rowHeaderFont)}}));
    add("HtmlOptions",
        formPage(this,
                 {{"Sayfa başlığı", textEdit(b, this, "HtmlTitle", s.html.title)},
                  {"Yazı tipi", fontEditor(b, this, "HtmlFont", s.html.textFont)},
                  {"Zemin", colourEdit(b, this, "HtmlBackground", s.html.background)},
                  {"Başlık zemini", colourEdit(b, this, "HtmlCaptionBackground", s.html.captionBackground)},
                  {"Tek satırlar", colourEdit(b, this, "HtmlOddRows", s.html.oddRowBackground)},
                  {"Çift satırlar", colourEdit(b, this, "HtmlEvenRows", s.html.evenRowBackground)},
                  {"Çerçeve", colourEdit(b, this, "HtmlBorder", s.html.borderColor)}}));
    add("TextOptions",
        formPage(this, {{"Sütun arası", textEdit(b, this, "TextColumnGap", s.text.columnGap)}}));
    add("XmlOptions", formPage(this, {{"Kök öğe", textEdit(b, this, "XmlRoot", s.xml.rootElement)},
                                      {"Satır öğesi", textEdit(b, this, "XmlRow", s.xml.rowElement)}}));
    const auto margin = [&](const char* name, qreal (QMarginsF::*get)() const,
                            void (QMarginsF::*set)(qreal)) {
        auto* box = named(new QDoubleSpinBox(this), name);
        box->setRange(0, 5);
        box->setDecimals(2);
        box->setSuffix(" in");
        b.push_back({[box, &s, get] { box->setValue((s.pdf.margins.*get)()); },
                     [box, &s, set] { (s.pdf.margins.*set)(box->value()); }});
        return box;
    };
    add("PdfOptions",
        formPage(this, {{"Sol kenar", margin("PdfLeft", &QMarginsF::left, &QMarginsF::setLeft)},
                        {"Sağ kenar", margin("PdfRight", &QMarginsF::right, &QMarginsF::setRight)},
                        {"Üst kenar", margin("PdfTop", &QMarginsF::top, &QMarginsF::setTop)},
                        {"Alt kenar", margin("PdfBottom", &QMarginsF::bottom, &QMarginsF::setBottom)},
                        {"", checkBox(b, this, "PdfLandscape", "Yatay sayfa", s.pdf.landscape)},
                        {"Yazı tipi", fontEditor(b, this, "PdfFont", s.pdf.font)}}));
    add("CsvOptions",
        formPage(this,
                 {{"Alan ayırıcı", textEdit(b, this, "CsvSeparator", s.csv.separator)},
                  {"Tırnak", textEdit(b, this, "CsvQuote", s.csv.quote)},
                  {"", checkBox(b, this, "CsvByteOrderMark", "UTF-8 imi (BOM) yaz", s.csv.byteOrderMark)}}));
    add("LatexOptions",
        formPage(this, {{"", checkBox(b, this, "LatexWholeDocument", "Tam belge (yalnız tablo değil)",
                                      s.latex.wholeDocument)}}));
    add("SqlOptions",
        formPage(this, {{"Tablo adı", textEdit(b, this, "SqlTableName", s.sql.tableName)},
                        {"", checkBox(b, this, "SqlCreateTable", "CREATE TABLE yaz", s.sql.createTable)}}));
    add("NoOptions", formPage(this, {{"", new QLabel("Bu biçimin ayrıca bir seçeneği yok.")}}));
    return FormatOptions;
}

QWidget* ExportDialog::buildButtons() {
    auto* row = new QWidget(this);
    ToolsButton = namedButton("ToolsButton", "Araçlar", row);
    auto* tools = new QMenu(ToolsButton);
    QAction* load = tools->addAction("Export Ayarlarını Yükle");
    load->setObjectName("LoadSettings");
    QAction* save = tools->addAction("Export Ayarlarını Kaydet");
    save->setObjectName("SaveSettings");
    guardedConnect(load, &QAction::triggered, this, &ExportDialog::LoadSettingsClick);
    guardedConnect(save, &QAction::triggered, this, &ExportDialog::SaveSettingsClick);
    ToolsButton->setMenu(tools);

    StartButton = named(new QPushButton("İŞLEME BAŞLA", row), "StartButton");
    StartButton->setDefault(true);
    guardedConnect(StartButton, &QPushButton::clicked, this, &ExportDialog::StartButtonClick);
    CancelButton = namedButton("CancelButton", "Durdur", row);
    CancelButton->setEnabled(false);
    connect(CancelButton, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    CloseButton = namedButton("CloseButton", "&Close", row);
    connect(CloseButton, &QPushButton::clicked, this, &ExportDialog::reject);

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ToolsButton);
    layout->addStretch();
    layout->addWidget(StartButton);
    layout->addWidget(CancelButton);
    layout->addWidget(CloseButton);
    return row;
}

void ExportDialog::showEvent(QShowEvent* event) {
    if (m_settings.fileName.isEmpty())
        m_settings.fileName = fileInDocuments("liste");
    showSettings();
    followFormatInFileName();
    StatusLabel->clear();
    Progress->reset();
    QDialog::showEvent(event);
}

// An export that runs is stopped, not left behind by closing the dialog.
void ExportDialog::reject() {
    if (m_running) {
        m_cancelled = true;
        return;
    }
    takeSettings();
    QDialog::reject();
}

ExportFormat ExportDialog::chosenFormat() const {
    const int row = ExportTo->currentRow();
    return row < 0 ? ExportFormat::Excel : exportFormats()[size_t(row)].format;
}

void ExportDialog::showSettings() {
    const QSignalBlocker blocking(ExportTo);
    ExportTo->setCurrentRow(int(m_settings.format));
    for (const auto& binding : m_bindings)
        binding.first();
    ExportToChange();
}

void ExportDialog::takeSettings() {
    m_settings.format = chosenFormat();
    followFormatInFileName();
    for (const auto& binding : m_bindings)
        binding.second();
}

void ExportDialog::ExportToChange() {
    static const std::map<ExportFormat, const char*> pages = {
        {ExportFormat::Excel, "ExcelOptions"}, {ExportFormat::Word, "WordOptions"},
        {ExportFormat::Rtf, "WordOptions"},    {ExportFormat::Html, "HtmlOptions"},
        {ExportFormat::Text, "TextOptions"},   {ExportFormat::Xml, "XmlOptions"},
        {ExportFormat::Pdf, "PdfOptions"},     {ExportFormat::Csv, "CsvOptions"},
        {ExportFormat::Latex, "LatexOptions"}, {ExportFormat::Sql, "SqlOptions"}};
    const auto page = pages.find(chosenFormat());
    FormatOptions->setCurrentWidget(FormatOptions->findChild<QWidget*>(
        page == pages.end() ? "NoOptions" : page->second, Qt::FindDirectChildrenOnly));
    const bool toFile = chosenFormat() != ExportFormat::Clipboard;
    FileName->setEnabled(toFile);
    findChild<QPushButton*>("SelectButton")->setEnabled(toFile);
    OpenAfterExport->setEnabled(toFile);
    followFormatInFileName();
}

// The file name's extension is the chosen format's: a name without one gets it, another's is replaced.
void ExportDialog::followFormatInFileName() {
    const QString extension = QString::fromLatin1(exportFormatInfo(chosenFormat()).extension);
    const QString name = FileName->text().trimmed();
    if (extension.isEmpty() || name.isEmpty())
        return;
    const QFileInfo file(name);
    const QString base = file.suffix().isEmpty() ? name : name.left(name.size() - file.suffix().size() - 1);
    FileName->setText(base + '.' + extension);
}

void ExportDialog::SelectButtonClick() {
    const ExportFormatInfo& info = exportFormatInfo(chosenFormat());
    const QString filter =
        QString("%1 (*.%2)").arg(QString::fromUtf8(info.fileKind), QString::fromLatin1(info.extension));
    QFileDialog dialog(this, "Dışa aktarılacak dosya", QDir::fromNativeSeparators(FileName->text()), filter);
    dialog.setObjectName("SelectFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromLatin1(info.extension));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        FileName->setText(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

void ExportDialog::LoadSettingsClick() {
    const QString path =
        QFileDialog::getOpenFileName(this, "Export Ayarlarını Yükle", QString(), SettingsFileKind, nullptr,
                                     QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    ExportSettings loaded = m_settings;
    loadExportSettings(loaded, path);
    m_settings = loaded;
    showSettings();
    StatusLabel->setText(QString("Ayarlar yüklendi: %1").arg(QDir::toNativeSeparators(path)));
}

void ExportDialog::SaveSettingsClick() {
    QFileDialog dialog(this, "Export Ayarlarını Kaydet", QString(), SettingsFileKind);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("cfg");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().first();
    takeSettings();
    saveExportSettings(m_settings, path);
    StatusLabel->setText(QString("Ayarlar kaydedildi: %1").arg(QDir::toNativeSeparators(path)));
}

void ExportDialog::StartButtonClick() {
    if (m_running)
        return;
    takeSettings();
    StatusLabel->clear();
    setRunning(true);
    const auto stopped = qScopeGuard([this] { setRunning(false); });
    runChosenExport();
}

void ExportDialog::runChosenExport() {
    m_cancelled = false;
    const std::optional<int> rows =
        runExport(*m_source, m_settings, [this](int done, int total) { return showProgress(done, total); });
    if (!rows) {
        Progress->reset();
        StatusLabel->setText("Dışa aktarma durduruldu; dosya yazılmadı.");
        return;
    }
    afterExport(*rows);
}

// Keeps the dialog alive during long work; false once the user asked to stop.
bool ExportDialog::showProgress(int done, int total) {
    Progress->setRange(0, std::max(total, 1));
    Progress->setValue(done);
    QCoreApplication::processEvents();
    return !m_cancelled;
}

void ExportDialog::afterExport(int rows) {
    if (m_settings.format == ExportFormat::Clipboard) {
        StatusLabel->setText(QString("%1 kayıt panoya kopyalandı.").arg(rows));
    } else {
        const QString file = QDir::toNativeSeparators(m_settings.fileName);
        QString status = QString("%1 kayıt %2 dosyasına yazıldı.").arg(rows).arg(file);
        if (m_settings.openAfterExport &&
            !QDesktopServices::openUrl(QUrl::fromLocalFile(m_settings.fileName)))
            status += " Dosyayı açacak bir program bulunamadı.";
        StatusLabel->setText(status);
    }
    if (m_settings.printAfterExport)
        printExport();
}

// The exported table on paper, laid out as the PDF is.
void ExportDialog::printExport() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(m_settings.pdf.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(m_settings.pdf.margins, QPageLayout::Inch);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("PrintDialog");
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto writer = makeTableWriter(printer, m_settings);
    if (!writeRows(*writer, *m_source, m_settings,
                   [this](int done, int total) { return showProgress(done, total); }))
        printer.abort();
}

void ExportDialog::setRunning(bool running) {
    m_running = running;
    for (QWidget* control :
         std::initializer_list<QWidget*>{ExportTo, Pages, StartButton, CloseButton, ToolsButton, FileName,
                                         findChild<QPushButton*>("SelectButton")})
        control->setEnabled(!running);
    CancelButton->setEnabled(running);
    if (!running)
        ExportToChange();
}
