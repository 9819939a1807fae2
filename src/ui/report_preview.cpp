#include "ui/report_preview.h"

#include "app/guard.h"
#include "ui/message_box.h"
#include "ui/report_painter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Report {

namespace {

constexpr double PdfDpi = 600;
constexpr double MinZoom = 0.5;
constexpr double MaxZoom = 20;

// Progress of a long print or PDF; shows itself only when the work takes a while, and the user
// may stop it.
class Progress {
public:
    Progress(QWidget* parent, const QString& text, int pages) : m_dialog(text, "Vazgeç", 0, pages, parent) {
        m_dialog.setWindowTitle("Lütfen Bekleyin");
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(1500);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
    }
    // False when the user stopped the work.
    bool step(int done) {
        if (done % 16 == 0)
            m_dialog.setValue(done);
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
};

QString fileProblem(const QSaveFile& file) {
    QString why;
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        why = "Bu konuma yazma izniniz yok.";
        break;
    case QFileDevice::ResourceError:
    case QFileDevice::WriteError:
        why = "Dosyanın tamamı yazılamadı; disk dolu olabilir.";
        break;
    case QFileDevice::OpenError:
        why = "Dosya açılamadı; klasörün var olduğunu ve yazılabilir olduğunu denetleyin.";
        break;
    default:
        why = "Dosya yazılamadı.";
        break;
    }
    return why + "\n(" + file.errorString() + ")";
}

} // namespace

class PageView : public QWidget {
public:
    PageView(const Run& run, QWidget* parent) : QWidget(parent), m_run(run) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    int page() const { return m_index; }
    double zoom() const { return m_zoom; }
    void setPage(int index) {
        m_index = index;
        update();
    }
    void setZoom(double zoom) {
        m_zoom = std::clamp(zoom, MinZoom, MaxZoom);
        const QSizeF paper = m_run.setup().paper * m_zoom;
        setFixedSize(int(paper.width()), int(paper.height()));
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        // Only the page on the screen is ever laid out; paging back and forth lays it out again.
        if (m_laidOut.number != m_index + 1)
            m_laidOut = m_run.page(m_index);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        paintPage(painter, m_laidOut, m_zoom);
    }

private:
    const Run& m_run;
    int m_index = 0;
    double m_zoom = 3;
    Page m_laidOut;
};

Preview::Preview(const Run& run, QWidget* parent) : QDialog(parent), m_run(run) {
    setObjectName("ReportPreview");
    setWindowTitle(run.title());
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    setWindowState(Qt::WindowMaximized);

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto add = [&](const char* name, const QString& caption, const QString& tip,
                         QStyle::StandardPixmap icon) {
        QToolButton* b = button(name, caption, tip);
        b->setIcon(style()->standardIcon(icon));
        bar->addWidget(b);
        return b;
    };
    QToolButton* print =
        add("PrintButton", "Yazdır...", "Yazdır (Ctrl+P)", QStyle::SP_FileDialogDetailedView);
    QToolButton* pdf =
        add("SavePdfButton", "PDF Olarak Kaydet...", "PDF olarak kaydet", QStyle::SP_DialogSaveButton);
    bar->addSeparator();
    QToolButton* first = add("FirstPageButton", "İlk", "İlk sayfa (Home)", QStyle::SP_MediaSkipBackward);
    QToolButton* prior =
        add("PriorPageButton", "Önceki", "Önceki sayfa (Page Up)", QStyle::SP_MediaSeekBackward);
    m_label = new QLabel(this);
    m_label->setObjectName("PageLabel");
    m_label->setMinimumWidth(m_label->fontMetrics().horizontalAdvance("Sayfa 000000 / 000000"));
    m_label->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_label);
    QToolButton* next =
        add("NextPageButton", "Sonraki", "Sonraki sayfa (Page Down)", QStyle::SP_MediaSeekForward);
    QToolButton* last = add("LastPageButton", "Son", "Son sayfa (End)", QStyle::SP_MediaSkipForward);
    bar->addSeparator();
    QToolButton* in = add("ZoomInButton", "Büyüt", "Yakınlaştır", QStyle::SP_ArrowUp);
    QToolButton* out = add("ZoomOutButton", "Küçült", "Uzaklaştır", QStyle::SP_ArrowDown);
    QToolButton* fit =
        add("FitWidthButton", "Sayfa Genişliği", "Sayfa genişliğine sığdır", QStyle::SP_TitleBarMaxButton);
    bar->addSeparator();
    QToolButton* closing =
        add("CloseButton", "Kapat", "Önizlemeyi kapat (Esc)", QStyle::SP_DialogCloseButton);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName("PageArea");
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView(run, m_scroll);
    m_scroll->setWidget(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll, 1);

    guardedConnect(print, &QToolButton::clicked, this, &Preview::PrintButtonClick);
    guardedConnect(pdf, &QToolButton::clicked, this, &Preview::SavePdfButtonClick);
    guardedConnect(first, &QToolButton::clicked, this, [this] { showPage(0); });
    guardedConnect(prior, &QToolButton::clicked, this, [this] { showPage(currentPage() - 1); });
    guardedConnect(next, &QToolButton::clicked, this, [this] { showPage(currentPage() + 1); });
    guardedConnect(last, &QToolButton::clicked, this, [this] { showPage(m_run.pageCount() - 1); });
    guardedConnect(in, &QToolButton::clicked, this, [this] { zoomBy(1.25); });
    guardedConnect(out, &QToolButton::clicked, this, [this] { zoomBy(0.8); });
    guardedConnect(fit, &QToolButton::clicked, this, &Preview::fitWidth);
    guardedConnect(closing, &QToolButton::clicked, this, &QDialog::reject);
    const std::pair<QKeySequence, QToolButton*> keys[] = {{QKeySequence(Qt::Key_PageUp), prior},
                                                          {QKeySequence(Qt::Key_PageDown), next},
                                                          {QKeySequence(Qt::Key_Home), first},
                                                          {QKeySequence(Qt::Key_End), last},
                                                          {QKeySequence::Print, print}};
    for (const auto& [key, target] : keys) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, target, &QToolButton::click);
    }
    m_view->setZoom(3);
    updateControls();
}

