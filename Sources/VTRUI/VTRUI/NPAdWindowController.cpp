#include "NPAdWindowController.h"

#include "NPAdViewController.h"
#include "ViewExtensions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QVBoxLayout>

namespace {

std::unique_ptr<NPAdWindowController>& sharedInstance()
{
    static std::unique_ptr<NPAdWindowController> instance;
    return instance;
}

} // namespace

NPAdWindowController::NPAdWindowController(QDialog* window, VTRClock& clock)
    : m_clock(clock)
    , m_window(window)
    , m_random([] { return QRandomGenerator::global()->generate(); })
{
}

NPAdWindowController::~NPAdWindowController()
{
    m_timer.reset();
    delete m_window.data();
}

NPAdWindowController* NPAdWindowController::shared()
{
    std::unique_ptr<NPAdWindowController>& instance = sharedInstance();
    static bool made = false;
    if (!made) {
        made = true;
        instance = loadFromStoryboard();
    }
    return instance.get();
}

void NPAdWindowController::setShared(std::unique_ptr<NPAdWindowController> controller)
{
    shared(); // a later first use must not replace what was set
    sharedInstance() = std::move(controller);
}

std::unique_ptr<NPAdWindowController> NPAdWindowController::loadFromStoryboard(VTRClock& clock)
{
    auto* window = new QDialog;
    window->setModal(true);
    window->setWindowTitle(QStringLiteral("Ad"));
    auto controller = std::make_unique<NPAdWindowController>(window, clock);

    auto* content = new NPAdViewController(window);
    auto* imageView = new QLabel;
    imageView->setFixedSize(64, 64);
    imageView->setScaledContents(true);
    imageView->setAccessibleName(QStringLiteral("Icon"));
    auto* textField = new QLabel;
    textField->setWordWrap(true);
    textField->setAccessibleName(QStringLiteral("Message"));
    auto* countDown = new QLabel;
    countDown->setAccessibleName(QStringLiteral("Countdown"));
    vtr::setTag(countDown, kCountDownFieldTag);
    auto* buy = new QPushButton(QStringLiteral("Buy"));
    auto* skip = new QPushButton(QStringLiteral("Skip"));
    buy->setAutoDefault(false);
    skip->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(imageView, 0, Qt::AlignTop);
    top->addWidget(textField, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(countDown);
    bottom->addStretch(1);
    bottom->addWidget(skip);
    bottom->addWidget(buy);
    auto* layout = new QVBoxLayout(window);
    layout->addLayout(top);
    layout->addLayout(bottom);

    content->setView(window);
    content->setImageView(imageView);
    content->setTextField(textField);
    controller->setContentViewController(content);

    NPAdWindowController* target = controller.get();
    QObject::connect(buy, &QPushButton::clicked, target, [target, buy] { target->didClickPurchaseButton(buy); });
    QObject::connect(skip, &QPushButton::clicked, target, [target, skip] { target->didClickSkipButton(skip); });
    return controller;
}

QLabel* NPAdWindowController::countDownField() const
{
    auto* content = qobject_cast<NPAdViewController*>(m_contentViewController.data());
    if (!content || !content->view())
        return nullptr;
    return qobject_cast<QLabel*>(vtr::viewWithTag(content->view(), kCountDownFieldTag));
}

int NPAdWindowController::showAdIfNeeded()
{
    const double now = m_clock.now();
    if (m_lastShowTime && now - *m_lastShowTime < kMinimumInterval)
        return kResponseCancel;
    m_lastShowTime = now;
    return showAd(kDefaultCountDown);
}

int NPAdWindowController::showAd(int autoCloseAfter)
{
    m_timer.reset();
    if (!m_window)
        return kResponseAbort;
    auto* content = qobject_cast<NPAdViewController*>(m_contentViewController.data());
    if (!content)
        return kResponseAbort;
    QLabel* countDown = countDownField();
    if (!countDown)
        return kResponseAbort;
    if (QLabel* imageView = content->imageView()) {
        if (m_icon.isNull())
            imageView->clear();
        else
            imageView->setPixmap(QPixmap::fromImage(m_icon.cgImage(nullptr)));
    }
    if (QLabel* textField = content->textField())
        textField->setText(m_message.value_or(QStringLiteral("No Message")));

    m_restSeconds = autoCloseAfter;
    if (autoCloseAfter == -1) {
        const std::uint32_t r = m_random();
        m_restSeconds = int(r % 10) + 1;
        if (r % 10 <= 4)
            return kResponseCancel;
    }
    countDown->setText(QString::number(m_restSeconds));
    m_timer = m_clock.scheduleRepeatingTimer(1.0, [this] { onTimer(); });
    const int code = m_window->exec();
    // However the window went away (a window-manager close included), its
    // countdown goes with it.
    invalidateTimer();
    return code;
}

void NPAdWindowController::onTimer(QObject*)
{
    --m_restSeconds;
    if (QLabel* countDown = countDownField())
        countDown->setText(QString::number(m_restSeconds));
    // At or below zero: a countdown started at 0 or below must end too.
    if (m_restSeconds <= 0)
        endModal(kResponseStop);
}

void NPAdWindowController::didClickPurchaseButton(QObject*)
{
    endModal(kResponseOK);
}

void NPAdWindowController::didClickSkipButton(QObject*)
{
    endModal(kResponseCancel);
}

void NPAdWindowController::invalidateTimer()
{
    // Stopped, not destroyed: this may run inside the timer's own call.
    if (m_timer)
        m_timer->invalidate();
}

void NPAdWindowController::endModal(int code)
{
    invalidateTimer();
    // Hides the window and ends its modal loop with the code in one step
    // (closing first would end the loop as a cancel).
    if (m_window)
        m_window->done(code);
}
