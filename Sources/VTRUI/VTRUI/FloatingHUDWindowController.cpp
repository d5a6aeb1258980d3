#include "FloatingHUDWindowController.h"

#include "FloatingHUDWindow.h"

#include "platform/foundation/SystemLog.h"

#include <QFontDatabase>
#include <QLabel>

#include <cmath>
#include <optional>

namespace {
// The small control size's system font size.
constexpr qreal kSmallFontPointSize = 11.0;

// The user's fixed-pitch font, or failing that the generic monospace family;
// nothing when neither resolves to a fixed-pitch face.
std::optional<QFont> fixedPitchFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(font).fixedPitch())
        return font;
    for (const char* family : {"monospace", "DejaVu Sans Mono"}) {
        font = QFont(QString::fromLatin1(family));
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        if (QFontInfo(font).fixedPitch())
            return font;
    }
    return std::nullopt;
}
} // namespace

FloatingHUDWindowController::FloatingHUDWindowController() = default;

FloatingHUDWindowController::~FloatingHUDWindowController() = default;

QWidget* FloatingHUDWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window.get();
}

void FloatingHUDWindowController::loadWindow()
{
    auto window = std::make_unique<FloatingHUDWindow>();
    window->setObjectName(windowNibName());
    auto* label = new QLabel(window.get());
    label->setObjectName(QStringLiteral("textLabel"));
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    m_textLabel = label;
    m_window = std::move(window);
    windowDidLoad();
}

void FloatingHUDWindowController::windowDidLoad()
{
    if (!m_window)
        return;
    m_window->setWindowOpacity(1.0);
    m_window->setAttribute(Qt::WA_TranslucentBackground);
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    m_window->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (m_textLabel) {
        if (std::optional<QFont> font = fixedPitchFont()) {
            font->setPointSizeF(kSmallFontPointSize);
            m_textLabel->setFont(*font);
        }
        m_textLabel->setText(QString());
    }
    sizeAllToFit();
}

void FloatingHUDWindowController::showWindow()
{
    QWidget* hud = window();
    hud->show();
    hud->raise();
}

void FloatingHUDWindowController::close()
{
    if (m_window)
        m_window->close();
}

void FloatingHUDWindowController::sizeAllToFit()
{
    if (!m_window) {
        platform::nsLog(QStringLiteral("Window is not loaded when sizeAllToFit()"));
        return;
    }
    if (!m_textLabel)
        return;
    m_textLabel->adjustSize();
    const QSize labelSize(int(std::ceil(m_textLabel->width())), int(std::ceil(m_textLabel->height())));
    m_window->resize(labelSize.width() + kContentInsets.left() + kContentInsets.right(),
                     labelSize.height() + kContentInsets.top() + kContentInsets.bottom());
    m_textLabel->move(kContentInsets.left(), kContentInsets.top());
}
