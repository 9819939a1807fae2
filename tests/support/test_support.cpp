#include "test_support.h"

#include "data/connection.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QDir>
#include <QLocale>

TempDatabase::TempDatabase() { createDatabase(path()); }

QString TempDatabase::folder() const { return QDir::toNativeSeparators(m_dir.path()) + QDir::separator(); }

QString TempDatabase::path() const { return m_dir.filePath("veriler.db"); }

void TempDatabase::open(Connection& connection) const {
    connection.setConnectionString(Connection::connectionText(folder()));
    connection.open();
}

ModalWatcher::ModalWatcher() {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
    m_timer.start();
}

void ModalWatcher::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButton(box->defaultButton()),
                     box->standardButtons()});
        QMessageBox::StandardButton choice = seen.last().defaultButton;
        if (!m_answers.empty()) {
            choice = m_answers.front();
            m_answers.pop_front();
        }
        if (QAbstractButton* button = box->button(choice ? choice : QMessageBox::Ok))
            button->click();
        else
            box->reject();
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        if (m_dialogActions.empty()) {
            dialog->reject();
            return;
        }
        DialogAction action = std::move(m_dialogActions.front());
        m_dialogActions.pop_front();
        action(dialog);
    }
}

void useProgramLocale() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }
