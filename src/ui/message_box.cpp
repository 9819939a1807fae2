#include "ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace MessageBox {
namespace {

QMessageBox::Icon iconOf(Kind kind) {
    switch (kind) {
    case Kind::Warning:
        return QMessageBox::Warning;
    case Kind::Error:
        return QMessageBox::Critical;
    case Kind::Information:
        return QMessageBox::Information;
    case Kind::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString standardCaption(Kind kind) {
    switch (kind) {
    case Kind::Warning:
        return "Warning";
    case Kind::Error:
        return "Error";
    case Kind::Information:
        return "Information";
    case Kind::Question:
        return "Confirm";
    }
    return {};
}

QMessageBox::StandardButton buttonOf(Answer answer) {
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButtons buttonsOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer answerOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

} // namespace

Answer show(Kind kind, const QString& caption, const QString& text, Buttons buttons, Answer defaultAnswer,
            QWidget* parent) {
    QMessageBox box(iconOf(kind), caption.isEmpty() ? standardCaption(kind) : caption, text,
                    buttonsOf(buttons), parent ? parent : QApplication::activeWindow());
    // Qt's translations speak Turkish in its own dialogs; the boxes keep their standard English buttons.
    for (const auto& [button, english] :
         {std::pair{QMessageBox::Ok, "OK"}, std::pair{QMessageBox::Yes, "&Yes"},
          std::pair{QMessageBox::No, "&No"}, std::pair{QMessageBox::Cancel, "Cancel"}})
        if (QAbstractButton* shown = box.button(button))
            shown->setText(english);
    box.setDefaultButton(buttonOf(defaultAnswer));
    if (buttons == Buttons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    return answerOf(box.exec());
}

} // namespace MessageBox
