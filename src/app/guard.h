#pragma once

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <type_traits>

// The one place where an error raised inside a handler ends: the handler stops, the default
// error box shows the message, and the program goes on with the next event.
namespace Guard {

inline constexpr const char* ApplicationTitle = "Oltravi";

QString defaultErrorText(const QString& message);
void showDefaultError(const QString& message);
void showCurrentException();

template <typename F> bool run(F&& handler) {
    try {
        std::invoke(std::forward<F>(handler));
        return true;
    } catch (...) {
        showCurrentException();
        return false;
    }
}

// Calls the slot with all the signal's arguments, or with none when it takes none. A function of its
// own: inside a lambda nested in guardedConnect's generic one, Clang 14 takes the arguments for none.
template <typename Receiver, typename Slot, typename... Args>
void callSlot(Receiver* receiver, const Slot& slot, Args&&... args) {
    if constexpr (std::is_member_function_pointer_v<Slot>) {
        if constexpr (std::is_invocable_v<Slot, Receiver*, Args...>)
            std::invoke(slot, receiver, std::forward<Args>(args)...);
        else
            std::invoke(slot, receiver);
    } else if constexpr (std::is_invocable_v<Slot, Args...>) {
        std::invoke(slot, std::forward<Args>(args)...);
    } else {
        std::invoke(slot);
    }
}

} // namespace Guard

// Like QObject::connect, with the slot run inside the guard. The slot takes every argument the
// signal gives, or none.
template <typename Sender, typename Signal, typename Receiver, typename Slot>
QMetaObject::Connection guardedConnect(Sender* sender, Signal signal, Receiver* receiver, Slot slot) {
    return QObject::connect(sender, signal, receiver, [receiver, slot](auto&&... args) {
        Guard::run([&] { Guard::callSlot(receiver, slot, args...); });
    });
}
