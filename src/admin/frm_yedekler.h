#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;
struct Forms;

// The backups of the database: lists them, takes one now, restores one or any chosen file after
// showing what it holds, checks the open database against the program's rules, and moves a school
// working on its file to a server.
class frm_yedekler : public QDialog {
    Q_OBJECT
public:
    explicit frm_yedekler(Forms& forms, QWidget* parent = nullptr);

    // Reads the backup folder again into the list.
    void FillList();

public slots:
    void YedekAlClick();
    void GeriYukleClick();
    void DosyadanGeriYukleClick();
    void DenetleClick();
    void KlasoruAcClick();
    void SunucuyaTasiClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString databasePath() const;
    void restoreFrom(const QString& file);

    Forms& m_forms;
    QTableWidget* YedekListesi;
    QPushButton* YedekAl;
    QPushButton* GeriYukle;
    QPushButton* DosyadanGeriYukle;
    QPushButton* Denetle;
    QPushButton* KlasoruAc;
    QPushButton* SunucuyaTasi;
    QPushButton* Kapat;
};
