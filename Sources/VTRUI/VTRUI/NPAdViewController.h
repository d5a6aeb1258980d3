#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QWidget>

// The ad window's content: a view holding the icon and the message. The
// outlets are set by whoever builds the view; either may be missing.
class NPAdViewController : public QObject {
    Q_OBJECT
public:
    explicit NPAdViewController(QObject* parent = nullptr);

    QWidget* view() const { return m_view; }
    void setView(QWidget* view) { m_view = view; }
    QLabel* imageView() const { return m_imageView; }
    void setImageView(QLabel* view) { m_imageView = view; }
    QLabel* textField() const { return m_textField; }
    void setTextField(QLabel* field) { m_textField = field; }

private:
    // Not owned: the views belong to the window.
    QPointer<QWidget> m_view;
    QPointer<QLabel> m_imageView;
    QPointer<QLabel> m_textField;
};
