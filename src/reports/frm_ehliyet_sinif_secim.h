#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

// Asks for the licence class and the order of the licence-class report. Every opening starts from
// the first class and the first order.
class frm_ehliyet_sinif_secim : public QDialog {
    Q_OBJECT
public:
    explicit frm_ehliyet_sinif_secim(QWidget* parent = nullptr);

    QString licenceClass() const;
    int order() const;

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QComboBox* cb1;
    QComboBox* cb2;
    QPushButton* Button1;
    QPushButton* Button2;
};
