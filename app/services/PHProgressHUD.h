#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QSizeF>
#include <QWidget>

#include <atomic>
#include <functional>
#include <optional>

#include "platform/foundation/Clock.h"

class QGraphicsOpacityEffect;
class QLabel;
class QThreadPool;
class QVariantAnimation;
class PHProgressHUDDelegate;

// A translucent rounded box over a view while work goes on: an indicator,
// a label and a details label, over a dimmed background that swallows the
// mouse. It fades (or zooms) in and out, can wait a grace time before it
// appears and stay a minimum time once shown, and can run a task on
// another thread and hide itself when the task ends.
class PHProgressHUD : public QWidget {
    Q_OBJECT
public:
    enum Mode { Spinner = 0, Wedge = 1, Ring = 2, CustomView = 3, TextOnly = 4 };
    enum AnimationType { Fade = 0, ZoomOut = 1, ZoomIn = 2 };

    // A HUD over the view, above its other children, shown at once.
    static PHProgressHUD* showHUDAddedTo(QWidget* view, bool animated);
    // Hides the topmost HUD of the view (it then leaves the view); false
    // when the view has none.
    static bool hideHUDForView(QWidget* view, bool animated);
    static int hideAllHUDsForView(QWidget* view, bool animated);
    static PHProgressHUD* HUDForView(QWidget* view);
    static QList<PHProgressHUD*> allHUDsForView(QWidget* view);

    // Covers the view's area and follows its size.
    explicit PHProgressHUD(QWidget* view);
    ~PHProgressHUD() override;

    // Timers and the moment of showing come from this clock (the system's
    // unless set; not owned).
    void setClock(platform::Clock* clock);

    using QWidget::hide;
    using QWidget::show;
    void show(bool animated);
    void hide(bool animated);
    void hide(bool animated, double delaySeconds);
    // Shows the HUD while work runs on a thread of its own; hides it after.
    void showWhileExecuting(std::function<void()> work, bool animated);
    // The same on a thread pool (the global one when none is given); the
    // completion runs on the main thread once the HUD is hidden.
    void showAnimated(bool animated, std::function<void()> work, QThreadPool* pool = nullptr,
                      std::function<void()> completion = {});

    // The properties below may be read and set from any thread (a task
    // reports its progress through them); what they change on screen
    // follows on the main thread.
    int mode() const { return m_mode; }
    void setMode(int mode);
    int animationType() const { return m_animationType; }
    void setAnimationType(int type) { m_animationType = type; }
    PHProgressHUDDelegate* delegate() const { return m_delegate; }
    // Not owned.
    void setDelegate(PHProgressHUDDelegate* delegate) { m_delegate = delegate; }
    float opacity() const { return m_opacity; }
    void setOpacity(float opacity);
    std::optional<QColor> color() const;
    void setColor(std::optional<QColor> color);
    QFont labelFont() const;
    void setLabelFont(const QFont& font);
    QFont detailsLabelFont() const;
    void setDetailsLabelFont(const QFont& font);
    QString labelText() const;
    void setLabelText(const QString& text);
    QString detailsLabelText() const;
    void setDetailsLabelText(const QString& text);
    // The indicator view: read it on the main thread.
    QWidget* indicator() const { return m_indicator; }
    QWidget* customView() const;
    // The HUD takes the view over (made on the main thread, like every widget).
    void setCustomView(QWidget* view);
    float xOffset() const { return m_xOffset; }
    void setXOffset(float offset);
    float yOffset() const { return m_yOffset; }
    void setYOffset(float offset);
    float margin() const { return m_margin; }
    void setMargin(float margin);
    QSizeF minSize() const;
    void setMinSize(const QSizeF& size);
    bool isSquare() const { return m_square; }
    void setSquare(bool square);
    bool dimBackground() const { return m_dimBackground; }
    void setDimBackground(bool dim);
    float graceTime() const { return m_graceTime; }
    void setGraceTime(float seconds) { m_graceTime = seconds; }
    float minShowTime() const { return m_minShowTime; }
    void setMinShowTime(float seconds) { m_minShowTime = seconds; }
    bool taskInProgress() const { return m_taskInProgress; }
    void setTaskInProgress(bool running) { m_taskInProgress = running; }
    bool removeFromSuperViewOnHide() const { return m_removeFromSuperViewOnHide; }
    void setRemoveFromSuperViewOnHide(bool remove) { m_removeFromSuperViewOnHide = remove; }
    // When the HUD was last shown (clock seconds); empty while hidden.
    std::optional<double> showStarted() const;
    float progress() const { return m_progress; }
    void setProgress(float progress);
    // The box size the last layout computed.
    QSizeF boxSize() const;
    std::function<void()> completionBlock() const;
    void setCompletionBlock(std::function<void()> block);
    bool isFinished() const { return m_isFinished; }
    bool hasGraceTimer() const { return m_graceTimer != 0; }
    bool hasMinShowTimer() const { return m_minShowTimer != 0; }

