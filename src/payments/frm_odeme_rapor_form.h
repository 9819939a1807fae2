#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;

// Asks which payments the payment report lists: paid state, an optional date range, the order.
class frm_odeme_rapor_form : public QDialog {
    Q_OBJECT
public:
    explicit frm_odeme_rapor_form(QWidget* parent = nullptr);

    bool confirmed() const { return m_confirmed; }
    // dd/mm/yyyy, set by "Tamam".
    QString startText() const { return m_start; }
    QString endText() const { return m_end; }
    int status() const;
    bool useDates() const;
    int order() const;

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_confirmed = false;
    QString m_start;
    QString m_end;
    QDateEdit* baslangic;
    QDateEdit* bitis;
    QCheckBox* chk1;
    QComboBox* odttur;
    QComboBox* cmbsirala;
    QPushButton* Button1;
    QPushButton* Button2;
};
