#pragma once

#include "Debug.h"
#include "UIUtil.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

// Collects the lines of the logging facility while it lives; the facility
// goes back to its defaults afterwards.
class DebugLogCapture {
public:
    DebugLogCapture();
    ~DebugLogCapture();
    DebugLogCapture(const DebugLogCapture&) = delete;
    DebugLogCapture& operator=(const DebugLogCapture&) = delete;

    const QStringList& lines() const { return m_lines; }
    bool contains(const QString& part) const;
    void clear() { m_lines.clear(); }

private:
    QStringList m_lines;
};

// Records the alerts instead of showing them; the previous presenter comes
// back afterwards.
class AlertRecorder {
public:
    AlertRecorder();
    ~AlertRecorder();
    AlertRecorder(const AlertRecorder&) = delete;
    AlertRecorder& operator=(const AlertRecorder&) = delete;

    const QList<UIUtil::AlertRequest>& alerts() const { return m_alerts; }
    int count() const { return int(m_alerts.size()); }
    QString lastMessage() const { return m_alerts.isEmpty() ? QString() : m_alerts.last().messageText; }
    void clear() { m_alerts.clear(); }

private:
    QList<UIUtil::AlertRequest> m_alerts;
    UIUtil::AlertPresenter m_previous;
};

// Runs the real message box and dismisses it as soon as it is up; counts how
// many were shown and what they said.
class MessageBoxDismisser {
public:
    MessageBoxDismisser();
    ~MessageBoxDismisser();
    MessageBoxDismisser(const MessageBoxDismisser&) = delete;
    MessageBoxDismisser& operator=(const MessageBoxDismisser&) = delete;

    int count() const { return int(m_texts.size()); }
    const QStringList& texts() const { return m_texts; }
    const QStringList& informativeTexts() const { return m_informativeTexts; }

private:
    QStringList m_texts;
    QStringList m_informativeTexts;
    UIUtil::AlertPresenter m_previous;
};

class QWidget;

// Shows the window and waits until it is the active window, so focus changes
// inside it send their events.
bool showAndActivate(QWidget& window);
// Presses and releases a key on the widget.
void pressKey(QWidget* widget, int key);
// Lets queued and timed work run for the given time.
void processEventsFor(int milliseconds);

// Takes the URLs the program asks the desktop to open, for the schemes given,
// instead of starting a browser or a viewer.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit UrlRecorder(const QStringList& schemes);
    ~UrlRecorder() override;

    const QList<QUrl>& urls() const { return m_urls; }

public slots:
    void openUrl(const QUrl& url) { m_urls << url; }

private:
    QStringList m_schemes;
    QList<QUrl> m_urls;
};

// Points the program's resource folder somewhere else while it lives.
class ResourceFolderOverride {
public:
    explicit ResourceFolderOverride(const QString& path);
    ~ResourceFolderOverride();
    ResourceFolderOverride(const ResourceFolderOverride&) = delete;
    ResourceFolderOverride& operator=(const ResourceFolderOverride&) = delete;

private:
    QByteArray m_previous;
};

// Receives actions by name ("performAction:") and counts them with their
// senders.
class ActionRecorder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    int count() const { return int(m_senders.size()); }
    QObject* lastSender() const { return m_senders.isEmpty() ? nullptr : m_senders.last(); }
    void clear() { m_senders.clear(); }

public slots:
    void performAction(QObject* sender) { m_senders << sender; }

private:
    QList<QObject*> m_senders;
};

// Sends a mouse event of the type to the widget at the point (in its own
// coordinates), as a pressed-button drag would deliver it.
void sendMouse(QWidget* widget, int type, const QPointF& point);
