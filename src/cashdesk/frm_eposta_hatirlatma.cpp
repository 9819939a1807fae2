#include "cashdesk/frm_eposta_hatirlatma.h"

void remindByMail(Forms&, QWidget*, const std::vector<ReminderTarget>&) {}
