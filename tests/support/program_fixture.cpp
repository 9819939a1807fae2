#include "program_fixture.h"

#include "app/program_folder.h"
#include "data/connection.h"

#include <QLabel>

#include <sqlite3.h>

ProgramFixture::ProgramFixture(const std::function<void(Connection&)>& fill) {
    if (fill) {
        Connection connection;
        m_database.open(connection);
        fill(connection);
    }
    ProgramFolder = m_database.folder();
    m_program = std::make_unique<Program>();
    showAndWaitForFirstShow(main());
}

ProgramFixture::~ProgramFixture() {
    if (main().isVisible())
        main().close();
}

void showAndWaitForFirstShow(frm_main_form& main) {
    main.show();
    QTest::qWait(0);
    QTRY_VERIFY_WITH_TIMEOUT(main.ListReady || !main.isVisible(), 5000);
}

int ProgramFixture::count(const QString& sqliteWhere, const QString& table) {
    Connection connection;
    m_database.open(connection);
    Statement s(connection.handle(), QString("SELECT count(*) FROM %1 WHERE %2").arg(table, sqliteWhere));
    s.step();
    return sqlite3_column_int(s.handle(), 0);
}

QString ProgramFixture::statusCount() { return find<QLabel>("StatusPanel1")->text(); }
