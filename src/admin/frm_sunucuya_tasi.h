#pragma once

#include "data/server_move.h"

#include <QDialog>

class Connection;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// Moves the school from `veriler.db` to a PostgreSQL server: tries the connection the user typed,
// then copies every row there and names the server in `veriler.baglanti`, which the program reads
// when it starts again. The file stays as it was.
class frm_sunucuya_tasi : public QDialog {
    Q_OBJECT
public:
    frm_sunucuya_tasi(Connection& file, const QString& programFolder, QWidget* parent = nullptr);

public slots:
    void DeneButtonClick();
    void TasiButtonClick();
    // Stops the move at the next batch of rows: the server's transaction is rolled back whole.
    void DurdurButtonClick();
    // Escape and the close box wait while rows are going over: the move finishes or fails whole.
    void reject() override;

private:
    // Runs `work` on the typed server, asking for the password once if the server wants one that
    // libpq does not have. False when the user gave none.
    template <typename Work> bool onServer(Work work);
    bool showProgress(qint64 done, qint64 total);
    void setWorking(bool working);

    Connection& m_file;
    QString m_programFolder;
    // Asked for in this dialog, kept only while it is open.
    std::optional<QString> m_password;
    bool m_working = false;
    bool m_stopAsked = false;
    QLineEdit* BaglantiEdit;
    QLabel* DurumLabel;
    QProgressBar* Progress;
    QPushButton* DeneButton;
    QPushButton* TasiButton;
    QPushButton* DurdurButton;
    QPushButton* KapatButton;
};
