#pragma once

#include "platform/appkit/Document.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/Responder.h"
#include "platform/appkit/Updatable.h"

#include <QLabel>
#include <QPointer>
#include <QRectF>
#include <QSize>

#include <atomic>
#include <functional>
#include <mutex>

class QVBoxLayout;

// The dark window of every document: our own title label and two title-bar
// toolbars (the window manager owns the real title bar, so they are drawn
// at the top of the client area), the ribbon panel below them, and the
// document's own view under the ribbon. On every update pass while it is
// the main window it lets its document and the toolbars' controls refresh
// themselves.
class KZRibbonWindow : public platform::DocumentWindow, public platform::Responder, public platform::Updatable {
    Q_OBJECT
public:
    static const QColor kBackgroundColor;
    // The left toolbar is this much narrower than the window.
    static constexpr int kTitleLabelAllowance = 300;
    static constexpr int kTitleBarHeight = 28;
    // The content size the window is made with, before its document sizes
    // it for its canvas.
    static constexpr QSize kDesignTimeContentSize{800, 600};
    static inline const QString kToggleRibbonPanel = QStringLiteral("toggleRibbonPanel:");
    static inline const QString kShowToolPanel = QStringLiteral("Show Tool Panel");
    static inline const QString kHideToolPanel = QStringLiteral("Hide Tool Panel");

    explicit KZRibbonWindow(platform::Document* document);
    ~KZRibbonWindow() override;

    // What the interface file would connect; the document fills the ribbon
    // and puts its own view below it, then calls awakeFromNib().
    QLabel* titleLabel() const { return m_titleLabel; }
    QWidget* ribbonContentView() const { return m_ribbonContentView; }
    QWidget* ribbonPanel() const { return m_ribbonPanel; }
    QWidget* leftToolbar() const { return m_leftToolbar; }
    QWidget* rightToolbar() const { return m_rightToolbar; }
    void setLeftToolbar(QWidget* toolbar);
    void setRightToolbar(QWidget* toolbar);
    void setDocumentView(QWidget* view);
    void awakeFromNib();

    // The content view's frame as the window was made, laid out at
    // kDesignTimeContentSize: what the document's canvas view measures the
    // room around its scroll view against.
    QRectF designTimeContentViewFrame() const;
    void setDesignTimeContentViewFrame(const QRectF& frame);

    void setTitle(const QString& title);
    void recalculateTitileRect();
    void toggleRibbonPanel(QObject* sender = nullptr);
    bool isRibbonPanelHidden() const;

    // Labels an item bound to toggleRibbonPanel: for the panel's state.
    void labelToggleItem(QObject* item) const;
    bool validateMenuItem(platform::MenuItem* item) override;
    std::optional<bool> validateUserInterfaceItem(QObject* item, const QString& action, int tag) override;

    // The update pass; only the main window passes it on.
    void performUpdate() override;
    void updateAsMain(bool isMain);
    // The document's part of the pass (the window's document, while main).
    void setDocumentUpdate(std::function<void()> update) { m_documentUpdate = std::move(update); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void postInit();
    // Qt lays out a hidden window only when it is shown; the design-time
    // frames are wanted before that.
    static void layOutNow(QWidget* view);
    static void forgetSizeHints(QWidget* view);
    static void placeChildren(QWidget* view);

    QPointer<QLabel> m_titleLabel;
    QPointer<QWidget> m_titleBar;
    QPointer<QWidget> m_ribbonContentView;
    QPointer<QWidget> m_ribbonPanel;
    QPointer<QWidget> m_leftToolbar;
    QPointer<QWidget> m_rightToolbar;
    QPointer<QWidget> m_documentView;
    QVBoxLayout* m_column = nullptr;
    mutable std::mutex m_frameMutex;
    QRectF m_designTimeContentViewFrame;
    std::function<void()> m_documentUpdate;
};
