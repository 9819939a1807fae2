#include "records/frm_main_form.h"

#include "admin/frm_yedekler.h"
#include "app/forms.h"
#include "data/backup.h"
#include "data/database_error.h"
#include "data/frm_DataMod.h"
#include "ui/message_box.h"

#include <QDate>
#include <QDir>

void frm_main_form::Btn7Click() {
    m_forms.yedekler->exec();
}

// Closing never waits on a question and never fails for the backup: a copy that cannot be written
// (a full disk, a folder without permission) is reported once and the program ends all the same.
void frm_main_form::takeClosingBackup() {
    Connection& connection = data().ado_conn;
    QString reason;
    try {
        Backup::takeDailyCopy(connection, QDate::currentDate());
        return;
    } catch (const DatabaseError& e) {
        reason = e.message();
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    }
    MessageBox::warning(
        "Uyarı",
        QString("Veritabanının günlük yedeği alınamadı.\n\nKlasör: %1\nNeden: %2")
            .arg(QDir::toNativeSeparators(Backup::folderOf(connection.databasePath())), reason),
        this);
}
