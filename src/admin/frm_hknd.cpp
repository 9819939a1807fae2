#include "admin/frm_hknd.h"

#include "app/guard.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

namespace {

const QString Title = "Kalvista\nSürüm : 0.1";

// The product's picture, drawn once and kept as JPEG, so no image file has to ship with the program.
QPixmap productPicture() {
    QImage image(96, 96, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 0, 128));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(8, 36, 80, 32, 10, 10);
    painter.drawRect(24, 20, 44, 20);
    painter.setBrush(Qt::darkGray);
    painter.drawEllipse(16, 58, 20, 20);
    painter.drawEllipse(60, 58, 20, 20);
    painter.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    QPixmap picture;
    picture.loadFromData(jpeg, "JPEG");
    return picture;
}

QLabel* titleCopy(const char* name, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(Title, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(18);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QString("color: %1; background: transparent;").arg(colour.name()));
    label->setGeometry(120, 16, 260, 80);
    return label;
}

QLabel* contactLine(const char* name, const QString& text, const QColor& colour, int top, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setCursor(Qt::PointingHandCursor);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setGeometry(8, top, 384, 20);
    return label;
}

} // namespace

frm_hknd::frm_hknd(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("hknd");
    setFixedSize(400, 200);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    Image2 = new QLabel(this);
    Image2->setObjectName("Image2");
    Image2->setPixmap(productPicture());
    Image2->setGeometry(12, 12, 96, 96);
    // The grey copy goes first so that it lies under the others.
    Label5 = titleCopy("Label5", Qt::gray, this);
    Label5->move(Label5->pos() + QPoint(2, 1));
    Label6 = titleCopy("Label6", Qt::white, this);
    Label6->move(Label6->pos() + QPoint(1, 0));
    Label7 = titleCopy("Label7", Qt::black, this);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setGeometry(8, 116, 384, 4);
    Label2 = contactLine("Label2", "www.kalvista.example  -  Tel: 0 (555) 000 00 00", Qt::black, 124, this);
    Label2->setToolTip("ücretsiz programlar için adres...");
    Label1 = contactLine("Label1", "destek@kalvista.example", Qt::black, 148, this);
    Label3 = contactLine("Label3", "isteğe bağlı özel program geliştirilir...", Qt::blue, 172, this);

    for (QWidget* watched :
         std::initializer_list<QWidget*>{Image2, Label5, Label6, Label7, Label1, Label2, Label3})
        watched->installEventFilter(this);
}

void frm_hknd::Label2Click() {
    QDesktopServices::openUrl(QUrl(WebAddress));
}

void frm_hknd::Label2MouseEnter(QLabel* line) {
    QFont font = line->font();
    font.setUnderline(true);
    line->setFont(font);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    line->setPalette(palette);
}

void frm_hknd::Label2MouseLeave(QLabel* line) {
    QFont font = line->font();
    font.setUnderline(false);
    line->setFont(font);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    line->setPalette(palette);
}

void frm_hknd::Panel1Click() {
    accept();
}

bool frm_hknd::eventFilter(QObject* watched, QEvent* event) {
    auto* line = qobject_cast<QLabel*>(watched);
    bool contact = line == Label1 || line == Label2 || line == Label3;
    if (contact && event->type() == QEvent::Enter)
        Guard::run([&] { Label2MouseEnter(line); });
    else if (contact && event->type() == QEvent::Leave)
        Guard::run([&] { Label2MouseLeave(line); });
    else if (contact &&
             (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        // A click on a contact line must not reach the window, whose release closes it.
        if (line == Label2 && event->type() == QEvent::MouseButtonRelease)
            Guard::run([&] { Label2Click(); });
        return true;
    } else if (!contact && event->type() == QEvent::MouseButtonPress) {
        Guard::run([&] { Panel1Click(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frm_hknd::keyPressEvent(QKeyEvent*) {
    accept();
}

void frm_hknd::mouseReleaseEvent(QMouseEvent*) {
    accept();
}

// The navy frame two pixels wide around the whole window.
void frm_hknd::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

// Centred on the screen rather than over the main window.
void frm_hknd::showEvent(QShowEvent* event) {
    if (QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}
