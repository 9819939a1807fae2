#pragma once

#include <QDialog>
#include <QString>

class Dataset;
class QLabel;
class QLineEdit;
class QPushButton;

// The start-up login: the one user's name and password, three compared tries.
class frm_sifre_girisi : public QDialog {
    Q_OBJECT
public:
    explicit frm_sifre_girisi(QWidget* parent = nullptr);

    // With the user table open on its first row: true when the start-up may go on, either
    // because the stored user asks for no login or because the login succeeded.
    bool startUpDecision(Dataset& tuser);

    QString StoredUserName;
    QString StoredPassword;
    int TryCount = 0;
    bool LoginOk = false;

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Label5 = nullptr;
};
