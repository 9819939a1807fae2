#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "test_support.h"
#include "ui/amount_edit.h"

#include <memory>

namespace {

const QColor EditTextColour(Qt::blue);
const QColor WindowTextColour(Qt::darkGreen);
const QString LimitWarning("\nTutar -1.000.000.000,00 ile 1.000.000.000,00 arasında olmalıdır.");

// Records the keys that reach the window after its controls have let them pass.
class KeyRecorder : public QObject {
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            keys << static_cast<QKeyEvent*>(event)->key();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestAmountEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsTheValueGroupedWithTwoDecimals_data();
    void showsTheValueGroupedWithTwoDecimals();
    void acceptsOnlyWhatAnAmountMayHold_data();
    void acceptsOnlyWhatAnAmountMayHold();
    void dropsACommaThatWouldLeaveThreeDecimals();
    void acceptsAMinusOnlyInFront();
    void erasesWithBackspace();
    void readsTheTextBackWhenTheFocusLeaves_data();
    void readsTheTextBackWhenTheFocusLeaves();
    void selectsTheWholeTextOnFocus();
    void coloursNegativeValuesRed_data();
    void coloursNegativeValuesRed();
    void keepsTheDisabledTextGrey();
    void signalsOnlyWhenTheValueChanges();
    void leavesEnterToTheWindow();

private:
    void focusEdit();
    void leaveEdit();

    std::unique_ptr<QWidget> m_window;
    AmountEdit* m_edit = nullptr;
    QLineEdit* m_next = nullptr;
};

void TestAmountEdit::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QPalette colours = QApplication::palette();
    colours.setColor(QPalette::Text, EditTextColour);
    colours.setColor(QPalette::WindowText, WindowTextColour);
    QApplication::setPalette(colours);
}

void TestAmountEdit::init() {
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_edit = new AmountEdit(m_window.get());
    m_next = new QLineEdit(m_window.get());
    layout->addWidget(m_edit);
    layout->addWidget(m_next);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    // Every test gives the amount edit the focus itself, so that focus-in is seen.
    m_next->setFocus();
}

void TestAmountEdit::cleanup() {
    m_window.reset();
}

void TestAmountEdit::focusEdit() {
    m_edit->setFocus();
    QVERIFY(m_edit->hasFocus());
}

void TestAmountEdit::leaveEdit() {
    m_next->setFocus();
    QVERIFY(!m_edit->hasFocus());
}

void TestAmountEdit::showsTheValueGroupedWithTwoDecimals_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << "0,00";
    QTest::newRow("thousands") << 1234.5 << "1.234,50";
    QTest::newRow("negative thousands") << -1234.5 << "-1.234,50";
    QTest::newRow("millions, third decimal rounded") << 1234567.891 << "1.234.567,89";
    QTest::newRow("below one") << 0.07 << "0,07";
    QTest::newRow("a total beyond what is typed") << 1e12 << "1.000.000.000.000,00";
}

void TestAmountEdit::showsTheValueGroupedWithTwoDecimals() {
    QFETCH(double, value);
    QFETCH(QString, text);

    m_edit->setValue(value);
    QCOMPARE(m_edit->text(), text);
    QCOMPARE(m_edit->value(), value);
    QVERIFY(m_edit->alignment() & Qt::AlignRight);
}

void TestAmountEdit::acceptsOnlyWhatAnAmountMayHold_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("digits") << "1234" << 1234.0 << "1234";
    QTest::newRow("two decimals") << "12,34" << 12.34 << "12,34";
    QTest::newRow("third decimal dropped") << "12,345" << 12.34 << "12,34";
    QTest::newRow("second comma dropped") << "1,2,3" << 1.23 << "1,23";
    QTest::newRow("letters and blanks dropped") << "a1 b2" << 12.0 << "12";
    QTest::newRow("point is not the separator") << "12.5" << 125.0 << "125";
    QTest::newRow("leading minus") << "-12,5" << -12.5 << "-12,5";
    QTest::newRow("minus after digits dropped") << "12-5" << 125.0 << "125";
    QTest::newRow("second minus dropped") << "--5" << -5.0 << "-5";
    QTest::newRow("parenthesis dropped") << "(5)" << 5.0 << "5";
    QTest::newRow("comma first") << ",5" << 0.5 << ",5";
    QTest::newRow("eleventh whole digit dropped") << "01234567891,5" << 123456789.5 << "0123456789,5";
}

void TestAmountEdit::acceptsOnlyWhatAnAmountMayHold() {
    QFETCH(QString, typed);
    QFETCH(double, value);
    QFETCH(QString, text);

    focusEdit();
    QTest::keyClicks(m_edit, typed);
    QCOMPARE(m_edit->text(), text);
    leaveEdit();
    QCOMPARE(m_edit->value(), value);
}

void TestAmountEdit::dropsACommaThatWouldLeaveThreeDecimals() {
    focusEdit();
    QTest::keyClicks(m_edit, "12345");
    m_edit->setCursorPosition(2);
    QTest::keyClick(m_edit, ',');
    QCOMPARE(m_edit->text(), QStringLiteral("12345"));
    m_edit->setCursorPosition(3);
    QTest::keyClick(m_edit, ',');
    QCOMPARE(m_edit->text(), QStringLiteral("123,45"));
}

void TestAmountEdit::acceptsAMinusOnlyInFront() {
    focusEdit();
    QTest::keyClicks(m_edit, "5");
    QTest::keyClick(m_edit, Qt::Key_Home);
    QTest::keyClick(m_edit, '-');
    QCOMPARE(m_edit->text(), QStringLiteral("-5"));
    QTest::keyClick(m_edit, Qt::Key_Home);
    QTest::keyClick(m_edit, '7');
    QCOMPARE(m_edit->text(), QStringLiteral("-5"));
}

