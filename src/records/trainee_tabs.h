#pragma once

class DataSource;
class QTabWidget;

// Lays out the record panel's first seven pages (personal, identity card, home, work, course,
// exams, certificate), every control bound to `trainees`. The pages must already be there,
// empty and without layout. The exam tab's "Girmedi" buttons (btn1x..btn5x) and the vehicle,
// plate and route lists (DBComboBox11..13, left empty) are left for the main window to connect
// and fill.
void buildTraineeTabs(QTabWidget& pages, DataSource& trainees);
