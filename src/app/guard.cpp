#include "app/guard.h"

#include "data/database_error.h"
#include "ui/message_box.h"

namespace Guard {

QString defaultErrorText(const QString& message) {
    return message.endsWith('.') ? message : message + '.';
}

void showDefaultError(const QString& message) {
    MessageBox::show(MessageBox::Kind::Error, ApplicationTitle, defaultErrorText(message));
}

void showCurrentException() {
    try {
        throw;
    } catch (const DatabaseError& e) {
        showDefaultError(e.message());
    } catch (const std::exception& e) {
        showDefaultError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showDefaultError("Beklenmeyen bir hata oluştu");
    }
}

} // namespace Guard
