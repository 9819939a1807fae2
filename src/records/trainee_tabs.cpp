#include "records/trainee_tabs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "data/schema.h"
#include "data/value_lists.h"
#include "ui/bound_controls.h"
#include "ui/date_box.h"

#include <span>
#include <vector>

namespace {

enum class Kind { Edit, Box, Date, List, FixedList, Check, BoldCheck };
using ValueList = QStringList (*)();

struct Control {
    QString field;
    Kind kind = Kind::Edit;
    ValueList list = nullptr;   // the entries of a list; none for a list the main window fills
    const char* name = nullptr; // objectName, where it is not the field's name
    const char* tip = nullptr;
};

// A label, its ":" and the controls beside them; a check box row has its label as its text.
struct Row {
    const char* label;
    std::vector<Control> controls;
};

// Rows top to bottom; a page's columns stand left to right, and the tab order follows the rows
// through the columns in that order.
using FormColumn = std::vector<Row>;

struct FormPage {
    int index;
    std::vector<FormColumn> columns;
};

// One column of the exam tables: the field is the prefix with the attempt number appended.
struct AttemptColumn {
    const char* caption;
    const char* prefix;
    Kind kind;
};

constexpr int ExamPage = 5;
constexpr int Attempts = 5;
// The panel is about 260 pixels high; a box of three lines beside a form row still leaves room
// for the rows below it.
constexpr int BoxLines = 3;
constexpr int BoxMargins = 12; // its frame and the text's own margin

const std::vector<FormPage>& formPages() {
    using namespace ValueLists;
    static const std::vector<FormPage> pages = {
        {0,
         {{{"Adı*", {{"adi"}}},
           {"Soyadı*", {{"soyadi"}}},
           {"Aday No*", {{"adayno"}}},
           {"Doğum Tarihi", {{"dogumtarihi", Kind::Date}}},
           {"Cep Telefonu", {{"ceptelefonu"}}},
           {"E-Posta", {{"eposta"}}}},
          {{"Web Sitesi", {{"web"}}},
           {"Cinsiyeti*", {{"cinsiyeti", Kind::FixedList, sexes}}},
           {"Ehliyet Sınıfı*", {{"ehliyetsinifi", Kind::FixedList, licenceClasses}}},
           {"Kayıt Tarihi", {{"kayitTarihi", Kind::Date}}},
           {"Bu sürücü ehliyet almış...", {{"ehliyetAldi", Kind::Check}}}}}},
        {1,
         {{{"Seri - No", {{"n_seri"}, {"n_no"}}},
           {"T.C. Kimlik No", {{"n_tckimlik"}}},
           {"Baba Adı", {{"n_baba"}}},
           {"Anne Adı", {{"n_ana"}}},
           {"Doğum Yeri", {{"n_dogumyeri"}}}},
          {{"Medeni Hali", {{"n_medeni", Kind::List, maritalStatuses}}},
           {"İli", {{"n_il", Kind::List, provinces}}},
           {"İlçe", {{"n_ilce"}}},
           {"Mahalle/Köy", {{"n_mahalle"}}},
           {"Cilt", {{"n_cilt"}}}},
          {{"Aile Sıra No", {{"n_aile"}}},
           {"Sıra No", {{"n_sira"}}},
           {"Dini", {{"n_dini", Kind::List, religions}}},
           {"Kan Grubu", {{"n_kangrubu", Kind::List, bloodGroups}}},
           {"Verildiği Yer", {{"n_verildigi", Kind::List, provinces}}}}}},
        {2,
         {{{"Adresi", {{"e_adresi", Kind::Box}}},
           {"Semt", {{"e_semt"}}},
           {"Şehir", {{"e_sehir", Kind::List, provinces}}}},
          {{"Posta Kodu", {{"e_postakodu"}}},
           {"Telefon", {{"e_tel"}}},
           {"Fax", {{"e_fax"}}},
           {"Diğer", {{"e_diger"}}}}}},
        {3,
         {{{"Şirket Adı", {{"i_sirket"}}}, {"Görevi", {{"i_gorevi"}}}, {"Adresi", {{"i_adresi", Kind::Box}}}},
          {{"Şehir", {{"i_sehir", Kind::List, provinces}}},
           {"Semt", {{"i_semt"}}},
           {"Posta Kodu", {{"i_postakodu"}}},
           {"Telefon", {{"i_tel"}}},
           {"Fax", {{"i_fax"}}}}}},
        {4,
         {{{"Dönemi", {{"k_donemi"}}},
           {"Kayıt Tarihi", {{"k_kayittarihi", Kind::Date}}},
           {"Sertifika Sınıfı", {{"k_sertifikasinifi", Kind::List, certificateClasses}}},
           {"K. Araç", {{"k_arac", Kind::List, nullptr, "DBComboBox11"}}},
           {"Plaka", {{"k_aracplaka", Kind::List, nullptr, "DBComboBox12"}}},
           {"Güzergah", {{"k_guzergah", Kind::List, nullptr, "DBComboBox13"}}}},
          {{"Verildiği İl", {{"k_verildigi", Kind::List, provinces}}},
           {"Tarih", {{"k_tarih", Kind::Date}}},
           {"Sayısı", {{"k_sayi"}}},
           {"Alındığı Yer", {{"k_alnd"}}},
           {"Sürücüsü belgesi önceden ver", {{"k_belgeoncende", Kind::BoldCheck}}},
           {"Sürekli alındı", {{"k_surekli", Kind::BoldCheck}}}}}},
        {6,
         {{{"S.B. Verildiği İl",
            {{.field = "ser_ilplaka", .tip = "Plaka No"}, {"ser_il", Kind::List, provinces}}},
           {"Veriliş Tarihi", {{"ser_tarih", Kind::Date}}},
           {"Sertifika No", {{"ser_no"}}},
           {"Açıklama", {{"ser_aciklama", Kind::Box}}}},
          {{"Seri No", {{"ser_seri"}}},
           {"Sayısı", {{"ser_sayi"}}},
           {"Sertifika Haketti", {{"ser_hak", Kind::Check}}},
           {"Sertifikasını Aldı", {{"ser_aldi", Kind::Check}}},
           {"Dosya Yaktı", {{"ser_yakti", Kind::Check}}}}}},
    };
    return pages;
}

const AttemptColumn WrittenExams[] = {
    {"Sınav Tarihi", "s_tarih", Kind::Date},
    {"Trafik", "s_trafik", Kind::Edit},
    {"İlk Yardım", "s_ilkyardim", Kind::Edit},
    {"Motor", "s_motor", Kind::Edit},
};

const AttemptColumn DrivingExams[] = {
    {"Sınav Tarihi", "d_tarih", Kind::Date},
    {"Not", "d_not", Kind::Edit},
};

const Control DrivingRemarks = {"d_aciklama", Kind::Box};

const FormColumn Exemptions = {
    {"Trafik", {{"m_trafik", Kind::Check}}},
    {"İlkyardım", {{"m_ilkyardim", Kind::Check}}},
    {"Motor", {{"m_motor", Kind::Check}}},
    {"Direksiyon", {{"m_direksiyon", Kind::Check}}},
};

bool isCheck(Kind kind) {
    return kind == Kind::Check || kind == Kind::BoldCheck;
}

// Everything a page builder needs besides the table: where controls go, what they bind to,
// and the tab order collected on the way.
struct Builder {
    QWidget& parent;
    DataSource& source;
    QList<QWidget*>& tabOrder;
};

QWidget* newControl(const Builder& b, const Control& c, const QString& text = {}) {
    const QString& field = c.field;
    const QStringList items = c.list ? c.list() : QStringList();
    QWidget* control = nullptr;
    switch (c.kind) {
    case Kind::Edit:
        control = new BoundLineEdit(b.source, field, &b.parent);
        break;
    case Kind::Date:
        control = new DateBox(b.source, field, &b.parent);
        break;
    case Kind::List:
        control = new BoundComboBox(b.source, field, ListKind::Free, items, &b.parent);
        break;
    case Kind::FixedList:
        control = new BoundComboBox(b.source, field, ListKind::Fixed, items, &b.parent);
        break;
    case Kind::Box:
        control = new BoundTextBox(b.source, field, &b.parent);
        break;
    case Kind::Check:
    case Kind::BoldCheck: {
        auto* check = new BoundCheckBox(b.source, field, text, &b.parent);
        QFont font = check->font();
        font.setBold(c.kind == Kind::BoldCheck);
        check->setFont(font);
        control = check;
        break;
    }
    }
    if (c.name)
        control->setObjectName(c.name);
    if (c.tip)
        control->setToolTip(c.tip);
    b.tabOrder << control;
    return control;
}

QLabel* newLabel(const Builder& b, const QString& text, const QString& name = {}) {
    auto* label = new QLabel(text, &b.parent);
    label->setObjectName(name);
    return label;
}

// Controls sharing a row share its width in proportion to what their columns hold. The label
// is named after the row's last field, whose caption it is (the province after its plate code).
void addRow(const Builder& b, QGridLayout& grid, int line, const Row& row) {
    const Control& first = row.controls.front();
    if (isCheck(first.kind)) {
        grid.addWidget(newControl(b, first, row.label), line, 0, 1, 3);
        return;
    }
    const Qt::Alignment alignment = first.kind == Kind::Box ? Qt::AlignTop : Qt::AlignVCenter;
    grid.addWidget(newLabel(b, row.label, "lbl_" + row.controls.back().field), line, 0, alignment);
    grid.addWidget(newLabel(b, ":"), line, 1, alignment);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(grid.horizontalSpacing());
    for (const Control& c : row.controls) {
        QWidget* control = newControl(b, c);
        if (c.kind == Kind::Box)
            control->setFixedHeight(control->fontMetrics().lineSpacing() * BoxLines + BoxMargins);
        controls->addWidget(control, Schema::anyColumn(c.field)->width);
    }
    grid.addLayout(controls, line, 2);
}

QGridLayout* newGrid() {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    return grid;
}

QGridLayout* newFormColumn(const Builder& b, const FormColumn& rows) {
    QGridLayout* grid = newGrid();
    int line = 0;
    for (const Row& row : rows)
        addRow(b, *grid, line++, row);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(line, 1);
    return grid;
}

void chainTabOrder(const QList<QWidget*>& controls) {
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

void buildFormPage(QWidget& page, const FormPage& table, DataSource& source) {
    QList<QWidget*> tabOrder;
    const Builder builder{page, source, tabOrder};
    auto* layout = new QHBoxLayout(&page);
    layout->setSpacing(24);
    for (const FormColumn& column : table.columns)
        layout->addLayout(newFormColumn(builder, column), 1);
    chainTabOrder(tabOrder);
}

// Captions on top, then one row per attempt, filled (and so tabbed through) row by row.
QGridLayout* newAttemptGrid(const Builder& b, std::span<const AttemptColumn> columns) {
    QGridLayout* grid = newGrid();
    for (int c = 0; c < int(columns.size()); ++c)
        grid->addWidget(newLabel(b, columns[c].caption), 0, c);
    for (int attempt = 1; attempt <= Attempts; ++attempt)
        for (int c = 0; c < int(columns.size()); ++c)
            grid->addWidget(newControl(b, {columns[c].prefix + QString::number(attempt), columns[c].kind}),
                            attempt, c);
    grid->setRowStretch(Attempts + 1, 1);
    return grid;
}

// The "Girmedi" buttons come after all the results in the tab order.
void addNotTakenButtons(const Builder& b, QGridLayout& grid) {
    const int column = grid.columnCount();
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        auto* button = new QPushButton("Girmedi", &b.parent);
        button->setObjectName(QString("btn%1x").arg(attempt));
        button->setToolTip(QString::number(attempt));
        grid.addWidget(button, attempt, column);
        b.tabOrder << button;
    }
}

QGroupBox* newWrittenExams(QWidget& page, DataSource& source, QList<QWidget*>& tabOrder) {
    auto* group = new QGroupBox("Yazılı Sınavlar", &page);
    const Builder builder{*group, source, tabOrder};
    QGridLayout* grid = newAttemptGrid(builder, WrittenExams);
    addNotTakenButtons(builder, *grid);
    group->setLayout(grid);
    return group;
}

QGroupBox* newDrivingExams(QWidget& page, DataSource& source, QList<QWidget*>& tabOrder) {
    auto* group = new QGroupBox("Direksiyon Sınavları", &page);
    const Builder builder{*group, source, tabOrder};
    QGridLayout* grid = newAttemptGrid(builder, DrivingExams);
    const int column = grid->columnCount();
    grid->addWidget(newLabel(builder, "Açıklama"), 0, column);
    grid->addWidget(newControl(builder, DrivingRemarks), 1, column, Attempts, 1);
    group->setLayout(grid);
    return group;
}

QGroupBox* newExemptions(QWidget& page, DataSource& source, QList<QWidget*>& tabOrder) {
    auto* group = new QGroupBox("Muaf", &page);
    group->setLayout(newFormColumn({*group, source, tabOrder}, Exemptions));
    return group;
}

void buildExamPage(QWidget& page, DataSource& source) {
    QList<QWidget*> tabOrder;
    auto* layout = new QHBoxLayout(&page);
    layout->addWidget(newWrittenExams(page, source, tabOrder));
    layout->addWidget(newDrivingExams(page, source, tabOrder));
    layout->addWidget(newExemptions(page, source, tabOrder));
    layout->addStretch(1);
    chainTabOrder(tabOrder);
}

} // namespace

void buildTraineeTabs(QTabWidget& pages, DataSource& trainees) {
    for (const FormPage& table : formPages())
        buildFormPage(*pages.widget(table.index), table, trainees);
    buildExamPage(*pages.widget(ExamPage), trainees);
}
