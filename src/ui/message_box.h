#pragma once

#include <QString>

class QWidget;

// Every message the program shows: a kind, a caption (the kind's standard English caption when
// empty), a text, the buttons and the default one.
namespace MessageBox {

enum class Kind { Warning, Error, Information, Question };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

Answer show(Kind kind, const QString& caption, const QString& text, Buttons buttons = Buttons::Ok,
            Answer defaultAnswer = Answer::Ok, QWidget* parent = nullptr);

inline void warning(const QString& caption, const QString& text, QWidget* parent = nullptr) {
    show(Kind::Warning, caption, text, Buttons::Ok, Answer::Ok, parent);
}

} // namespace MessageBox
