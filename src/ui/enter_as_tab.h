#pragma once

#include <QObject>

class QWidget;

// Enter moves the focus to the next control of the window, as Tab does: the window sees the key
// before its controls. A control with the property "multiline" set keeps its Enter, and a push
// button that has the focus is pressed by it.
class EnterAsTab : public QObject {
    Q_OBJECT
public:
    enum class Shift { Ignored, MovesBack };
    static void install(QWidget* window, Shift shift = Shift::Ignored);

    // The next (or previous) control that Tab would reach.
    static void moveFocus(QWidget* from, bool forward);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EnterAsTab(QWidget* window, Shift shift);

    QWidget* m_window;
    Shift m_shift;
};
