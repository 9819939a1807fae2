#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

// A mail to the developer-support mailbox with files attached, sent while the user waits. The
// window lives as long as the program, so what was typed stays between openings.
class frm_mail_yolla : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* SupportMailbox = "destek@kalvista.example";
    static constexpr const char* SupportServer = "mail.kalvista.example";

    explicit frm_mail_yolla(QWidget* parent = nullptr, QString host = SupportServer, int port = 25);
    QString fileFilter() const { return m_filter; }

public slots:
    void FormShow();
    void Button1Click();
    bool CheckConnection();
    void Button4Click();
    void Button5Click();
    void TmnTemizle1Click();
    void ListBox1DblClick();
    void SpeedButton1Click();
    void SpeedButton4Click();
    void adinizEnter(QWidget* edit);
    void adinizExit(QWidget* edit);
    void ListBox1Enter();
    void ListBox1Exit();
    void mesajEnter();
    void mesajExit();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void status(const QString& text);

    QString m_host;
    int m_port;
    QString m_filter;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QList<QLabel*> m_colons;
    QLineEdit* adiniz = nullptr;
    QLineEdit* mailiniz = nullptr;
    QLineEdit* Subjectx = nullptr;
    QPlainTextEdit* mesaj = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* SpeedButton4 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* mnEkle1 = nullptr;
    QAction* mnCikart1 = nullptr;
    QAction* TmnTemizle1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
};
