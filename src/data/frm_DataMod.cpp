#include "data/frm_DataMod.h"

#include "data/backup.h"
#include "data/program_session.h"
#include "data/statements.h"
#include "data/transaction.h"

#include <QGuiApplication>
#include <QPalette>

frm_DataMod::frm_DataMod(QObject* parent) : QObject(parent) {
    setObjectName("DataMod");
    ado_conn.setObjectName("ado_conn");
    tkursiyer.setSql("select * from tb_kursiyer\n" + Sql::allTrainees() + "\norder by kID");
    todemeler.setSql(Sql::noPayments());
    sql_1.setSql("select count(*) as kaysay from tb_kursiyer");
    sql_hes.setSql("select sum(miktar) as TMiktar from tb_odeme where kID<0");
    sql_ral1.setSql("select * from tb_kursiyer order by kID");
    sql_odemeler_rap.setSql("select * from Query_Odemeler");
    tfirma.setSql("select * from tb_firma");
    tarac.setSql("select * from tb_arac");
    tguzergah.setSql("select * from tb_guz");
    tuser.setSql("select * from kullanicilar");
    tegitmen.setSql("select * from tb_egitmen order by adi, soyadi, egitmenID");
    tders_hakki.setSql("select * from tb_ders_hakki order by hakID");
    tkursiyer.setScrollHandler([this] { tkursiyerAfterScroll(); });
    ado_conn.addParticipant(this);
    // The server gave up the session's lock with the lost connection; the pending entry keeps its token.
    connect(&ado_conn, &Connection::reconnected, this, [this] {
        if (m_session)
            m_session->holdToken();
    });
    EXPORTX.setObjectName("EXPORTX");
    presetExportOptions();
}

// The options the program sets on the export; every other one keeps the facility's default.
void frm_DataMod::presetExportOptions() {
    ExportSettings& s = EXPORTX.settings();
    s.fileName = fileInDocuments("kursiyerler");
    s.sql.tableName = "tb_kursiyer";
    s.csv.separator = ";";
    s.rowNameFields = {"adayno", "adi", "soyadi"};
    s.pdf.margins = QMarginsF(1.17, 0.78, 0.57, 0.78);
    s.excel.pageFooter = "Page &P of &N";
    s.excel.sheetTitle = "Sheet 1";
    s.excel.boldCaptions = true;
    const QColor windowText = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                  ? QGuiApplication::palette().color(QPalette::WindowText)
                                  : QColor(Qt::black);
    s.word.defaultFont = {"MS Sans Serif", 8, false, false, windowText};
    s.word.rowHeaderFont = s.word.defaultFont;
    s.html.textFont = {"Arial", 8, false, false, Qt::white};
    // White text needs a dark table to be read.
    s.html.background = QColor("#1e3a5f");
    s.html.captionBackground = QColor("#0f2540");
    s.html.oddRowBackground = QColor("#2b4c74");
    s.html.evenRowBackground = QColor("#1e3a5f");
    s.html.borderColor = QColor("#7a9cc6");
}

frm_DataMod::~frm_DataMod() {
    ado_conn.removeParticipant(this);
}

void frm_DataMod::beginSession() {
    m_session = std::make_unique<ProgramSession>(ado_conn);
    // Another copy at work may be writing under those temporary names right now.
    if (!m_session->othersRunning())
        Backup::removeLeftovers(ado_conn.databasePath());
    clearAbandonedPayments();
}

void frm_DataMod::endSession() {
    m_session.reset();
}

QString frm_DataMod::entryToken() const {
    return m_session ? m_session->token() : QString();
}

void frm_DataMod::clearAbandonedPayments() {
    QStringList abandoned;
    bool unowned = false;
    Transaction clearing(ado_conn);
    sql_1.close();
    sql_1.setSql(Sql::pendingEntries());
    sql_1.open();
    for (int row = 0; row < sql_1.recordCount(); ++row) {
        const QVariant entry = sql_1.valueAt(row, 0);
        if (entry.isNull())
            unowned = true;
        else if (!m_session || !m_session->isRunning(entry.toString()))
            abandoned << entry.toString();
    }
    sql_1.close();
    if (unowned) {
        sql_2.setSql(Sql::deleteUnownedPendingPayments());
        sql_2.execute();
    }
    for (const QString& entry : abandoned) {
        sql_2.setSql(Sql::deletePendingPayments(entry));
        sql_2.execute();
    }
    clearing.commit();
}

Backup::Contents frm_DataMod::restoreDatabase(const QString& file) {
    for (Dataset* set : {&tkursiyer, &todemeler, &sql_1, &sql_2, &sql_hes, &sql_ral1, &sql_odemeler_rap,
                         &tfirma, &tarac, &tguzergah, &tuser, &tegitmen, &tders_hakki, &sql_dersler})
        set->close();
    endSession();
    std::exception_ptr failure;
    Backup::Contents contents;
    try {
        contents = Backup::restore(ado_conn, file, QDateTime::currentDateTime());
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        if (ado_conn.isOpen())
            beginSession();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    emit databaseReplaced();
    if (failure)
        std::rethrow_exception(failure);
    return contents;
}

qint64 frm_DataMod::currentTraineeKey() const {
    const int key = tkursiyer.fieldIndex("kID");
    return key < 0 ? 0 : tkursiyer.value(key).toLongLong();
}

void frm_DataMod::tkursiyerAfterScroll() {
    if (!m_followTrainee)
        return;
    try {
        reloadPayments(Sql::paymentsOf(currentTraineeKey(), entryToken()));
    } catch (...) {
        setTotals({0, 0, false});
        throw;
    }
    updatePaymentTotals();
}

void frm_DataMod::reloadPayments(const QString& sql) {
    todemeler.close();
    todemeler.setSql(sql);
    todemeler.open();
}

double frm_DataMod::paymentTotal(bool paid, qint64 kID) {
    sql_hes.close();
    sql_hes.setSql(Sql::paymentTotal(paid, kID, entryToken()));
    sql_hes.open();
    const double total = sql_hes.value("TMiktar").toDouble();
    sql_hes.close();
    return total;
}

// Figures that could not be read are shown as unknown, never as those of the trainee before.
void frm_DataMod::updatePaymentTotals() {
    try {
        const qint64 kID = currentTraineeKey();
        const double unpaid = paymentTotal(false, kID);
        setTotals({paymentTotal(true, kID), unpaid, true});
    } catch (...) {
        setTotals({0, 0, false});
        throw;
    }
}

void frm_DataMod::setTotals(const PaymentTotals& totals) {
    m_totals = totals;
    emit paymentTotalsChanged(m_totals);
}
