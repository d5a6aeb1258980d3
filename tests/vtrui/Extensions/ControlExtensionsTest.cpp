#include "ButtonExtensions.h"
#include "ControlExtensions.h"
#include "SliderExtensions.h"
#include "VTRSlider.h"
#include "ViewExtensions.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

// Counts the writes into a line edit (every setText, even of an equal text,
// moves the cursor to the end).
struct FieldWrites {
    explicit FieldWrites(QLineEdit& field)
        : field(field)
    {
        field.setCursorPosition(0);
    }
    bool written() const { return field.cursorPosition() != 0 || field.text().isEmpty(); }
    QLineEdit& field;
};

TEST(ControlExtensions, DoubleAndFloatValuesAreWrittenOnlyWhenTheyDifferBeyondTolerance)
{
    QLineEdit field(QStringLiteral("5"));
    {
        FieldWrites writes(field);
        vtr::setDoubleValueOnlyNeeded(&field, 5.000001);
        EXPECT_FALSE(writes.written());
    }
    vtr::setDoubleValueOnlyNeeded(&field, 5.001);
    EXPECT_EQ(field.text(), "5.001");
    {
        FieldWrites writes(field);
        vtr::setFloatValueOnlyNeeded(&field, 5.001003f);
        EXPECT_FALSE(writes.written());
    }
    vtr::setFloatValueOnlyNeeded(&field, 0.1f);
    EXPECT_EQ(field.text(), "0.1"); // the shortest text of the float, not of its double
    vtr::setIntegerValueOnlyNeeded(&field, 0);
    EXPECT_EQ(field.text(), "0.1"); // 0.1 reads as the integer 0
    vtr::setIntegerValueOnlyNeeded(&field, 12);
    EXPECT_EQ(field.text(), "12");
    vtr::setDoubleValueOnlyNeeded(&field, 1e6);
    EXPECT_EQ(field.text(), "1000000");
}

TEST(ControlExtensions, TextFieldNumbersReadTheLeadingNumber)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {{"12.5", 12.5}, {"  7", 7}, {"3px", 3}, {"abc", 0}, {"", 0}, {"-2.5e1", -25}, {".5", 0.5}};
    QLineEdit field;
    for (const auto& c : cases) {
        field.setText(QString::fromUtf8(c.text));
        EXPECT_DOUBLE_EQ(vtr::doubleValue(&field), c.value) << c.text;
    }
    field.setText(QStringLiteral("-3.9"));
    EXPECT_EQ(vtr::integerValue(&field), -3);
}

TEST(ControlExtensions, CanonicallyEquivalentTextIsNotWrittenAgain)
{
    const QString precomposed = QString::fromUtf8("caf\xc3\xa9");  // é as one character
    const QString decomposed = QString::fromUtf8("cafe\xcc\x81");  // e + combining acute
    QLineEdit field(precomposed);
    FieldWrites writes(field);
    vtr::setStringValueOnlyNeeded(&field, decomposed);
    EXPECT_FALSE(writes.written());
    EXPECT_EQ(field.text(), precomposed);
    vtr::setStringValueOnlyNeeded(&field, QStringLiteral("cafe"));
    EXPECT_EQ(field.text(), "cafe");

    QLabel label(precomposed);
    const QString before = label.text();
    vtr::setStringValueOnlyNeeded(&label, decomposed);
    EXPECT_TRUE(label.text().isSharedWith(before));
}

TEST(ControlExtensions, AttributedTextComparesCharactersAndFormats)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    cursor.insertText(QStringLiteral("Hello "));
    cursor.insertText(QStringLiteral("world"), red);
    const QTextDocumentFragment redWorld(&document);

    cursor.select(QTextCursor::Document);
    QTextCharFormat blue;
    blue.setForeground(Qt::blue);
    cursor.mergeCharFormat(blue);
    const QTextDocumentFragment blueAll(&document);

    EXPECT_TRUE(vtr::attributedStringsEqual(redWorld, redWorld));
    EXPECT_FALSE(vtr::attributedStringsEqual(redWorld, blueAll));
    EXPECT_FALSE(vtr::attributedStringsEqual(redWorld, QTextDocumentFragment::fromPlainText("Hello world")));

    QLabel label;
    vtr::setAttributedStringValueOnlyNeeded(&label, redWorld);
    const QString shown = label.text();
    EXPECT_TRUE(vtr::attributedStringsEqual(vtr::attributedStringValue(&label), redWorld));
    vtr::setAttributedStringValueOnlyNeeded(&label, redWorld);
    EXPECT_TRUE(label.text().isSharedWith(shown)); // not written again
    vtr::setAttributedStringValueOnlyNeeded(&label, blueAll);
    EXPECT_TRUE(vtr::attributedStringsEqual(vtr::attributedStringValue(&label), blueAll));

    // Plain text set by other code reads as unformatted text.
    label.setText(QStringLiteral("plain"));
    EXPECT_EQ(vtr::attributedStringValue(&label).toPlainText(), "plain");
}

