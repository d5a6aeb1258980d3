#include "SWResizeWindowController.h"

#include "SWCanvasSizeLimit.h"

#include "platform/appkit/Beep.h"
#include "platform/appkit/Sheet.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QEvent>
#include <QGridLayout>
#include <QVBoxLayout>

#include <cmath>

namespace {
// Percent: two fraction digits, up to a thousandfold. Pixels: whole numbers
// up to the longest side a canvas may have.
constexpr double kMinimumPercent = 0.01;
constexpr double kMaximumPercent = 100000;
} // namespace

SWResizeWindowController::SWResizeWindowController(QObject* parent)
    : QObject(parent)
{
}

SWResizeWindowController::~SWResizeWindowController()
{
    delete m_window.data();
}

QDialog* SWResizeWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window;
}

void SWResizeWindowController::loadWindow()
{
    auto* dialog = new QDialog;
    dialog->setObjectName(windowNibName());
    dialog->setWindowTitle(tr("Resize"));

    auto* column = new QVBoxLayout(dialog);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Current size:"), dialog), 0, 0, 1, 4);
    grid->addWidget(new QLabel(tr("Width:"), dialog), 1, 0);
    m_widthFieldOriginal = new QLabel(dialog);
    m_widthFieldOriginal->setObjectName(QStringLiteral("widthFieldOriginal"));
    grid->addWidget(m_widthFieldOriginal, 1, 1);
    grid->addWidget(new QLabel(tr("Height:"), dialog), 2, 0);
    m_heightFieldOriginal = new QLabel(dialog);
    m_heightFieldOriginal->setObjectName(QStringLiteral("heightFieldOriginal"));
    grid->addWidget(m_heightFieldOriginal, 2, 1);
    grid->addWidget(new QLabel(tr("pixels"), dialog), 1, 2);
    grid->addWidget(new QLabel(tr("pixels"), dialog), 2, 2);

    auto* newSize = new QLabel(tr("New size:"), dialog);
    grid->addWidget(newSize, 3, 0, 1, 2);
    m_unitButton = new QComboBox(dialog);
    // Each label names the control beside it, for accessibility clients.
    newSize->setBuddy(m_unitButton);
    m_unitButton->setObjectName(QStringLiteral("unitButton"));
    m_unitButton->addItems({tr("Percent"), tr("Pixels")});
    grid->addWidget(m_unitButton, 3, 2, 1, 2);
    auto* newWidth = new QLabel(tr("Width:"), dialog);
    grid->addWidget(newWidth, 4, 0);
    m_widthFieldNew = new VTRNumericTextField(dialog);
    newWidth->setBuddy(m_widthFieldNew);
    m_widthFieldNew->setObjectName(QStringLiteral("widthFieldNew"));
    grid->addWidget(m_widthFieldNew, 4, 1);
    m_widthUnits = new QLabel(dialog);
    m_widthUnits->setObjectName(QStringLiteral("widthUnits"));
    grid->addWidget(m_widthUnits, 4, 2);
    auto* newHeight = new QLabel(tr("Height:"), dialog);
    grid->addWidget(newHeight, 5, 0);
    m_heightFieldNew = new VTRNumericTextField(dialog);
    newHeight->setBuddy(m_heightFieldNew);
    m_heightFieldNew->setObjectName(QStringLiteral("heightFieldNew"));
    grid->addWidget(m_heightFieldNew, 5, 1);
    m_heightUnits = new QLabel(dialog);
    m_heightUnits->setObjectName(QStringLiteral("heightUnits"));
    grid->addWidget(m_heightUnits, 5, 2);
    column->addLayout(grid);

    m_refusalLabel = new QLabel(dialog);
    m_refusalLabel->setObjectName(QStringLiteral("refusalMessage"));
    m_refusalLabel->setWordWrap(true);
    m_refusalLabel->hide();
    column->addWidget(m_refusalLabel);

    auto* buttons = new QDialogButtonBox(dialog);
    m_cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    m_okButton = buttons->addButton(QDialogButtonBox::Ok);
    m_okButton->setDefault(true);
    column->addWidget(buttons);
    connect(m_okButton, &QPushButton::clicked, this, [this] { endSheet(1); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { endSheet(0); });
    connect(m_unitButton, &QComboBox::activated, this, [this](int unit) {
        m_selectedUnit = unit;
        changeUnits();
    });

    QWidget::setTabOrder(m_widthFieldNew, m_heightFieldNew);
    QWidget::setTabOrder(m_heightFieldNew, m_unitButton);
    QWidget::setTabOrder(m_unitButton, m_cancelButton);
    QWidget::setTabOrder(m_cancelButton, m_okButton);

    // Return in a field hands the focus back here.
    VTRNumericTextField::setInitialFirstResponder(dialog, m_widthFieldNew);
    m_window = dialog;
    dialog->installEventFilter(this);
    {
        const QSignalBlocker block(m_unitButton);
        m_unitButton->setCurrentIndex(m_selectedUnit);
    }
    configureFieldsForUnit();
}

void SWResizeWindowController::setSelectedUnit(int unit)
{
    m_selectedUnit = unit;
    if (m_unitButton) {
        const QSignalBlocker block(m_unitButton);
        m_unitButton->setCurrentIndex(unit == PixelsUnit ? PixelsUnit : PercentUnit);
    }
}

void SWResizeWindowController::configureFieldsForUnit()
{
    if (!m_widthFieldNew || !m_heightFieldNew)
        return;
    const bool pixels = m_selectedUnit == PixelsUnit;
    for (VTRNumericTextField* field : {m_widthFieldNew.data(), m_heightFieldNew.data()}) {
        field->setAllowsFloats(!pixels);
        field->setMinimumValue(pixels ? 1 : kMinimumPercent);
        field->setMaximumValue(pixels ? SWCanvasSizeLimit::kMaximumSide : kMaximumPercent);
    }
    const QString unit = pixels ? tr("pixels") : tr("percent");
    m_widthUnits->setText(unit);
    m_heightUnits->setText(unit);
}

void SWResizeWindowController::showNewValues(double width, double height)
{
    configureFieldsForUnit();
    m_widthFieldNew->updateCurrentValueOnlyNeeded(width);
    m_heightFieldNew->updateCurrentValueOnlyNeeded(height);
}

void SWResizeWindowController::beginSheet(QWidget* documentWindow, std::function<void(int)> didEnd)
{
    QDialog* sheet = window();
    m_refusalLabel->clear();
    m_refusalLabel->hide();
    platform::Sheet::begin(sheet, documentWindow, std::move(didEnd));
    m_widthFieldNew->setFocus();
    m_widthFieldNew->selectAll();
}

bool SWResizeWindowController::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: while the sheet is being destroyed it is no dialog any more.
    if (event->type() == QEvent::Show && watched == m_window.data())
        windowDidBecomeKey();
    return QObject::eventFilter(watched, event);
}

