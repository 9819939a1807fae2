#include "data/turkish_text.h"

#include <QCollator>
#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

// The quick comparison must answer exactly as the Turkish collator does, or sorting and "="
// would disagree with each other.
class TestTurkishText : public QObject {
    Q_OBJECT

    static int sign(int n) { return (n > 0) - (n < 0); }

private slots:
    void compare_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("dotted capital İ is i") << "ismail"
                                               << "İSMAİL" << 0;
        QTest::newRow("dotless I is ı") << "ılık"
                                        << "ILIK" << 0;
        QTest::newRow("IŞIK and ışık") << "IŞIK"
                                       << "ışık" << 0;
        QTest::newRow("I is not i") << "Ilgın"
                                    << "ilgın" << -1;
        QTest::newRow("C before Ç") << "Cengiz"
                                    << "Çelik" << -1;
        QTest::newRow("Ç before D") << "Çelik"
                                    << "Demir" << -1;
        QTest::newRow("S before Ş") << "Sarı"
                                    << "Şahin" << -1;
        QTest::newRow("Ş before T") << "Şule"
                                    << "Tuna" << -1;
        QTest::newRow("G before Ğ") << "gaz"
                                    << "ğaz" << -1;
        QTest::newRow("O before Ö") << "ozan"
                                    << "öz" << -1;
        QTest::newRow("U before Ü") << "uz"
                                    << "üz" << -1;
        QTest::newRow("prefix first") << "Ali"
                                      << "Alican" << -1;
        QTest::newRow("digits before letters") << "9"
                                               << "a" << -1;
        QTest::newRow("accents beyond the quick table") << "Âli"
                                                        << "Ali" << 1;
        QTest::newRow("empty") << ""
                               << "a" << -1;
        QTest::newRow("İ written as I and its dot") << QString::fromUtf8("I\u0307S-7") << "is-7" << 0;
    }
    void compare() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(sign(TurkishText::compare(a, b)), expected);
        QCOMPARE(sign(TurkishText::compare(b, a)), -expected);
        // Texts that compare equal share one lock key, and only they do.
        QCOMPARE(TurkishText::folded(a) == TurkishText::folded(b), expected == 0);
    }

    void agreesWithCollator() {
        QCollator collator(QLocale(QLocale::Turkish, QLocale::Turkey));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const QString alphabet = QString::fromUtf8("aAbcCçÇgğĞıIiİoöÖsşŞuüÜzZ -.09'âé");
        QRandomGenerator random(7);
        const auto word = [&] {
            QString w;
            for (int i = int(random.bounded(6)); i >= 0; --i)
                w += alphabet[int(random.bounded(int(alphabet.size())))];
            return w;
        };
        for (int i = 0; i < 20000; ++i) {
            const QString a = word();
            const QString b = word();
            QVERIFY2(sign(TurkishText::compare(a, b)) == sign(collator.compare(a, b)),
                     qPrintable(a + " ~ " + b));
        }
    }

    void like_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("begins, Turkish case") << "i%"
                                              << "İSMAİL" << true;
        QTest::newRow("I is not i") << "i%"
                                    << "Ilgın" << false;
        QTest::newRow("ı matches I") << "ı%"
                                     << "IŞIK" << true;
        QTest::newRow("ends") << "%şık"
                              << "IŞIK" << true;
        QTest::newRow("contains") << "%EL%"
                                  << "Çelik" << true;
        QTest::newRow("exact without wildcard") << "ali"
                                                << "ALİ" << true;
        QTest::newRow("longer text") << "ali"
                                     << "alim" << false;
        QTest::newRow("one character") << "a_i"
                                       << "AlI" << false;
        QTest::newRow("one character, dotless") << "a_ı"
                                                << "AlI" << true;
        QTest::newRow("backtracking") << "%a%b%c"
                                      << "xaxbxbxc" << true;
        QTest::newRow("backtracking fails") << "%a%b%c"
                                            << "xaxcxb" << false;
        QTest::newRow("empty pattern") << ""
                                       << "" << true;
        QTest::newRow("only percent") << "%"
                                      << "" << true;
        QTest::newRow("blank counts") << " "
                                      << " " << true;
    }
    void like() {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QCOMPARE(TurkishText::like(pattern, text), matches);
    }

    void likeEscape() {
        QVERIFY(TurkishText::like("100!%", "100%", '!'));
        QVERIFY(!TurkishText::like("100!%", "1000", '!'));
    }
};

QTEST_GUILESS_MAIN(TestTurkishText)
#include "tst_turkish_text.moc"
