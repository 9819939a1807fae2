#include "ui/whole_characters.h"

#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace {

// Where, from `from` on, a half character stands without its other half; -1 when none does.
qsizetype loneHalfAt(const QString& text, qsizetype from) {
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return i;
    }
    return -1;
}

// A validator is the one place that sees an edit's new text before any handler is told of it, so
// no handler, completer or undo step ever holds a half character. A change it corrects is one the
// edit can no longer undo, as with any validator that corrects the text.
class WholeCharacters : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& text, int& cursor) const override {
        for (qsizetype at = loneHalfAt(text, 0); at >= 0; at = loneHalfAt(text, at)) {
            text.remove(at, 1);
            if (cursor > at)
                --cursor;
        }
        return Acceptable;
    }
};

} // namespace

QString wholeCharacterPrefix(const QString& text, qsizetype length) {
    qsizetype cut = std::clamp<qsizetype>(length, 0, text.size());
    if (cut > 0 && cut < text.size() && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}

void keepWholeCharacters(QLineEdit& edit) {
    Q_ASSERT(!edit.validator());
    edit.setValidator(new WholeCharacters(&edit));
}

bool startsWithPrintable(const QString& typed) {
    return !typed.isEmpty() && QChar::isPrint(typed.toUcs4().front());
}
