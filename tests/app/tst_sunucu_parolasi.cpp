#include "app/frm_sunucu_parolasi.h"
#include "test_support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The server password dialog through its own controls: the typed password comes back whole on
// "Tamam" or Enter, nothing on every other way out, and what is typed is never shown.
class TestSunucuParolasi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void ask_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leave"); // how the dialog is left
        QTest::addColumn<bool>("answered");
        QTest::newRow("Tamam") << "gizli"
                               << "Tamam" << true;
        QTest::newRow("Enter in the field") << "gizli"
                                            << "Enter" << true;
        QTest::newRow("blanks and Turkish letters kept") << " Şİfre ığü 1 "
                                                         << "Tamam" << true;
        QTest::newRow("Vazgeç") << "gizli"
                                << "Vazgeç" << false;
        QTest::newRow("Escape") << "gizli"
                                << "Escape" << false;
        QTest::newRow("close box") << "gizli"
                                   << "close" << false;
        QTest::newRow("Tamam on an empty field does nothing") << ""
                                                              << "Tamam" << false;
    }
    void ask() {
        QFETCH(QString, typed);
        QFETCH(QString, leave);
        QFETCH(bool, answered);
        ModalWatcher watcher;
        bool stillOpen = false;
        watcher.onDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QString("sunucu_parolasi"));
            QCOMPARE(dialog->windowTitle(), QString("Sunucu Parolası"));
            QVERIFY(dialog->findChild<QLabel*>()->text().contains("okul-sunucu:5432/kalvista"));
            auto* password = dialog->findChild<QLineEdit*>("ParolaEdit");
            auto* ok = dialog->findChild<QPushButton*>("TamamButton");
            auto* cancel = dialog->findChild<QPushButton*>("VazgecButton");
            QCOMPARE(ok->text(), QString("Tamam"));
            QCOMPARE(cancel->text(), QString("Vazgeç"));
            QVERIFY(ok->isDefault());
            QCOMPARE(QApplication::focusWidget(), password);
            // Key by key, as typed: keyClicks() takes only ASCII.
            for (QChar letter : typed)
                QTest::sendKeyEvent(QTest::Click, password, Qt::Key_unknown, QString(letter), Qt::NoModifier);
            QCOMPARE(password->echoMode(), QLineEdit::Password);
            QCOMPARE(password->displayText(), QString(typed.size(), u'#'));
            if (leave == "Tamam")
                QTest::mouseClick(ok, Qt::LeftButton);
            else if (leave == "Enter")
                QTest::keyClick(password, Qt::Key_Return);
            else if (leave == "Vazgeç")
                QTest::mouseClick(cancel, Qt::LeftButton);
            else if (leave == "Escape")
                QTest::keyClick(password, Qt::Key_Escape);
            else
                dialog->close();
            // Left open, the watcher rejects it.
            stillOpen = dialog->isVisible();
        });
        const std::optional<QString> password = frm_sunucu_parolasi::ask("okul-sunucu:5432/kalvista");
        QCOMPARE(password.has_value(), answered);
        if (answered)
            QCOMPARE(*password, typed);
        QCOMPARE(stillOpen, typed.isEmpty());
    }
};

QTEST_MAIN(TestSunucuParolasi)
#include "tst_sunucu_parolasi.moc"
