#include "ui/masked_edit.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace {

class MaskStyle : public QProxyStyle {
public:
    MaskStyle(QChar mask, QObject* owner) : m_mask(mask) { setParent(owner); }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return m_mask.unicode();
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    QChar m_mask;
};

} // namespace

void maskTyping(QLineEdit& edit, QChar mask) {
    // The edit does not own its style; the style goes with the edit.
    edit.setStyle(new MaskStyle(mask, &edit));
    edit.setEchoMode(QLineEdit::Password);
}
