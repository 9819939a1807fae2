#pragma once

#include "cashdesk/reminders.h"

#include <vector>

class QWidget;
struct Forms;

// Sends one reminder mail to each target with an address through the school's mail server, with
// progress and "Durdur", records every attempt and ends with the closing line.
void remindByMail(Forms& forms, QWidget* parent, const std::vector<ReminderTarget>& targets);
