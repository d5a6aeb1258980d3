#pragma once

#include <QString>
#include <QTextDocumentFragment>

class QAbstractSlider;
class QLabel;
class QLineEdit;
class VTRSlider;

// "OnlyNeeded" setters of controls: each reads the control's value, compares
// it with the new one and writes only when they differ, so an unchanged
// control is neither redrawn nor sends change signals. Floating values count
// as equal within 1e-5, texts when they are canonically equivalent Unicode,
// rich texts when characters and formats agree. A null control is ignored.
//
// A text field's double, float and integer values are its text read as a
// number (the leading number, 0 when there is none) and written as the plain
// shortest number text ("1", "2.5").
namespace vtr {

void setDoubleValueOnlyNeeded(QLineEdit* field, double value);
void setFloatValueOnlyNeeded(QLineEdit* field, float value);
void setIntegerValueOnlyNeeded(QLineEdit* field, long long value);
void setStringValueOnlyNeeded(QLineEdit* field, const QString& value);

void setStringValueOnlyNeeded(QLabel* label, const QString& value);
// Shows the rich text; the label reads it back exactly as it was given.
void setAttributedStringValueOnlyNeeded(QLabel* label, const QTextDocumentFragment& value);
// The label's text as rich text (plain text when it shows plain text).
QTextDocumentFragment attributedStringValue(const QLabel* label);

void setDoubleValueOnlyNeeded(VTRSlider* slider, double value);
void setFloatValueOnlyNeeded(VTRSlider* slider, float value);
void setIntegerValueOnlyNeeded(QAbstractSlider* slider, int value);

// Equal characters with equal character formats throughout.
bool attributedStringsEqual(const QTextDocumentFragment& a, const QTextDocumentFragment& b);
// Canonically equivalent Unicode texts count as equal.
bool stringsEqual(const QString& a, const QString& b);

// The value reads and writes of a text field, as the setters above use them.
double doubleValue(const QLineEdit* field);
float floatValue(const QLineEdit* field);
long long integerValue(const QLineEdit* field);
QString plainNumberText(double value);
QString plainNumberText(float value);

} // namespace vtr
