#include "cashdesk/frm_eposta_hatirlatma.h"

#include "app/forms.h"
#include "app/guard.h"
#include "cashdesk/mail_reminders.h"
#include "data/frm_DataMod.h"
#include "ui/message_box.h"

#include <QProgressDialog>

#include <atomic>

namespace {

const QString Caption = QStringLiteral("E-posta ile Hatırlat");

} // namespace

void remindByMail(Forms& forms, QWidget* parent, const std::vector<ReminderTarget>& targets) {
    Connection& connection = forms.DataMod->ado_conn;
    const MailSettings settings = readMailSettings(connection);
    if (!settings.canSend()) {
        MessageBox::warning(
            "Uyarı",
            "\nHatırlatma gönderebilmek için önce \"Ayarlar\" penceresinin \"E-posta\" sekmesinde "
            "okulunuzun posta sunucusunu ve gönderen adresini girin.",
            parent);
        return;
    }
    QProgressDialog progress("Hatırlatmalar gönderiliyor...", "Durdur", 0, int(targets.size()), parent);
    progress.setObjectName("eposta_hatirlatma");
    progress.setWindowTitle(Caption);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(0);
    std::atomic<bool> stop = false;
    guardedConnect(&progress, &QProgressDialog::canceled, &progress, [&] {
        stop = true;
        progress.setLabelText("Durduruluyor...");
    });
    progress.show();
    const auto send = [&](const MailMessage& message) {
        progress.setLabelText(QString("Gönderiliyor: %1").arg(message.toAddress));
        sendWhileEventsRun(settings, message, &stop);
    };
    const auto goOn = [&](int done) {
        progress.setValue(done);
        return !stop;
    };
    const ReminderCount count =
        sendReminders(connection, settings, readLetterhead(connection), targets, send, goOn);
    progress.hide();
    MessageBox::show(MessageBox::Kind::Information, Caption, closingLine(count), MessageBox::Buttons::Ok,
                     MessageBox::Answer::Ok, parent);
}
