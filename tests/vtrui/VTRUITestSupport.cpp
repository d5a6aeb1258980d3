#include "VTRUITestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

DebugLogCapture::DebugLogCapture()
{
    Debug::resetForTesting();
    Debug::doCustomConfigOneTime(Debug::Level::INF, Debug::Level::VBO, {},
                                 [this](Debug::Level, const QString& text) { m_lines << text; });
}

DebugLogCapture::~DebugLogCapture()
{
    Debug::resetForTesting();
}

bool DebugLogCapture::contains(const QString& part) const
{
    for (const QString& line : m_lines) {
        if (line.contains(part))
            return true;
    }
    return false;
}

AlertRecorder::AlertRecorder()
{
    m_previous = UIUtil::setAlertPresenter([this](const UIUtil::AlertRequest& request) { m_alerts << request; });
}

AlertRecorder::~AlertRecorder()
{
    UIUtil::setAlertPresenter(m_previous);
}

MessageBoxDismisser::MessageBoxDismisser()
{
    m_previous = UIUtil::setAlertPresenter([this](const UIUtil::AlertRequest& request) {
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texts << box->text();
                m_informativeTexts << box->informativeText();
                box->accept();
                poll->stop();
            }
        });
        poll->start();
        UIUtil::presentWithMessageBox(request);
        delete poll;
    });
}

MessageBoxDismisser::~MessageBoxDismisser()
{
    UIUtil::setAlertPresenter(m_previous);
}

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWidget>

bool showAndActivate(QWidget& window)
{
    window.show();
    window.activateWindow();
    QElapsedTimer clock;
    clock.start();
    while (QApplication::activeWindow() != &window && clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return QApplication::activeWindow() == &window;
}

void pressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void processEventsFor(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

#include <QDesktopServices>

UrlRecorder::UrlRecorder(const QStringList& schemes)
    : m_schemes(schemes)
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::setUrlHandler(scheme, this, "openUrl");
}

UrlRecorder::~UrlRecorder()
{
    for (const QString& scheme : m_schemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

ResourceFolderOverride::ResourceFolderOverride(const QString& path)
    : m_previous(qgetenv("VELUMO_SHARE_DIR"))
{
    qputenv("VELUMO_SHARE_DIR", path.toLocal8Bit());
}

ResourceFolderOverride::~ResourceFolderOverride()
{
    qputenv("VELUMO_SHARE_DIR", m_previous);
}

#include <QMouseEvent>

void sendMouse(QWidget* widget, int type, const QPointF& point)
{
    const auto eventType = QEvent::Type(type);
    const Qt::MouseButton button = eventType == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = eventType == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(eventType, point, widget->mapToGlobal(point), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
