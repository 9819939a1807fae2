#include "app/program.h"
#include "ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <memory>

// Qt's own windows speak the program's Turkish once the process is set up, while the program's
// message boxes keep the English captions and buttons they always had.
class TestQtTranslations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initialiseProcess(); }

    void qtOwnTextsAreTurkish() {
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList entries;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                entries << action->text().section('\t', 0, 0);
        QVERIFY2(entries.contains("&Geri al") && entries.contains("Tümünü Seç"),
                 qPrintable(entries.join(", ")));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QStringList labels;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            labels << label->text();
        QVERIFY2(!labels.contains("Look in:") && !labels.contains("File &name:"),
                 qPrintable(labels.join(", ")));
    }

    void messageBoxesKeepTheirEnglish() {
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen << box->windowTitle();
            for (const QAbstractButton* button : box->buttons())
                seen << button->text();
            box->button(QMessageBox::No)->click();
        });
        const MessageBox::Answer answer =
            MessageBox::show(MessageBox::Kind::Warning, "", "Silinsin mi?", MessageBox::Buttons::YesNoCancel,
                             MessageBox::Answer::Yes);
        QCOMPARE(answer, MessageBox::Answer::No);
        seen.sort();
        QCOMPARE(seen, (QStringList{"&No", "&Yes", "Cancel", "Warning"}));
    }
};

QTEST_MAIN(TestQtTranslations)
#include "tst_qt_translations.moc"
