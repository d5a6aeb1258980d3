#include "KZCustomControl.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {
// A control whose interface has a label (its outlet).
class SwatchCaption : public KZCustomControl {
    Q_OBJECT
public:
    using KZCustomControl::KZCustomControl;
    QLabel* caption = nullptr;
};
} // namespace

TEST(KZCustomControl, LoadsTheInterfaceOfItsClassNameSizedToItself)
{
    KZCustomControl::registerInterface("SwatchCaption", [](KZCustomControl* owner) {
        auto* content = new QWidget;
        auto* caption = new QLabel("Colors", content);
        static_cast<SwatchCaption*>(owner)->caption = caption;
        return content;
    });
    SwatchCaption control(QRect(5, 6, 120, 30));
    EXPECT_EQ(control.nibName(), "SwatchCaption");
    QWidget* content = control.contentView();
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->parentWidget(), &control);
    EXPECT_EQ(content->geometry(), QRect(0, 0, 120, 30));
    ASSERT_NE(control.caption, nullptr);
    EXPECT_EQ(control.caption->text(), "Colors");
    // Loaded once.
    control.ensurePolished();
    EXPECT_EQ(control.contentView(), content);
    EXPECT_EQ(control.findChildren<QLabel*>().size(), 1);

    // The base class has no interface of its own.
    KZCustomControl plain(QRect(0, 0, 10, 10));
    EXPECT_EQ(plain.nibName(), "KZCustomControl");
    EXPECT_EQ(plain.contentView(), nullptr);
}

#include "KZCustomControlTest.moc"
