#pragma once

#include <QDialog>

class QLabel;

// Name, version, picture and the developer's contact lines; any key or click closes it.
class frm_hknd : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* WebAddress = "https://www.kalvista.example";

    explicit frm_hknd(QWidget* parent = nullptr);

public slots:
    void Label2Click();
    void Label2MouseEnter(QLabel* line);
    void Label2MouseLeave(QLabel* line);
    void Panel1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLabel* Image2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
};
