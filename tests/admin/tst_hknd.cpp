#include "admin/frm_hknd.h"
#include "admin/frm_mail_yolla.h"
#include "app/forms.h"
#include "program_fixture.h"
#include "test_support.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

// The about window: the hover look of the contact lines and what closes it.
class TestHknd : public QObject {
    Q_OBJECT

    static QLabel* line(frm_hknd& window, const QString& name) { return window.findChild<QLabel*>(name); }

private slots:
    void initTestCase() { useProgramLocale(); }

    // Entering a contact line makes it blue and underlined, leaving makes it black, bold all along.
    void hover_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("before");
        QTest::newRow("web address") << "Label2" << QColor(Qt::black);
        QTest::newRow("e-mail") << "Label1" << QColor(Qt::black);
        QTest::newRow("custom programs") << "Label3" << QColor(Qt::blue);
    }
    void hover() {
        QFETCH(QString, name);
        QFETCH(QColor, before);
        frm_hknd window;
        window.show();
        QLabel* label = line(window, name);
        QVERIFY(label);
        QCOMPARE(label->palette().color(QPalette::WindowText), before);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(label, &enter);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QVERIFY(label->font().underline() && label->font().bold());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(label, &leave);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        QVERIFY(!label->font().underline() && label->font().bold());
        QVERIFY(window.isVisible());
    }

    // A key, or a click on the title, the picture or the free area, closes it; the e-mail line does not.
    void closing_data() {
        QTest::addColumn<QString>("target"); // object name clicked, "key" for a key, "" for the free area
        QTest::addColumn<bool>("closes");
        QTest::newRow("key") << "key" << true;
        QTest::newRow("title") << "Label7" << true;
        QTest::newRow("picture") << "Image2" << true;
        QTest::newRow("free area") << "" << true;
        QTest::newRow("e-mail line") << "Label1" << false;
    }
    void closing() {
        QFETCH(QString, target);
        QFETCH(bool, closes);
        frm_hknd window;
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        bool stillOpen = false;
        QTimer::singleShot(0, &window, [&] {
            if (target == "key")
                QTest::keyClick(&window, Qt::Key_A);
            else if (target.isEmpty())
                QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(window.width() - 4, 4));
            else
                QTest::mouseClick(window.findChild<QWidget*>(target), Qt::LeftButton);
            stillOpen = window.isVisible();
            window.reject();
        });
        window.exec();
        QCOMPARE(stillOpen, !closes);
    }

    // "İletişim" shows the mail window beside the main one; "Hakında" opens the about window modally.
    void toolbar() {
        ProgramFixture p;
        p.find<QToolButton>("ToolButton9")->click();
        QVERIFY(p.forms().mail_yolla->isVisible());
        QVERIFY(!p.forms().mail_yolla->isModal());
        QString opened;
        p.boxes().onDialog([&](QWidget* dialog) {
            opened = dialog->objectName();
            static_cast<QDialog*>(dialog)->reject();
        });
        p.find<QToolButton>("Btn6")->click();
        QCOMPARE(opened, "hknd");
    }
};

QTEST_MAIN(TestHknd)
#include "tst_hknd.moc"
