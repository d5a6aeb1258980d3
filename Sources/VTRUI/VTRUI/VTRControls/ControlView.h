#pragma once

#include "VTRTargetAction.h"

#include <QPointer>
#include <QString>
#include <QTextDocumentFragment>
#include <QWidget>

#include <optional>

// A plain view that behaves like a control: a click sends its action, on a
// mouse-up inside the view (the default) or on the mouse-down. It draws
// nothing itself but redraws whenever its pressed or focus state changes,
// so a subclass can paint those states.
class ControlView : public QWidget {
    Q_OBJECT
public:
    explicit ControlView(QWidget* parent = nullptr);

    virtual bool sendActionOnMouseUp() const { return m_sendActionOnMouseUp; }
    virtual void setSendActionOnMouseUp(bool value) { m_sendActionOnMouseUp = value; }
    // False: clicks pass through this class untouched (to the parent).
    virtual bool isEnabledForMouseEvent() const { return m_isEnabledForMouseEvent; }
    virtual void setEnabledForMouseEvent(bool value) { m_isEnabledForMouseEvent = value; }
    virtual std::optional<QTextDocumentFragment> attributedStringValue() const { return m_attributedStringValue; }
    virtual void setAttributedStringValue(const std::optional<QTextDocumentFragment>& value)
    {
        m_attributedStringValue = value;
    }
    virtual std::optional<QString> stringTag() const { return m_stringTag; }
    virtual void setStringTag(const std::optional<QString>& value) { m_stringTag = value; }
    virtual QString action() const { return m_targetAction.action(); }
    virtual void setAction(const QString& action) { m_targetAction.setAction(action); }
    // Not owned; none (or gone) sends the action along the responder chain.
    virtual QObject* target() const { return m_targetAction.target(); }
    virtual void setTarget(QObject* target) { m_targetAction.setTarget(target); }
    virtual bool isMousePressed() const { return m_isMousePressed; }

    // Sends the action, when there is one.
    virtual void sendActionToTarget();

    // Inside means the minimum edges included, the maximum edges excluded.
    static bool boundsContain(const QSizeF& size, const QPointF& point);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_sendActionOnMouseUp = true;
    bool m_isEnabledForMouseEvent = true;
    std::optional<QTextDocumentFragment> m_attributedStringValue;
    std::optional<QString> m_stringTag;
    VTRTargetAction m_targetAction;
    bool m_isMousePressed = false;
};
