#pragma once

#include <QStringList>
#include <QtGlobal>

class QDate;
class QWidget;
class frm_DataMod;

// The cash desk's printouts, each filled from the database as it stands and shown in the report
// engine's modal preview; each returns when the user has closed the preview.

// Receipt `makbuzID` as it was written, a cancelled one marked so.
void showReceipt(frm_DataMod& data, qint64 makbuzID, QWidget* parent);
// The closing of `day`: the receipts counted, their sums and the day's cancellations.
void showDayClosing(frm_DataMod& data, const QDate& day, QWidget* parent);
// Trainee `kID`'s statement: every payment row and the totals the payments tab shows.
void showStatement(frm_DataMod& data, qint64 kID, QWidget* parent);
