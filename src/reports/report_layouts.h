#pragma once

#include "report/report_model.h"

#include <QStringList>
#include <QVariant>

#include <functional>

// The three printed layouts. The texts a command fills in (the firm block, the trainee block) are
// named items of the definition; the status boxes ask the given function for each detail line.
namespace Layouts {

using StatusText = std::function<QString(int row)>;

Report::Definition rap_1();
Report::Definition rap_2(StatusText QRLabel34Print);
Report::Definition qr3(StatusText QRLabel27Print);

// "Ödendi" for a paid flag that is true; false and null are unpaid.
QString paymentStatus(const QVariant& odendi);

} // namespace Layouts
