#include "ControlExtensions.h"

#include "FloatComparison.h"
#include "VTRSlider.h"

#include <QAbstractSlider>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QVariant>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// Where a label keeps the rich text it was given, with the text it showed.
constexpr const char* kAttributedValueProperty = "vtrAttributedStringValue";
constexpr const char* kAttributedSourceProperty = "vtrAttributedStringSource";

// The leading number of the text (blanks first are skipped), 0 when there is
// none. Always with "." as decimal point, whatever the process locale.
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text.trimmed());
    if (!match.hasMatch())
        return 0.0;
    bool ok = false;
    const double value = QLocale::c().toDouble(match.captured(0), &ok);
    return ok ? value : 0.0;
}

template <typename T>
QString shortestText(T value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (value == 0)
        return QStringLiteral("0");
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return QString::number(double(value), 'g', 17);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

struct FormatRun {
    QString text;
    QTextCharFormat format;
};

QList<FormatRun> formatRuns(const QTextDocumentFragment& fragment)
{
    QTextDocument document;
    QTextCursor(&document).insertFragment(fragment);
    QList<FormatRun> runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            runs.append({QStringLiteral("\n"), QTextCharFormat()});
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment piece = it.fragment();
            if (!runs.isEmpty() && runs.last().format == piece.charFormat() && runs.last().text != QLatin1String("\n"))
                runs.last().text += piece.text();
            else
                runs.append({piece.text(), piece.charFormat()});
        }
    }
    return runs;
}

} // namespace

namespace vtr {

bool stringsEqual(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_D) == b.normalized(QString::NormalizationForm_D);
}

bool attributedStringsEqual(const QTextDocumentFragment& a, const QTextDocumentFragment& b)
{
    const QList<FormatRun> left = formatRuns(a);
    const QList<FormatRun> right = formatRuns(b);
    if (left.size() != right.size())
        return false;
    for (qsizetype i = 0; i < left.size(); ++i) {
        if (left.at(i).text != right.at(i).text || !(left.at(i).format == right.at(i).format))
            return false;
    }
    return true;
}

double doubleValue(const QLineEdit* field)
{
    return field ? leadingNumber(field->text()) : 0.0;
}

float floatValue(const QLineEdit* field)
{
    return float(doubleValue(field));
}

long long integerValue(const QLineEdit* field)
{
    const double value = doubleValue(field);
    if (!std::isfinite(value))
        return 0;
    return static_cast<long long>(std::trunc(std::clamp(value, -9.2e18, 9.2e18)));
}

QString plainNumberText(double value) { return shortestText(value); }
QString plainNumberText(float value) { return shortestText(value); }

void setDoubleValueOnlyNeeded(QLineEdit* field, double value)
{
    if (field && !FloatComparison::checkEquals(doubleValue(field), value))
        field->setText(plainNumberText(value));
}

void setFloatValueOnlyNeeded(QLineEdit* field, float value)
{
    if (field && !FloatComparison::checkEquals(floatValue(field), value))
        field->setText(plainNumberText(value));
}

void setIntegerValueOnlyNeeded(QLineEdit* field, long long value)
{
    if (field && integerValue(field) != value)
        field->setText(QString::number(value));
}

void setStringValueOnlyNeeded(QLineEdit* field, const QString& value)
{
    if (field && !stringsEqual(field->text(), value))
        field->setText(value);
}

void setStringValueOnlyNeeded(QLabel* label, const QString& value)
{
    if (label && !stringsEqual(label->text(), value))
        label->setText(value);
}

QTextDocumentFragment attributedStringValue(const QLabel* label)
{
    if (!label)
        return QTextDocumentFragment();
    const QVariant stored = label->property(kAttributedValueProperty);
    if (stored.isValid() && label->property(kAttributedSourceProperty).toString() == label->text())
        return stored.value<QTextDocumentFragment>();
    const bool rich = label->textFormat() == Qt::RichText
                      || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    return rich ? QTextDocumentFragment::fromHtml(label->text()) : QTextDocumentFragment::fromPlainText(label->text());
}

void setAttributedStringValueOnlyNeeded(QLabel* label, const QTextDocumentFragment& value)
{
    if (!label || attributedStringsEqual(attributedStringValue(label), value))
        return;
    const QString html = value.toHtml();
    label->setTextFormat(Qt::RichText);
    label->setText(html);
    label->setProperty(kAttributedValueProperty, QVariant::fromValue(value));
    label->setProperty(kAttributedSourceProperty, html);
}

void setDoubleValueOnlyNeeded(VTRSlider* slider, double value)
{
    if (slider && !FloatComparison::checkEquals(slider->doubleValue(), value))
        slider->setDoubleValue(value);
}

void setFloatValueOnlyNeeded(VTRSlider* slider, float value)
{
    if (slider && !FloatComparison::checkEquals(float(slider->doubleValue()), value))
        slider->setDoubleValue(value);
}

void setIntegerValueOnlyNeeded(QAbstractSlider* slider, int value)
{
    if (slider && slider->value() != value)
        slider->setValue(value);
}

} // namespace vtr
