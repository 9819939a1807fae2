#include "app/frm_sunucu_parolasi.h"

#include "app/guard.h"
#include "ui/masked_edit.h"
#include "ui/named_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frm_sunucu_parolasi::frm_sunucu_parolasi(const QString& server, QWidget* parent) : QDialog(parent) {
    setObjectName("sunucu_parolasi");
    setWindowTitle("Sunucu Parolası");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    // The server's name comes from the connection file: shown as it is, never read as markup.
    SunucuLabel = named(new QLabel(QString("%1 için parola:").arg(server), this), "SunucuLabel");
    SunucuLabel->setTextFormat(Qt::PlainText);
    ParolaEdit = named(new QLineEdit(this), "ParolaEdit");
    maskTyping(*ParolaEdit);
    SunucuLabel->setBuddy(ParolaEdit);
    // One field: Enter in it answers the dialog, so "Tamam" is the default button.
    TamamButton = named(new QPushButton("Tamam", this), "TamamButton");
    TamamButton->setDefault(true);
    VazgecButton = namedButton("VazgecButton", "Vazgeç", this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SunucuLabel);
    layout->addWidget(ParolaEdit);
    layout->addLayout(buttonRow({TamamButton, VazgecButton}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(ParolaEdit, TamamButton);
    setTabOrder(TamamButton, VazgecButton);
    guardedConnect(ParolaEdit, &QLineEdit::textChanged, this, &frm_sunucu_parolasi::ParolaEditChange);
    guardedConnect(TamamButton, &QPushButton::clicked, this, &frm_sunucu_parolasi::TamamButtonClick);
    guardedConnect(VazgecButton, &QPushButton::clicked, this, &frm_sunucu_parolasi::VazgecButtonClick);
    ParolaEditChange();
}

std::optional<QString> frm_sunucu_parolasi::ask(const QString& server, QWidget* parent) {
    frm_sunucu_parolasi dialog(server, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.ParolaEdit->text();
}

// libpq takes an empty password for none and the server accepts no empty one: "Tamam" would only
// bring the same question back.
void frm_sunucu_parolasi::ParolaEditChange() {
    TamamButton->setEnabled(!ParolaEdit->text().isEmpty());
}

void frm_sunucu_parolasi::TamamButtonClick() {
    accept();
}

void frm_sunucu_parolasi::VazgecButtonClick() {
    reject();
}