    // The alpha the HUD shows, or is animating to.
    double alphaValue() const { return m_alpha; }
    void setAlpha(double alpha);
    // The zoom of the box, or the one it is animating to.
    double scale() const { return m_scale; }

    QLabel* label() const { return m_label; }
    QLabel* detailsLabel() const { return m_detailsLabel; }
    void layoutViews();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setupLabels();
    void updateIndicators();
    // Property changes may come from a task's thread: the interface follows
    // on the main thread.
    void updateUI(const std::function<void()>& change, bool relayout);
    void showUsingAnimation(bool animated);
    void hideUsingAnimation(bool animated);
    void handleGraceTimer();
    void handleMinShowTimer();
    void cleanUp();
    void done();
    void animateTo(double alpha, double scale, double seconds);
    void cancelTimers();
    void setShowStarted(std::optional<double> when);

    // Properties that other threads may touch: plain values are atomic,
    // the others are guarded by m_propertiesLock.
    mutable QMutex m_propertiesLock;
    std::atomic<int> m_mode = Wedge;
    std::atomic<int> m_animationType = Fade;
    std::atomic<PHProgressHUDDelegate*> m_delegate = nullptr;
    std::atomic<float> m_opacity = 0.8f;
    std::optional<QColor> m_color;
    QFont m_labelFont;
    QFont m_detailsLabelFont;
    QString m_labelText;
    QString m_detailsLabelText;
    QPointer<QWidget> m_indicator; // main thread only
    QPointer<QWidget> m_customView;
    std::atomic<float> m_xOffset = 0;
    std::atomic<float> m_yOffset = 0;
    std::atomic<float> m_margin = 20.0f;
    QSizeF m_minSize;
    std::atomic<bool> m_square = false;
    std::atomic<bool> m_dimBackground = true;
    std::atomic<float> m_graceTime = 0;
    std::atomic<float> m_minShowTime = 0;
    // The timers belong to the main thread.
    platform::Clock::TimerId m_graceTimer = 0;
    platform::Clock::TimerId m_minShowTimer = 0;
    platform::Clock::TimerId m_hideDelayTimer = 0;
    platform::Clock::TimerId m_doneTimer = 0;
    std::atomic<bool> m_taskInProgress = false;
    std::atomic<bool> m_removeFromSuperViewOnHide = false;
    std::optional<double> m_showStarted;
    std::atomic<float> m_progress = 0;
    QSizeF m_size;
    std::function<void()> m_completionBlock;
    bool m_useAnimation = false;
    std::atomic<bool> m_isFinished = false;
    double m_alpha = 0.0;
    double m_scale = 1.0;
    double m_paintScale = 1.0;

    platform::Clock* m_clock;
    QLabel* m_label = nullptr;
    QLabel* m_detailsLabel = nullptr;
    QGraphicsOpacityEffect* m_opacityEffect = nullptr;
    QVariantAnimation* m_animation = nullptr;
};
