#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class frm_DataMod;
struct Forms;

// Sets the program's one user name and password, and whether the start asks for them. The user
// row is open exactly while the dialog is shown; what is saved here is what the next start reads.
class frm_sifre_degistir : public QDialog {
    Q_OBJECT
public:
    explicit frm_sifre_degistir(Forms& forms, QWidget* parent = nullptr);

public slots:
    void FormShow();
    void FormClose();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    frm_DataMod& data() const;

    Forms& m_forms;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};
