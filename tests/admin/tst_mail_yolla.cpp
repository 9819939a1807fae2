#include "admin/frm_mail_yolla.h"
#include "mail/smtp_client.h"
#include "smtp_server.h"
#include "test_support.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

// The feedback window: its captions, its keys, and a sending through it to a local SMTP server.
namespace {

template <typename W> W* child(QWidget& window, const char* name) {
    W* widget = window.findChild<W*>(name);
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

QString status(QWidget& window) {
    return child<QStatusBar>(window, "StatusBar1")->currentMessage();
}

void fill(QWidget& window, const QString& address, const QStringList& files) {
    child<QLineEdit>(window, "adiniz")->setText("Ayşe Gül Çınar");
    child<QLineEdit>(window, "mailiniz")->setText(address);
    child<QLineEdit>(window, "Subjectx")->setText("İstek");
    child<QPlainTextEdit>(window, "mesaj")->setPlainText("Birinci satır\nİkinci satır");
    child<QListWidget>(window, "ListBox1")->addItems(files);
}

} // namespace

class TestMailYolla : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Button1") << "Button1"
                                 << "Gönder";
        QTest::newRow("Button4") << "Button4"
                                 << "Dosya veya Resim Ekle";
        QTest::newRow("SpeedButton4") << "SpeedButton4"
                                      << "Çıkış";
        QTest::newRow("SpeedButton1") << "SpeedButton1"
                                      << "Uyarı";
        QTest::newRow("Label1") << "Label1"
                                << "Adınız";
        QTest::newRow("Label2") << "Label2"
                                << "@-Mail";
        QTest::newRow("Label3") << "Label3"
                                << "Konu";
        QTest::newRow("Label4") << "Label4"
                                << "Dosya veya Resim Ekleri";
        QTest::newRow("Label5") << "Label5"
                                << ":";
    }
    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        frm_mail_yolla window;
        window.show();
        QWidget* control = window.findChild<QWidget*>(name);
        QVERIFY(control);
        QString text = qobject_cast<QLabel*>(control) ? qobject_cast<QLabel*>(control)->text()
                                                      : qobject_cast<QAbstractButton*>(control)->text();
        QCOMPARE(text, caption);
        QCOMPARE(window.windowTitle(), "Programcıya @ Posta Gönder  »»»»»  [ destek@kalvista.example ]");
        QVERIFY(!window.isModal());
        QVERIFY(window.fileFilter().startsWith("Sıkışmış Dosya (*.zip;*.rar)|*.zip;*.rar|"));
    }

    // "Gönder" against a local server: what the status line says and which box, if any, shows.
    void sending_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box"); // part of the box's text; empty for none
        QTest::addColumn<int>("attached");

        QTest::newRow("sent") << "save"
                              << "ayse@ornek.example"
                              << "Mesaj başarıyla gönderildi..."
                              << "" << 2;
        QTest::newRow("blank address") << "save"
                                       << "   "
                                       << "Bağlantı durumu kontrol ediliyor"
                                       << "\nE-POSTA BÖLÜMÜNÜ DOLDURMANIZ GEREKİR." << -1;
        QTest::newRow("recipient refused") << "refuse"
                                           << "ayse@ornek.example"
                                           << "Bağlantı kuruluyor..."
                                           << "550" << -1;
    }
    void sending() {
        QFETCH(QString, mode);
        QFETCH(QString, address);
        QFETCH(QString, status);
        QFETCH(QString, box);
        QFETCH(int, attached);
        if (!hasInternetRoute())
            QSKIP("no route out on this machine");
        QTemporaryDir folder;
        QFile file(folder.filePath("ek.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("ek");
        file.close();
        Server server(mode);
        frm_mail_yolla window(nullptr, "127.0.0.1", server.port);
        window.show();
        fill(window, address, {file.fileName(), folder.filePath("silindi.txt"), file.fileName()});
        ModalWatcher boxes;
        QTest::mouseClick(child<QPushButton>(window, "Button1"), Qt::LeftButton);

        QCOMPARE(::status(window), status);
        QCOMPARE(boxes.seen.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty())
            QVERIFY2(boxes.seen[0].text.contains(box), qPrintable(boxes.seen[0].text));
        QCOMPARE(server.saved().size(), attached < 0 ? 0 : 1);
        if (attached >= 0) {
            QStringList read = server.read(1);
            QCOMPARE(read.filter("attachment: ek.txt").size(), attached);
            QVERIFY(read.contains("from-name: Ayşe Gül Çınar"));
            QVERIFY(read.contains("envelope-from: ayse@ornek.example"));
            QVERIFY(read.contains("body: İkinci satır"));
        }
        QCOMPARE(child<QLineEdit>(window, "mailiniz")->text(), address);
    }

    // F12 hides the window; showing it again keeps the texts and empties the status line.
    void keys() {
        frm_mail_yolla window;
        window.show();
        fill(window, "a@b.example", {"/yok/dosya.zip"});
        child<QStatusBar>(window, "StatusBar1")->showMessage("Durum:");
        auto* subject = child<QLineEdit>(window, "Subjectx");
        auto* text = child<QPlainTextEdit>(window, "mesaj");
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        subject->setFocus();
        QCOMPARE(subject->palette().color(QPalette::Base), QColor(Qt::white));
        QTest::keyClick(subject, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), text);
        QCOMPARE(subject->palette().color(QPalette::Base), QColor(216, 213, 203));
        QCOMPARE(text->palette().color(QPalette::Base), QColor(222, 220, 211));
        text->moveCursor(QTextCursor::End);
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(text->toPlainText(), "Birinci satır\nİkinci satır\n");
        QTest::keyClick(text, Qt::Key_F12);
        QVERIFY(!window.isVisible());
        window.show();
        QCOMPARE(subject->text(), "İstek");
        QCOMPARE(child<QListWidget>(window, "ListBox1")->count(), 1);
        QCOMPARE(::status(window), QString());
    }
};

QTEST_MAIN(TestMailYolla)
#include "tst_mail_yolla.moc"
