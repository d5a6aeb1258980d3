#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/Responder.h"
#include "platform/appkit/TargetAction.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// A view that answers an action, as a canvas or a panel would.
class AnsweringView : public QWidget, public platform::Responder {
public:
    explicit AnsweringView(const QString& action, QWidget* parent = nullptr)
        : QWidget(parent)
    {
        platform::Responder::addAction(action, [this](QObject* sender) {
            ++performed;
            lastSender = sender;
        });
        setFocusPolicy(Qt::StrongFocus);
    }
    int performed = 0;
    QObject* lastSender = nullptr;
};

class AnsweringObject : public QObject, public platform::Responder {
public:
    explicit AnsweringObject(const QString& action)
    {
        addAction(action, [this](QObject*) { ++performed; });
    }
    int performed = 0;
};

class Answering : public platform::Responder {
public:
    explicit Answering(const QString& action)
    {
        addAction(action, [this](QObject*) { ++performed; });
    }
    int performed = 0;
};

// A window: an answering container holding a focusable field and a button.
struct Window {
    QWidget window;
    AnsweringView* container;
    QLineEdit* field;
    QPushButton* button;
    explicit Window(const QString& action)
    {
        auto* layout = new QVBoxLayout(&window);
        container = new AnsweringView(action);
        auto* inner = new QVBoxLayout(container);
        field = new QLineEdit;
        inner->addWidget(field);
        button = new QPushButton("Send");
        layout->addWidget(container);
        layout->addWidget(button);
        window.show();
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);
    }
    ~Window() { platform::ActionRouter::shared().removeWindowResponders(&window); }
};
} // namespace

TEST(TargetAction, ANullTargetReachesTheFirstAnsweringResponderFromTheFocus)
{
    Window w("refreshImage:");
    Answering document("refreshImage:");
    Answering application("refreshImage:");
    platform::ActionRouter::shared().setWindowResponders(&w.window, {&document});
    platform::ActionRouter::shared().addApplicationResponder(&application);

    // Focus inside the answering container: the container answers.
    w.field->setFocus();
    platform::TargetAction action(nullptr, "refreshImage:");
    EXPECT_TRUE(action.send(w.button, w.button));
    EXPECT_EQ(w.container->performed, 1);
    EXPECT_EQ(w.container->lastSender, w.button);

    // Focus outside it: the window's responders, then the application's.
    w.button->setFocus();
    EXPECT_TRUE(action.send(w.button, w.button));
    EXPECT_EQ(document.performed, 1);
    platform::ActionRouter::shared().removeWindowResponders(&w.window);
    EXPECT_TRUE(action.send(w.button, w.button));
    EXPECT_EQ(application.performed, 1);
    platform::ActionRouter::shared().removeApplicationResponder(&application);

    // Nobody answers: nothing is sent.
    EXPECT_FALSE(platform::TargetAction(nullptr, "nobodyAnswers:").send(w.button, w.button));
    EXPECT_FALSE(platform::TargetAction(nullptr, QString()).send(w.button, w.button));
}

TEST(TargetAction, AGivenTargetAloneGetsTheActionAndADeletedOneIsNone)
{
    Window w("zoomIn:");
    w.field->setFocus();
    Answering target("zoomIn:");
    platform::TargetAction action(&target, "zoomIn:");
    EXPECT_TRUE(action.send(w.button, w.button));
    EXPECT_EQ(target.performed, 1);
    EXPECT_EQ(w.container->performed, 0);

    // A target that does not answer the action is not passed over.
    Answering other("zoomOut:");
    EXPECT_FALSE(platform::TargetAction(&other, "zoomIn:").send(w.button, w.button));
    EXPECT_EQ(w.container->performed, 0);

    auto* object = new AnsweringObject("zoomIn:");
    platform::TargetAction guarded(object, "zoomIn:");
    EXPECT_EQ(guarded.target(), object);
    delete object;
    EXPECT_EQ(guarded.target(), nullptr);
    // With the target gone the action takes the chain.
    EXPECT_TRUE(guarded.send(w.button, w.button));
    EXPECT_EQ(w.container->performed, 1);
}
