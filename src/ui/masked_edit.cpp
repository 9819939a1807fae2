#include "ui/masked_edit.h"

#include <QLineEdit>

void maskTyping(QLineEdit& edit, QChar mask) {
    edit.setEchoMode(QLineEdit::Password);
    // Shown at once, never the last typed character for a moment.
    edit.setStyleSheet(
        QString("QLineEdit { lineedit-password-character: %1; lineedit-password-mask-delay: 0; }")
            .arg(mask.unicode()));
}
