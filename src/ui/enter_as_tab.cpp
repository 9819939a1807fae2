#include "ui/enter_as_tab.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

EnterAsTab::EnterAsTab(QWidget* window, Shift shift) : QObject(window), m_window(window), m_shift(shift) {}

void EnterAsTab::install(QWidget* window, Shift shift) {
    qApp->installEventFilter(new EnterAsTab(window, shift));
}

bool EnterAsTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window || widget->property("multiline").toBool())
        return false;
    // A button that has the focus is pressed by Enter, as by the space bar.
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->click();
        return true;
    }
    const bool back = m_shift == Shift::MovesBack && (key->modifiers() & Qt::ShiftModifier);
    moveFocus(widget, !back);
    return true;
}

void EnterAsTab::moveFocus(QWidget* from, bool forward) {
    QWidget* window = from->window();
    QWidget* candidate = from;
    do {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        const bool reachable = candidate->isVisibleTo(window) && candidate->isEnabled() &&
                               (candidate->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
                               candidate->window() == window && !candidate->focusProxy();
        if (reachable) {
            candidate->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    } while (candidate != from);
}
