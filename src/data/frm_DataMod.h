#pragma once

#include "data/connection.h"
#include "data/data_source.h"
#include "data/dataset.h"

#include <QObject>

struct Forms;

// Owns the one connection and every shared dataset for the life of the process.
class frm_DataMod : public QObject {
    Q_OBJECT
public:
    explicit frm_DataMod(Forms& forms, QObject* parent = nullptr);

    // Payments of the given trainee, in the database's own order; kID 0 means the trainee being entered.
    static QString paymentsOf(qint64 kID);
    static QString noPayments() { return "select * from tb_odeme where kID<0"; }

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

    DataSource dkursiyer{tkursiyer, "dkursiyer", this};
    DataSource dodeme{todemeler, "dodeme", this};
    DataSource dfirma{tfirma, "dfirma", this};
    DataSource darac{tarac, "darac", this};
    DataSource dguzergah{tguzergah, "dguzergah", this};

public slots:
    // The payment list follows the current trainee.
    void tkursiyerAfterScroll();

private:
    Forms& m_forms;
};
