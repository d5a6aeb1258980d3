#pragma once

#include <QPointer>
#include <QRectF>
#include <QWidget>

namespace platform {

class PopoverDelegate;

// A small window of content shown beside a rectangle of a view. A
// transient popover closes when the user clicks elsewhere in the program
// (or presses Escape in it); an application-defined one stays until closed.
class Popover : public QWidget {
    Q_OBJECT
public:
    enum Behavior { ApplicationDefined = 0, Transient = 1, Semitransient = 2 };
    // Edges of the rectangle, in the view's coordinates (y grows downwards):
    // MinY is above it, MaxY below.
    enum Edge { MinXEdge = 0, MinYEdge = 1, MaxXEdge = 2, MaxYEdge = 3 };

    Popover();
    ~Popover() override;

    // The popover takes the content over and sizes itself to it.
    void setContentViewController(QWidget* content);
    QWidget* contentViewController() const { return m_content; }
    Behavior behavior() const { return m_behavior; }
    void setBehavior(Behavior behavior) { m_behavior = behavior; }
    bool animates() const { return m_animates; }
    void setAnimates(bool animates) { m_animates = animates; }
    // Not owned.
    void setDelegate(PopoverDelegate* delegate) { m_delegate = delegate; }
    PopoverDelegate* delegate() const { return m_delegate; }
    bool isShown() const { return m_shown; }

    void showRelativeToRect(const QRectF& rect, QWidget* view, Edge preferredEdge);
    void performClose() { close(); }

    // Where a popover of this size goes beside the rectangle (screen
    // coordinates) on the edge, kept within the available area.
    static QPoint placement(const QRect& anchor, const QSize& size, Edge edge, const QRect& available);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_content;
    PopoverDelegate* m_delegate = nullptr;
    Behavior m_behavior = ApplicationDefined;
    bool m_animates = true;
    bool m_shown = false;
};

} // namespace platform