TEST(ControlExtensions, SliderValuesAndBounds)
{
    VTRSlider slider;
    slider.setMinValue(0);
    slider.setMaxValue(10);
    int moves = 0;
    QObject::connect(&slider, &QAbstractSlider::valueChanged, [&] { ++moves; });
    vtr::setDoubleValueOnlyNeeded(&slider, 4.0);
    EXPECT_EQ(slider.doubleValue(), 4.0);
    EXPECT_EQ(moves, 1);
    vtr::setDoubleValueOnlyNeeded(&slider, 4.000001);
    EXPECT_EQ(slider.doubleValue(), 4.0);
    EXPECT_EQ(moves, 1);
    vtr::setFloatValueOnlyNeeded(&slider, 4.5f);
    EXPECT_EQ(slider.doubleValue(), 4.5);

    vtr::setMaxValueOnlyNeeded(&slider, 10.000001);
    EXPECT_EQ(slider.maxValue(), 10.0);
    vtr::setMaxValueOnlyNeeded(&slider, 3.0);
    EXPECT_EQ(slider.maxValue(), 3.0);
    EXPECT_EQ(slider.doubleValue(), 3.0); // the value stays inside the range
    vtr::setMinValueOnlyNeeded(&slider, 1.5);
    EXPECT_EQ(slider.minValue(), 1.5);

    QSlider plain;
    plain.setRange(0, 100);
    vtr::setIntegerValueOnlyNeeded(&plain, 40);
    EXPECT_EQ(plain.value(), 40);
}

TEST(ControlExtensions, ButtonStateAndVisibility)
{
    QCheckBox box;
    vtr::setStateOnlyNeeded(&box, Qt::PartiallyChecked);
    EXPECT_EQ(box.checkState(), Qt::PartiallyChecked);
    vtr::setStateOnlyNeeded(&box, Qt::Checked);
    EXPECT_EQ(vtr::buttonState(&box), Qt::Checked);

    QPushButton toggle;
    toggle.setCheckable(true);
    int toggles = 0;
    QObject::connect(&toggle, &QPushButton::toggled, [&] { ++toggles; });
    vtr::setStateOnlyNeeded(&toggle, Qt::Checked);
    vtr::setStateOnlyNeeded(&toggle, Qt::Checked);
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_EQ(toggles, 1);

    QWidget view;
    vtr::setHiddenOnlyNeeded(&view, true);
    EXPECT_TRUE(view.isHidden());
    vtr::setHiddenOnlyNeeded(&view, false);
    EXPECT_FALSE(view.isHidden());
}

TEST(ControlExtensions, NullControlsAreIgnored)
{
    vtr::setDoubleValueOnlyNeeded(static_cast<QLineEdit*>(nullptr), 1.0);
    vtr::setFloatValueOnlyNeeded(static_cast<QLineEdit*>(nullptr), 1.0f);
    vtr::setIntegerValueOnlyNeeded(static_cast<QLineEdit*>(nullptr), 1);
    vtr::setStringValueOnlyNeeded(static_cast<QLineEdit*>(nullptr), QStringLiteral("x"));
    vtr::setStringValueOnlyNeeded(static_cast<QLabel*>(nullptr), QStringLiteral("x"));
    vtr::setAttributedStringValueOnlyNeeded(nullptr, QTextDocumentFragment());
    vtr::setDoubleValueOnlyNeeded(static_cast<VTRSlider*>(nullptr), 1.0);
    vtr::setMinValueOnlyNeeded(nullptr, 1.0);
    vtr::setMaxValueOnlyNeeded(nullptr, 1.0);
    vtr::setStateOnlyNeeded(nullptr, Qt::Checked);
    vtr::setHiddenOnlyNeeded(nullptr, true);
    vtr::invalidateRect(nullptr, std::nullopt);
    SUCCEED();
}

} // namespace
