#pragma once

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

// A control whose content comes from the interface of its own class name:
// each subclass registers how its content is built under that name, and
// the control builds it, with itself as owner, when it is first polished
// (or first asked for its content), sized to the control's bounds.
class KZCustomControl : public QWidget {
    Q_OBJECT
public:
    // Builds the content view of an interface; the owner may keep pointers
    // to what it builds (its outlets).
    using InterfaceLoader = std::function<QWidget*(KZCustomControl* owner)>;
    static void registerInterface(const QString& name, InterfaceLoader loader);
    static bool hasInterface(const QString& name);

    explicit KZCustomControl(QWidget* parent = nullptr);
    explicit KZCustomControl(const QRect& frame, QWidget* parent = nullptr);

    // The class name: each subclass loads the interface of its own name.
    virtual QString nibName() const;
    // Builds the interface of that name with this control as owner; the
    // content view it builds becomes contentView(). An unknown name builds
    // nothing.
    KZCustomControl* loadFromNib(const QString& name);
    QWidget* contentView();

protected:
    bool event(QEvent* event) override;

private:
    void loadContentOnce();
    static QHash<QString, InterfaceLoader>& interfaces();
    QPointer<QWidget> m_contentView;
    bool m_loaded = false;
};