void TestAmountEdit::erasesWithBackspace() {
    focusEdit();
    QTest::keyClicks(m_edit, "12,3");
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    QTest::keyClicks(m_edit, "45");
    QCOMPARE(m_edit->text(), QStringLiteral("12,45"));
}

void TestAmountEdit::readsTheTextBackWhenTheFocusLeaves_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("refused");

    QTest::newRow("empty is zero") << "" << 0.0 << "0,00" << false;
    QTest::newRow("grouped on show") << "1234,5" << 1234.5 << "1.234,50" << false;
    QTest::newRow("group separators ignored") << "1.234,56" << 1234.56 << "1.234,56" << false;
    QTest::newRow("minus") << "-12,5" << -12.5 << "-12,50" << false;
    QTest::newRow("parenthesis") << "(12,5)" << -12.5 << "-12,50" << false;
    QTest::newRow("minus anywhere") << "12-5" << -125.0 << "-125,00" << false;
    QTest::newRow("trailing comma") << "12," << 12.0 << "12,00" << false;
    QTest::newRow("leading comma") << ",5" << 0.5 << "0,50" << false;
    QTest::newRow("other characters ignored") << "8 TL" << 8.0 << "8,00" << false;
    QTest::newRow("letters only keep the value") << "abc" << 7.0 << "7,00" << false;
    QTest::newRow("minus only keeps the value") << "-" << 7.0 << "7,00" << false;
    QTest::newRow("two commas keep the value") << "1,2,3" << 7.0 << "7,00" << false;
    // Pasted, since typing stops at ten whole digits.
    QTest::newRow("just under the limit") << "999999999,99" << 999999999.99 << "999.999.999,99" << false;
    QTest::newRow("at the limit") << "1.000.000.000,00" << 7.0 << "7,00" << true;
    QTest::newRow("negative, at the limit") << "-1000000000" << 7.0 << "7,00" << true;
    QTest::newRow("twenty digits") << "99999999999999999999" << 7.0 << "7,00" << true;
    QTest::newRow("negative, over") << "(2000000000)" << 7.0 << "7,00" << true;
}

void TestAmountEdit::readsTheTextBackWhenTheFocusLeaves() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(bool, refused);

    ModalWatcher boxes;
    m_edit->setValue(7);
    focusEdit();
    m_edit->setText(text);
    leaveEdit();
    QCOMPARE(m_edit->value(), value);
    QCOMPARE(m_edit->text(), shown);
    QCOMPARE(boxes.seen.size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(boxes.seen[0].caption, QString("Uyarı"));
        QCOMPARE(boxes.seen[0].text, LimitWarning);
    }
}

void TestAmountEdit::selectsTheWholeTextOnFocus() {
    m_edit->setValue(1234.5);
    focusEdit();
    QCOMPARE(m_edit->selectedText(), QStringLiteral("1.234,50"));
}

void TestAmountEdit::coloursNegativeValuesRed_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<double>("value");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("editable, positive") << false << 5.0 << EditTextColour;
    QTest::newRow("editable, zero") << false << 0.0 << EditTextColour;
    QTest::newRow("editable, negative") << false << -5.0 << QColor(Qt::red);
    QTest::newRow("read-only, positive") << true << 5.0 << WindowTextColour;
    QTest::newRow("read-only, negative") << true << -5.0 << QColor(Qt::red);
}

void TestAmountEdit::coloursNegativeValuesRed() {
    QFETCH(bool, readOnly);
    QFETCH(double, value);
    QFETCH(QColor, colour);

    m_edit->setValue(-1);
    m_edit->setReadOnly(readOnly);
    m_edit->setValue(value);
    QCOMPARE(m_edit->palette().color(QPalette::Active, QPalette::Text), colour);
    QCOMPARE(m_edit->palette().color(QPalette::Inactive, QPalette::Text), colour);
}

void TestAmountEdit::keepsTheDisabledTextGrey() {
    const QColor disabled = m_edit->palette().color(QPalette::Disabled, QPalette::Text);
    m_edit->setValue(-5);
    QCOMPARE(m_edit->palette().color(QPalette::Disabled, QPalette::Text), disabled);
}

void TestAmountEdit::signalsOnlyWhenTheValueChanges() {
    QSignalSpy changes(m_edit, &AmountEdit::valueChanged);
    m_edit->setValue(5);
    m_edit->setValue(5);
    focusEdit();
    QTest::keyClicks(m_edit, "5");
    leaveEdit();
    focusEdit();
    QTest::keyClicks(m_edit, "6");
    leaveEdit();

    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(0).at(0).toDouble(), 5.0);
    QCOMPARE(changes.at(1).at(0).toDouble(), 6.0);
}

void TestAmountEdit::leavesEnterToTheWindow() {
    KeyRecorder recorder;
    m_window->installEventFilter(&recorder);
    focusEdit();
    QTest::keyClicks(m_edit, "12");
    QTest::keyClick(m_edit, Qt::Key_Return);
    QTest::keyClick(m_edit, Qt::Key_Enter);

    QCOMPARE(recorder.keys, (QList<int>{Qt::Key_Return, Qt::Key_Enter}));
    QCOMPARE(m_edit->text(), QStringLiteral("12"));
}

QTEST_MAIN(TestAmountEdit)
#include "tst_amount_edit.moc"
