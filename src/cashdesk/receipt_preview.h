#pragma once

#include <QStringList>
#include <QtGlobal>

class Dataset;
class QWidget;
class frm_DataMod;

// The letterhead's firm block from the firm row, for every cash desk printout.
QStringList firmBlock(Dataset& firm);

// Shows receipt `makbuzID` in the report engine's modal preview, as it was written, a cancelled one
// marked so; returns when the user has closed it.
void showReceipt(frm_DataMod& data, qint64 makbuzID, QWidget* parent);