void SWResizeWindowController::windowDidBecomeKey()
{
    window();
    m_widthFieldOriginal->setText(QString::number(int(m_originalSize.width())));
    m_heightFieldOriginal->setText(QString::number(int(m_originalSize.height())));
    m_newSize = m_originalSize;
    if (m_selectedUnit == PixelsUnit)
        showNewValues(m_newSize.width(), m_newSize.height());
    else if (m_selectedUnit == PercentUnit)
        showNewValues(100, 100);
}

void SWResizeWindowController::changeUnits()
{
    window();
    if (m_selectedUnit == PixelsUnit) {
        showNewValues(m_newSize.width(), m_newSize.height());
    } else if (m_selectedUnit == PercentUnit) {
        const double w = m_originalSize.width() > 0 ? m_newSize.width() * 100 / m_originalSize.width() : 100;
        const double h = m_originalSize.height() > 0 ? m_newSize.height() * 100 / m_originalSize.height() : 100;
        showNewValues(w, h);
    }
}

void SWResizeWindowController::endSheet(int tag)
{
    if (!m_window)
        return;
    if (tag != 1) {
        m_window->done(0);
        return;
    }
    // What is still being typed counts: its editing ends now.
    for (VTRNumericTextField* field : {m_widthFieldNew.data(), m_heightFieldNew.data()}) {
        if (field->hasFocus())
            field->textDidEndEditing();
    }
    if (!m_window)
        return;
    const double w = m_widthFieldNew->currentValue();
    const double h = m_heightFieldNew->currentValue();
    if (!(w > 0) || !(h > 0)) {
        showRefusal(SWCanvasSizeLimit::refusalReason(QSizeF(0, 0)));
        return;
    }
    QSizeF size;
    if (m_selectedUnit == PixelsUnit)
        size = QSizeF(std::trunc(w), std::trunc(h));
    else
        size = QSizeF(std::trunc(m_originalSize.width() * w / 100), std::trunc(m_originalSize.height() * h / 100));
    // A small percentage of a small picture would leave no pixel at all.
    if (!SWCanvasSizeLimit::allows(size)) {
        showRefusal(SWCanvasSizeLimit::refusalReason(size));
        return;
    }
    m_newSize = size;
    m_refusalLabel->hide();
    m_window->done(1);
}

QString SWResizeWindowController::refusalMessage() const
{
    return m_refusalLabel && !m_refusalLabel->isHidden() ? m_refusalLabel->text() : QString();
}

void SWResizeWindowController::showRefusal(const QString& reason)
{
    platform::Beep::play();
    if (!m_refusalLabel)
        return;
    m_refusalLabel->setText(reason);
    m_refusalLabel->setVisible(!reason.isEmpty());
}
