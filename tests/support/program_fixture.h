#pragma once

#include "test_support.h"

#include "app/program.h"
#include "data/frm_DataMod.h"
#include "records/frm_main_form.h"

#include <QTest>

#include <functional>
#include <memory>

// The whole program over a database in a temporary folder, shown offscreen, its first show done.
class ProgramFixture {
public:
    // `fill` writes the starting rows through a connection of its own, before the program opens the file.
    explicit ProgramFixture(const std::function<void(Connection&)>& fill = {});
    // A second copy of the program, on the database of the folder given.
    explicit ProgramFixture(const QString& folder);
    ~ProgramFixture();

    frm_main_form& main() { return m_program->mainWindow(); }
    frm_DataMod& data() { return *m_program->forms().DataMod; }
    Forms& forms() { return m_program->forms(); }
    TempDatabase& database() { return m_database; }
    ModalWatcher& boxes() { return m_boxes; }

    template <typename T = QWidget> T* find(const QString& name) {
        T* found = main().findChild<T*>(name);
        if (!found)
            qFatal("no control named %s", qPrintable(name));
        return found;
    }
    // A count through a connection of the test's own, so it sees what the program wrote.
    // `jetWhere` is written as the program writes its conditions.
    int count(const QString& jetWhere, const QString& table = "tb_kursiyer");
    QString statusCount();
    // Puts a value into the named bound control as the user would, and lets it write its field.
    void enter(const QString& control, const QString& text);
    void press(const QString& button);
    // Types an amount into the next payment's edit and presses "Ödeme Ekle".
    void addPayment(const QString& amount);
    // The payment rows of a trainee as "amount/paid" texts, in the database's order.
    QStringList paymentsOf(int kID);
    // The five required entries of a trainee, the given candidate number among them.
    void fillRequired(const QString& candidateNo);
    bool inRecordMode();
    // Answers the installment dialog with a monthly plan of `count` installments, then presses
    // "Taksitlendir".
    void planInstallments(int count);

private:
    void start();

    TempDatabase m_database;
    ModalWatcher m_boxes;
    std::unique_ptr<Program> m_program;
};

// Starts the program's first show in a folder of the caller's and waits until it has run.
void showAndWaitForFirstShow(frm_main_form& main);
