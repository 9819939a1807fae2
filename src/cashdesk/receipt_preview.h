#pragma once

#include <QtGlobal>

class QWidget;
class frm_DataMod;

// Shows receipt `makbuzID` in the report engine's modal preview, as it was written, a cancelled one
// marked so; returns when the user has closed it.
void showReceipt(frm_DataMod& data, qint64 makbuzID, QWidget* parent);