Preview::~Preview() = default;

QToolButton* Preview::button(const char* name, const QString& caption, const QString& tip) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

int Preview::currentPage() const {
    return m_view->page();
}

double Preview::zoom() const {
    return m_view->zoom();
}

void Preview::showPage(int index) {
    index = std::clamp(index, 0, m_run.pageCount() - 1);
    if (index != m_view->page()) {
        m_view->setPage(index);
        m_scroll->verticalScrollBar()->setValue(0);
    }
    updateControls();
}

void Preview::zoomBy(double factor) {
    m_fitWidth = false;
    m_view->setZoom(m_view->zoom() * factor);
}

void Preview::fitWidth() {
    m_fitWidth = true;
    const int room = m_scroll->viewport()->width() - 2 * m_scroll->frameWidth() - 16;
    m_view->setZoom(double(std::max(room, 100)) / m_run.setup().paper.width());
}

void Preview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_fitWidth)
        fitWidth();
}

void Preview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_fitWidth)
        fitWidth();
}

void Preview::updateControls() {
    const int page = m_view->page();
    const int last = m_run.pageCount() - 1;
    m_label->setText(QString("Sayfa %1 / %2").arg(page + 1).arg(last + 1));
    for (const char* name : {"FirstPageButton", "PriorPageButton"})
        findChild<QToolButton*>(name)->setEnabled(page > 0);
    for (const char* name : {"NextPageButton", "LastPageButton"})
        findChild<QToolButton*>(name)->setEnabled(page < last);
}

void Preview::failed(const QString& text) {
    MessageBox::show(MessageBox::Kind::Error, QString(), text, MessageBox::Buttons::Ok,
                     MessageBox::Answer::Ok, this);
}

void Preview::SavePdfButtonClick() {
    QFileDialog dialog(this, "PDF Olarak Kaydet", QDir::homePath() + "/" + m_run.title() + ".pdf",
                       "PDF Dosyası (*.pdf)");
    dialog.setObjectName("PdfFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pdf");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    savePdf(dialog.selectedFiles().first());
}

bool Preview::savePdf(const QString& path) {
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const QString heading = QString("\nPDF dosyası yazılamadı:\n%1\n\n").arg(shown);
    const QFileInfo info(path);
    if (info.isDir()) {
        failed(heading + "Bu adda bir klasör var; başka bir dosya adı seçin.");
        return false;
    }
    if (!info.absoluteDir().exists()) {
        failed(heading + "Bu klasör bulunamadı.");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        failed(heading + fileProblem(file));
        return false;
    }
    bool whole = true;
    {
        QPdfWriter writer(&file);
        writer.setTitle(m_run.title());
        writer.setCreator("Kalvista");
        writer.setPageSize(QPageSize(m_run.setup().paper, QPageSize::Millimeter));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(int(PdfDpi));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            failed(heading + fileProblem(file));
            return false;
        }
        Progress progress(this, "PDF dosyası yazılıyor...", m_run.pageCount());
        for (int i = 0; i < m_run.pageCount() && whole; ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, m_run.page(i), PdfDpi / 25.4);
            whole = progress.step(i + 1);
        }
        painter.end();
    }
    if (!whole) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        failed(heading + fileProblem(file));
        return false;
    }
    return true;
}

void Preview::PrintButtonClick() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_run.title());
    printer.setPageSize(QPageSize(m_run.setup().paper, QPageSize::Millimeter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setCopyCount(1);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("PrintDialog");
    dialog.setWindowTitle("Yazdır");
    dialog.setMinMax(1, m_run.pageCount());
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The layouts are portrait pages; another orientation would cut them.
    printer.setPageOrientation(QPageLayout::Portrait);
    printTo(printer);
}

bool Preview::printTo(QPrinter& printer) {
    printer.setFullPage(true);
    int from = 0;
    int to = m_run.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::clamp(printer.fromPage() - 1, 0, to);
        to = std::clamp(printer.toPage() - 1, from, to);
    }
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const QString failure =
        QString("\nRapor yazıcıya gönderilemedi: %1\n\nYazıcının açık ve bağlı olduğunu "
                "denetleyip yeniden deneyin.")
            .arg(printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName());
    QPainter painter;
    if (!painter.begin(&printer)) {
        failed(failure);
        return false;
    }
    const double pixelsPerMm = printer.resolution() / 25.4;
    Progress progress(this, "Rapor yazıcıya gönderiliyor...", (to - from + 1) * copies);
    bool going = true;
    int done = 0;
    for (int copy = 0; copy < copies && going; ++copy)
        for (int i = from; i <= to && going; ++i) {
            if (done > 0 && !printer.newPage())
                break;
            paintPage(painter, m_run.page(i), pixelsPerMm);
            going = progress.step(++done);
        }
    if (!going)
        printer.abort();
    painter.end();
    if (printer.printerState() == QPrinter::Error) {
        failed(failure);
        return false;
    }
    return going;
}

} // namespace Report
