#include "PrivacyPolicyWindowController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/SystemLog.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include <mutex>

namespace {
std::mutex& instanceLock()
{
    static std::mutex lock;
    return lock;
}

// Kept for the whole process, never released.
PrivacyPolicyWindowController*& instanceSlot()
{
    static PrivacyPolicyWindowController* instance = nullptr;
    return instance;
}
} // namespace

PrivacyPolicyWindowController* PrivacyPolicyWindowController::sharedPrivacyPolicyWindowController()
{
    {
        const std::lock_guard<std::mutex> guard(instanceLock());
        if (instanceSlot())
            return instanceSlot();
    }
    allocate();
    const std::lock_guard<std::mutex> guard(instanceLock());
    return instanceSlot();
}

PrivacyPolicyWindowController* PrivacyPolicyWindowController::allocate()
{
    const std::lock_guard<std::mutex> guard(instanceLock());
    if (instanceSlot()) {
        platform::nsLog(
            QStringLiteral("*** Error: alloc another object!!! This MACRO only supports really singleton class."));
        return nullptr;
    }
    instanceSlot() = new PrivacyPolicyWindowController;
    return instanceSlot();
}

PrivacyPolicyWindowController::PrivacyPolicyWindowController() = default;

PrivacyPolicyWindowController::~PrivacyPolicyWindowController() = default;

QWidget* PrivacyPolicyWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window.get();
}

void PrivacyPolicyWindowController::loadWindow()
{
    m_window = std::make_unique<QWidget>(nullptr, Qt::Window);
    m_window->setObjectName(windowNibName());
    m_window->setWindowTitle(tr("Privacy Policy"));
    auto* column = new QVBoxLayout(m_window.get());
    auto* text = new QTextEdit(m_window.get());
    text->setObjectName(QStringLiteral("textView"));
    text->setReadOnly(true);
    column->addWidget(text);
    m_textView = text;
    m_window->resize(560, 480);
    windowDidLoad();
}

void PrivacyPolicyWindowController::windowDidLoad()
{
    loadDataInTextView();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}

void PrivacyPolicyWindowController::showWindow()
{
    QWidget* shown = window();
    shown->show();
    shown->raise();
    shown->activateWindow();
}

void PrivacyPolicyWindowController::loadDataInTextView()
{
    if (!m_textView)
        return;
    QFile file(platform::Bundle::pathForResource(policyResourceName(), policyResourceType()));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    if (data.isEmpty())
        return;
    m_textView->setHtml(QString::fromUtf8(data));
}
