#pragma once

#include <QDialog>

class DataGrid;
class DataSource;
class QDateEdit;
class QPushButton;
class frm_makbuz_iptal;
struct Forms;

// The receipts of a period: reprinted or cancelled, never deleted.
class frm_makbuzlar : public QDialog {
    Q_OBJECT
public:
    explicit frm_makbuzlar(Forms& forms, QWidget* parent = nullptr);

    // Fills the window afresh and shows it until it is closed; true when a receipt was cancelled
    // meanwhile, so that the ledger showing its trainee is read again.
    bool start();

public slots:
    void TarihChange();
    void YazdirButtonClick();
    void IptalButtonClick();

private:
    void reloadKeeping(qint64 makbuzID);
    qint64 selectedReceipt() const;
    void enableButtons();

    Forms& m_forms;
    bool m_cancelled = false;
    DataSource* m_receipts;
    frm_makbuz_iptal* m_cancelDialog;
    QDateEdit* BaslangicTarihi;
    QDateEdit* BitisTarihi;
    DataGrid* MakbuzListesi;
    QPushButton* YazdirButton;
    QPushButton* IptalButton;
    QPushButton* KapatButton;
};
