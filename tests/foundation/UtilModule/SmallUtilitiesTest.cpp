#include "ArrayExtension.h"
#include "MarkupSample.h"
#include "PointerArray.h"
#include "VTRCheckObjectEquals.h"
#include "VTRCommonUtil.h"
#include "VTRExtensionForPropertyName.h"
#include "ViewExtension.h"

#include "FoundationLogCapture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

TEST(ArrayExtension, ObjectSafely)
{
    const std::vector<int> one { 42 };
    const std::vector<int> none;
    EXPECT_EQ(ArrayExtension::objectSafely(one, 0), 42);
    EXPECT_FALSE(ArrayExtension::objectSafely(one, -1));
    EXPECT_FALSE(ArrayExtension::objectSafely(one, 1));
    EXPECT_FALSE(ArrayExtension::objectSafely(none, 0));
    EXPECT_EQ(ArrayExtension::objectSafely(QStringList { "a", "b" }, 1), QString("b"));
}

TEST(PointerArray, SlotsMayBeEmpty)
{
    int a = 1, b = 2;
    PointerArray<int> array;
    EXPECT_EQ(array.lastObject(), nullptr);
    array.addObject(&a);
    array.addObject(&b);
    array.addObject(&a);
    array.removeObject(&a); // only the first occurrence, by identity
    ASSERT_EQ(array.count(), 2);
    EXPECT_EQ(array.object(0), &b);
    EXPECT_EQ(array.object(1), &a);

    array.insertObject(nullptr, 1);
    EXPECT_EQ(array.object(1), nullptr);
    array.replaceObject(0, &a);
    EXPECT_EQ(array.object(0), &a);
    array.addObject(nullptr);
    EXPECT_EQ(array.lastObject(), nullptr); // the last slot is empty, earlier ones are not
    array.removeObjectAt(3);
    EXPECT_EQ(array.lastObject(), &a);
    int other = 3;
    array.removeObject(&other);
    EXPECT_EQ(array.count(), 3);
}

TEST(PointerArray, IndexOutsideTheArrayIsLoggedAndIgnored)
{
    foundation_test::FoundationLogCapture log;
    int a = 1;
    PointerArray<int> array;
    array.addObject(&a);
    EXPECT_EQ(array.object(5), nullptr);
    array.removeObjectAt(-1);
    array.replaceObject(1, nullptr);
    array.insertObject(&a, 1); // one past the end is a valid insertion point
    EXPECT_EQ(array.count(), 2);
    EXPECT_EQ(log.lines().size(), 3);
    for (const QString& line : log.lines())
        EXPECT_TRUE(line.contains("}:ERR Index ")) << line.toStdString();
}

TEST(ObjectUtilities, NilTolerantEqualityAndNullPlaceholder)
{
    EXPECT_TRUE(VTRCheckObjectEquals::checkObjectEqualsWithOne(QString("a"), QString("a")));
    EXPECT_FALSE(VTRCheckObjectEquals::checkObjectEqualsWithOne(QString("a"), 3));
    EXPECT_FALSE(VTRCheckObjectEquals::checkObjectEqualsWithOne(QVariant(), QVariant()));
    EXPECT_FALSE(VTRCheckObjectEquals::checkObjectEqualsWithOne(QVariant(), QString("a")));
    EXPECT_EQ(VTRExtensionForPropertyName::npNullObjectForFindingPropertyName(), nullptr);
}

TEST(MarkupSample, DivisionReportsItsErrorAsAValue)
{
    EXPECT_EQ(std::get<std::int64_t>(MarkupSample::sampleDivide(7, -2)), -3);
    EXPECT_EQ(std::get<MarkupSampleError>(MarkupSample::sampleDivide(7, 0)), MarkupSampleError::onFire);
    EXPECT_EQ(std::get<MarkupSampleError>(MarkupSample::sampleDivide(std::numeric_limits<std::int64_t>::min(), -1)),
              MarkupSampleError::onFire);
    EXPECT_EQ(MarkupSample::errorCode(MarkupSampleError::outOfPaper), 0);
    EXPECT_EQ(MarkupSample::errorCode(MarkupSampleError::onFire), 2);
}

TEST(FocusHelpers, DefaultFocusAndFirstResponderTest)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton("b");
    button->setFocusPolicy(Qt::NoFocus);
    auto* field = new QLineEdit;
    auto* second = new QLineEdit;
    layout->addWidget(button);
    layout->addWidget(field);
    layout->addWidget(second);
    window.show();

    EXPECT_FALSE(ViewExtension::isFirstResponderInWindow(nullptr));
    EXPECT_FALSE(VTRCommonUtil::makeFirstResponderToDefaultForWindow(nullptr));

    EXPECT_TRUE(VTRCommonUtil::makeFirstResponderToDefaultForWindow(&window));
    EXPECT_TRUE(ViewExtension::isFirstResponderInWindow(field));
    EXPECT_FALSE(ViewExtension::isFirstResponderInWindow(second));
    EXPECT_FALSE(ViewExtension::isFirstResponderInWindow(button));

    // A widget whose focus another widget holds for it.
    QWidget holder(&window);
    holder.setFocusProxy(second);
    second->setFocus();
    EXPECT_TRUE(ViewExtension::isFirstResponderInWindow(&holder));
    EXPECT_TRUE(ViewExtension::isFirstResponderInWindow(second));
    EXPECT_FALSE(ViewExtension::isFirstResponderInWindow(field));
}
