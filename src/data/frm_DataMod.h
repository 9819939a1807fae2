#pragma once

#include "data/backup.h"
#include "data/connection.h"
#include "data/data_source.h"
#include "data/dataset.h"
#include "export/export_facility.h"

#include <QObject>

#include <memory>

class ProgramSession;

// A trainee's paid and unpaid totals, as the database holds them; unknown after they could not be read.
struct PaymentTotals {
    double paid = 0;
    double unpaid = 0;
    bool known = true;
};

// Owns the one connection and every shared dataset for the life of the process.
class frm_DataMod : public QObject, private TransactionParticipant {
    Q_OBJECT
public:
    explicit frm_DataMod(QObject* parent = nullptr);
    ~frm_DataMod() override;

    Connection ado_conn{this};
    Dataset tkursiyer{ado_conn, "tkursiyer", this};
    Dataset todemeler{ado_conn, "todemeler", this};
    Dataset sql_1{ado_conn, "sql_1", this};
    Dataset sql_2{ado_conn, "sql_2", this};
    Dataset sql_hes{ado_conn, "sql_hes", this};
    Dataset sql_ral1{ado_conn, "sql_ral1", this};
    Dataset sql_odemeler_rap{ado_conn, "sql_odemeler_rap", this};
    Dataset tfirma{ado_conn, "tfirma", this};
    Dataset tarac{ado_conn, "tarac", this};
    Dataset tguzergah{ado_conn, "tguzergah", this};
    Dataset tuser{ado_conn, "tuser", this};
    // The receipt being printed and its lines; open only while its preview shows.
    Dataset sql_makbuz_bilgi{ado_conn, "sql_makbuz_bilgi", this};
    Dataset sql_makbuz{ado_conn, "sql_makbuz", this};
    // The cash desk's lists: the receipts of a period, the day's closing, the overdue installments,
    // a trainee's statement.
    Dataset sql_makbuzlar{ado_conn, "sql_makbuzlar", this};
    Dataset sql_gunsonu{ado_conn, "sql_gunsonu", this};
    Dataset sql_gunsonu_iptal{ado_conn, "sql_gunsonu_iptal", this};
    Dataset sql_geciken{ado_conn, "sql_geciken", this};
    Dataset sql_ekstre{ado_conn, "sql_ekstre", this};
    // The lesson plan's instructors and course hours (edited in the settings) and a trainee's lessons.
    Dataset tegitmen{ado_conn, "tegitmen", this};
    Dataset tders_hakki{ado_conn, "tders_hakki", this};
    Dataset sql_dersler{ado_conn, "sql_dersler", this};

    DataSource dkursiyer{tkursiyer, "dkursiyer", this};
    DataSource dodeme{todemeler, "dodeme", this};
    DataSource dfirma{tfirma, "dfirma", this};
    DataSource darac{tarac, "darac", this};
    DataSource dguzergah{tguzergah, "dguzergah", this};

    // Exports the trainee list; created with the data module and preset by it.
    ExportFacility EXPORTX{this};

    // Announces this copy of the program on the open database and clears the pending payments
    // that copies no longer running left behind; ends with the connection.
    void beginSession();
    void endSession();
    // The token of this copy's entry, stored with the payments it types for a trainee not yet saved.
    QString entryToken() const;
    // Deletes, in one go, the pending payments of every entry that no running copy can own.
    void clearAbandonedPayments();
    // Puts the database file `file` in the place of the open one (see Backup::restore) with every
    // dataset closed, then announces databaseReplaced, after a failure too: the program goes on
    // working on whichever file is in place. Throws what the restore threw.
    Backup::Contents restoreDatabase(const QString& file);

    // Only while the main window is shown do the payments follow the current trainee.
    void setPaymentsFollowTrainee(bool follow) { m_followTrainee = follow; }
    // The payment list follows the current trainee; an error ends the move that caused it.
    void tkursiyerAfterScroll();
    // Sums the current trainee's payments in the database, over all its rows.
    void updatePaymentTotals();
    void reloadPayments(const QString& sql);
    qint64 currentTraineeKey() const;
    // The windows that write lessons say whose, once the write is committed.
    void announceLessons(qint64 kID) { emit lessonsChanged(kID); }

signals:
    void paymentTotalsChanged(const PaymentTotals& totals);
    // Every dataset is closed: the windows that show them open them again, as at start-up.
    void databaseReplaced();
    // This program booked, changed, cancelled or deleted a lesson of trainee `kID`. Another desk's
    // writes come as the connection's changedElsewhere.
    void lessonsChanged(qint64 kID);

private:
    void presetExportOptions();
    double paymentTotal(bool paid, qint64 kID);
    void setTotals(const PaymentTotals& totals);
    void saveState() override { m_savedTotals = m_totals; }
    void restoreState() override { setTotals(m_savedTotals); }
    void dropSavedState() override {}

    std::unique_ptr<ProgramSession> m_session;
    bool m_followTrainee = false;
    PaymentTotals m_totals;
    PaymentTotals m_savedTotals;
};
