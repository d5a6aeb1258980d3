#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/BoundsView.h"
#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/FontPanel.h"
#include "platform/appkit/Responder.h"
#include "platform/appkit/TextView.h"

#include <QPainter>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QFont pinnedFont(int pixelSize = 20)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    return font;
}

// A view zoomed like a canvas: bounds units of `scale` widget pixels, the
// bounds starting at `origin`.
class ZoomedView : public QWidget, public platform::BoundsView {
public:
    QRectF widgetRectFromBoundsRect(const QRectF& r) const override
    {
        return QRectF((r.topLeft() - origin) * scale, r.size() * scale);
    }
    double boundsScale() const override { return scale; }
    void zoom(double s)
    {
        scale = s;
        platform::BoundsView::boundsDidChange(this);
    }

    double scale = 1.0;
    QPointF origin;
};

QImage glyphs(const platform::TextView& view, QSize size)
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    view.drawGlyphs(painter);
    return image;
}

} // namespace

TEST(TextView, KeysEditTheTextAndOthersGoOn)
{
    struct Step {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        QString result;
    } const cases[] = {
        {"backspace", {{Qt::Key_Backspace, {}, {}}}, "Hell"},
        {"left twice, backspace", {{Qt::Key_Left, {}, {}}, {Qt::Key_Left, {}, {}}, {Qt::Key_Backspace, {}, {}}}, "Helo"},
        {"home, delete", {{Qt::Key_Home, {}, {}}, {Qt::Key_Delete, {}, {}}}, "ello"},
        {"shift+left thrice, typed", {{Qt::Key_Left, Qt::ShiftModifier, {}}, {Qt::Key_Left, Qt::ShiftModifier, {}},
                                      {Qt::Key_Left, Qt::ShiftModifier, {}}, {Qt::Key_P, {}, "p"}}, "Hep"},
        {"return, typed", {{Qt::Key_Return, {}, {}}, {Qt::Key_X, {}, "x"}}, "Hello\nx"},
        {"select all, typed", {{Qt::Key_A, Qt::ControlModifier, {}}, {Qt::Key_Z, Qt::ShiftModifier, "Z"}}, "Z"},
        {"tab", {{Qt::Key_Tab, {}, "\t"}}, "Hello\t"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::TextView view;
        view.setTextFont(pinnedFont());
        view.insertText(QStringLiteral("Hello"));
        for (const Step& s : c.steps) {
            QKeyEvent event(QEvent::KeyPress, s.key, s.modifiers, s.text);
            QCoreApplication::sendEvent(&view, &event);
            EXPECT_TRUE(event.isAccepted());
        }
        EXPECT_EQ(view.string(), c.result);
    }
    platform::TextView view;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &escape);
    EXPECT_FALSE(escape.isAccepted()) << "not the text's: it goes on to the views below";
}

TEST(TextView, SitsInItsZoomedSuperviewToTheDevicePixel)
{
    ZoomedView superview;
    superview.resize(400, 300);
    superview.origin = QPointF(3.5, 0);
    superview.scale = 2;
    auto* view = new platform::TextView(&superview);
    view->setTextFont(pinnedFont());
    view->setFrame(QRectF(10.25, 5.5, 40, 20));
    // Widgets sit on whole pixels: the one that encloses the frame.
    EXPECT_EQ(view->geometry(), QRect(13, 11, 81, 40));
    // The frame's corner is text point (0, 0).
    const QPointF corner = QPointF((10.25 - 3.5) * 2, 5.5 * 2) - QPointF(view->geometry().topLeft());
    EXPECT_NEAR(view->textPointFromWidget(corner).x(), 0, 1e-9);
    EXPECT_NEAR(view->textPointFromWidget(corner).y(), 0, 1e-9);
    // Content scaled by 2 inside a zoom of 2: 4 widget pixels per text unit.
    view->scaleTo(2);
    EXPECT_NEAR(view->textPointFromWidget(corner + QPointF(8, 4)).x(), 2, 1e-9);
    // A new zoom of the superview moves the view along.
    superview.zoom(4);
    EXPECT_EQ(view->geometry(), QRect(27, 22, 160, 80));
}

TEST(TextView, LinesWrapAtTheFrameUnlessTurnedOff)
{
    platform::TextView view;
    view.setTextFont(pinnedFont());
    view.setFrame(QRectF(0, 0, 60, 30));
    view.insertText(QStringLiteral("one two three"));
    const double line = QFontMetricsF(pinnedFont()).lineSpacing();
    EXPECT_GT(view.usedSize().height(), 2 * line);
    EXPECT_EQ(view.usedSize().width(), 60);
    view.setWrapsLines(false);
    EXPECT_LT(view.usedSize().height(), 1.5 * line);
    EXPECT_GT(view.usedSize().width(), 60);
    // Scaled content takes as much more room.
    const QSizeF one = view.usedSize();
    view.scaleTo(2);
    EXPECT_NEAR(view.usedSize().width(), 2 * one.width(), 1e-6);
}

TEST(TextView, TheDrawnGlyphsShowNoSelection)
{
    platform::TextView view;
    view.setTextFont(pinnedFont());
    view.setFrame(QRectF(0, 0, 120, 40));
    view.insertText(QStringLiteral("Hello"));
    const QImage plain = glyphs(view, QSize(120, 40));
    view.selectAll();
    EXPECT_EQ(view.selectionLength(), 5);
    EXPECT_EQ(glyphs(view, QSize(120, 40)), plain);
}

// A picked font or colour goes to the focused text before the window's
// responders; without a focused text the window's responders have it.
TEST(TextView, PanelsReachTheFocusedTextFirst)
{
    class WindowResponder : public platform::Responder {
    public:
        WindowResponder()
        {
            addAction(QStringLiteral("changeColor:"), [this](QObject*) { ++colours; });
            addAction(QStringLiteral("changeFont:"), [this](QObject*) { ++fonts; });
        }
        int colours = 0;
        int fonts = 0;
    } document;
    QWidget window;
    window.resize(300, 200);
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* text = new platform::TextView(&window);
    text->setTextFont(pinnedFont());
    text->insertText(QStringLiteral("Hi"));
    text->selectAll();
    auto& router = platform::ActionRouter::shared();
    router.setWindowResponders(&window, {&document});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    text->setFocus();
    platform::FontPanel::shared().setSelectedFont(pinnedFont(33));
    platform::ColorPanel::shared().setColor(QColor(Qt::green));
    EXPECT_TRUE(router.sendAction(QStringLiteral("changeFont:"), &platform::FontPanel::shared(), &window));
    EXPECT_TRUE(router.sendAction(QStringLiteral("changeColor:"), &platform::ColorPanel::shared(), &window));
    EXPECT_EQ(text->textFont().pixelSize(), 33);
    EXPECT_EQ(text->textColor(), QColor(Qt::green));
    EXPECT_EQ(document.fonts + document.colours, 0);

    other->setFocus();
    router.sendAction(QStringLiteral("changeColor:"), &platform::ColorPanel::shared(), &window);
    EXPECT_EQ(document.colours, 1);
    router.removeWindowResponders(&window);
    platform::FontPanel::shared().setSelectedFont(pinnedFont());
}
