#pragma once

#include "VTRClock.h"
#include "VTRImage.h"

#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// A modal window with an icon, a message, a countdown and two buttons, buy
// and skip. It closes itself when the countdown reaches zero. Results:
// 1 buy, 0 skip or not shown, -1000 the countdown ran out, -1001 a part of
// the window is missing. Time is read from a monotonic clock, so setting the
// system clock neither shortens nor stretches the interval or the countdown.
class NPAdWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr int kResponseOK = 1;
    static constexpr int kResponseCancel = 0;
    static constexpr int kResponseStop = -1000;
    static constexpr int kResponseAbort = -1001;
    static constexpr int kCountDownFieldTag = 9;
    static constexpr double kMinimumInterval = 120.0;
    static constexpr int kDefaultCountDown = 10;

    // Takes the window over; its content view controller is set apart.
    explicit NPAdWindowController(QDialog* window = nullptr, VTRClock& clock = VTRClock::monotonic());
    ~NPAdWindowController() override;

    // The one controller of the program, built on first use with the
    // standard window; replacing it deletes the old one.
    static NPAdWindowController* shared();
    static void setShared(std::unique_ptr<NPAdWindowController> controller);
    // A controller with the standard window: icon, message, countdown label
    // (tag 9) and the buy and skip buttons.
    static std::unique_ptr<NPAdWindowController> loadFromStoryboard(VTRClock& clock = VTRClock::monotonic());

    QDialog* window() const { return m_window; }
    // Expected to be an NPAdViewController; owned by the window.
    QObject* contentViewController() const { return m_contentViewController; }
    void setContentViewController(QObject* controller) { m_contentViewController = controller; }

    const VTRImage& icon() const { return m_icon; }
    void setIcon(const VTRImage& icon) { m_icon = icon; }
    const std::optional<QString>& message() const { return m_message; }
    void setMessage(const std::optional<QString>& message) { m_message = message; }

    // Shows with a countdown of 10 unless the last showing began less than
    // 120 seconds ago (then 0 without showing).
    int showAdIfNeeded();
    // Countdown from n seconds; -1 picks 6..10 at random, or shows nothing
    // half of the time. A start at or below 0 ends at the first tick.
    int showAd(int autoCloseAfter);

    int restSeconds() const { return m_restSeconds; }
    bool isTimerRunning() const { return m_timer && m_timer->isValid(); }
    // Where the random countdown comes from (a 32-bit unsigned number).
    void setRandomSource(std::function<std::uint32_t()> source) { m_random = std::move(source); }

public slots:
    void onTimer(QObject* timer = nullptr);
    void didClickPurchaseButton(QObject* sender = nullptr);
    void didClickSkipButton(QObject* sender = nullptr);

private:
    QLabel* countDownField() const;
    void invalidateTimer();
    void endModal(int code);

    VTRClock& m_clock;
    std::unique_ptr<VTRTimer> m_timer;
    std::optional<double> m_lastShowTime;
    VTRImage m_icon;
    std::optional<QString> m_message;
    int m_restSeconds = -1;
    QPointer<QDialog> m_window; // owned
    QPointer<QObject> m_contentViewController;
    std::function<std::uint32_t()> m_random;
};
