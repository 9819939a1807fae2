#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the database server's password when the server wants one and libpq found none (not in
// the connection string, the environment or ~/.pgpass). The password lives only in the dialog
// and the returned value: the program never writes it anywhere.
class frm_sunucu_parolasi : public QDialog {
    Q_OBJECT
public:
    // `server` names what the password is for, as the status bar shows it (host:port/database).
    explicit frm_sunucu_parolasi(const QString& server, QWidget* parent = nullptr);

    // The typed password on "Tamam"; nothing on "Vazgeç", Escape or the close box.
    static std::optional<QString> ask(const QString& server, QWidget* parent = nullptr);

public slots:
    void TamamButtonClick();
    void VazgecButtonClick();

private:
    void ParolaEditChange();

    QLabel* SunucuLabel = nullptr;
    QLineEdit* ParolaEdit = nullptr;
    QPushButton* TamamButton = nullptr;
    QPushButton* VazgecButton = nullptr;
};
