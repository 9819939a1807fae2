#pragma once

#include <QChar>

class QLineEdit;

// Shows every typed character of a secret as `mask` instead of the style's own dot.
void maskTyping(QLineEdit& edit, QChar mask = u'#');
