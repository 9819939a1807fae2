#pragma once

class QDateEdit;
class QWidget;

// A named date picker showing today, typed as dd.MM.yyyy, with its calendar dropping down.
QDateEdit* datePicker(QWidget* parent, const char* name);
