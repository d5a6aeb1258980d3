#include "SWSizeWindowController.h"

#include "CHStringsTable.h"
#include "SWCanvasSizeLimit.h"
#include "SWImageTools.h"

#include "platform/appkit/Beep.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/Sheet.h"
#include "platform/foundation/UserDefaults.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QFormLayout>
#include <QGuiApplication>
#include <QIntValidator>
#include <QStandardItemModel>
#include <QVBoxLayout>


namespace {
const QString kHorizontalSizeKey = QStringLiteral("HorizontalSize");
const QString kVerticalSizeKey = QStringLiteral("VerticalSize");

QString localized(const QString& key)
{
    return CHStringsTable::named(QStringLiteral("Localizable")).localizedString(key);
}

int fieldValue(const QLineEdit* field)
{
    if (!field)
        return 0;
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}
} // namespace

SWSizeWindowController::SWSizeWindowController(QObject* parent)
    : QObject(parent)
{
}

SWSizeWindowController::~SWSizeWindowController()
{
    // The sheet is a child of the document's window while it runs; when
    // that window went first, so did the sheet.
    delete m_window.data();
}

QSize SWSizeWindowController::presetSize(int item)
{
    switch (item) {
    case Preset640x480Item:
        return {640, 480};
    case Preset800x600Item:
        return {800, 600};
    case Preset1024x768Item:
        return {1024, 768};
    case Preset1280x1024Item:
        return {1280, 1024};
    default:
        return {};
    }
}

QDialog* SWSizeWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window;
}

void SWSizeWindowController::loadWindow()
{
    auto* dialog = new QDialog;
    dialog->setObjectName(windowNibName());
    dialog->setWindowTitle(tr("Picture Size"));
    // The application's Quit closes this sheet (and only this one) first.
    dialog->setProperty("windowControllerClass", QStringLiteral("SWSizeWindowController"));

    auto* column = new QVBoxLayout(dialog);
    auto* form = new QFormLayout;
    m_sizeButton = new QComboBox(dialog);
    m_sizeButton->setObjectName(QStringLiteral("sizeButton"));
    m_widthField = new QLineEdit(dialog);
    m_widthField->setObjectName(QStringLiteral("widthField"));
    m_heightField = new QLineEdit(dialog);
    m_heightField->setObjectName(QStringLiteral("heightField"));
    for (QLineEdit* field : {m_widthField.data(), m_heightField.data()}) {
        field->setValidator(new QIntValidator(0, 999999, field));
        field->setAlignment(Qt::AlignRight);
    }
    form->addRow(tr("Width:"), m_widthField);
    form->addRow(tr("Height:"), m_heightField);
    form->addRow(tr("Size:"), m_sizeButton);
    column->addLayout(form);

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

    QWidget::setTabOrder(m_widthField, m_heightField);
    QWidget::setTabOrder(m_heightField, m_sizeButton);
    QWidget::setTabOrder(m_sizeButton, m_cancelButton);
    QWidget::setTabOrder(m_cancelButton, m_okButton);

    m_window = dialog;
    windowDidLoad();
}

void SWSizeWindowController::windowDidLoad()
{
    for (QLineEdit* field : {m_widthField.data(), m_heightField.data()})
        connect(field, &QLineEdit::textChanged, this, [this] { textDidChange(); });
    auto& defaults = platform::UserDefaults::standard();
    setWidth(defaults.integer(kHorizontalSizeKey));
    setHeight(defaults.integer(kVerticalSizeKey));
    rebuildSizeButton();
    connect(m_sizeButton, &QComboBox::activated, this, [this](int item) { changeSizeButton(item); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { validateSizeButton(); });
    textDidChange();
    m_widthField->setFocus();
    m_widthField->selectAll();
}

void SWSizeWindowController::rebuildSizeButton()
{
    const QSignalBlocker block(m_sizeButton);
    m_sizeButton->clear();
    m_sizeButton->addItem(localized(QStringLiteral("From Pasteboard")));
    m_sizeButton->addItem(localized(QStringLiteral("Custom")));
    m_sizeButton->insertSeparator(SeparatorItem);
    for (const char* key : {"640_480", "800_600", "1024_768", "1280_1024"})
        m_sizeButton->addItem(localized(QString::fromLatin1(key)));
    validateSizeButton();
}

void SWSizeWindowController::beginSheet(QWidget* documentWindow, std::function<void(int)> didEnd)
{
    QDialog* sheet = window();
    m_refusalLabel->clear();
    m_refusalLabel->hide();
    validateSizeButton();
    platform::Sheet::begin(sheet, documentWindow, std::move(didEnd));
    m_widthField->setFocus();
    m_widthField->selectAll();
}

bool SWSizeWindowController::validateMenuItem(int item) const
{
    if (item == FromPasteboardItem)
        return platform::Pasteboard::general().hasImageType();
    return true;
}

void SWSizeWindowController::validateSizeButton()
{
    if (!m_sizeButton)
        return;
    auto* model = qobject_cast<QStandardItemModel*>(m_sizeButton->model());
    if (!model)
        return;
    if (QStandardItem* item = model->item(FromPasteboardItem))
        item->setEnabled(validateMenuItem(FromPasteboardItem));
}

void SWSizeWindowController::changeSizeButton(int item)
{
    if (item == FromPasteboardItem) {
        const QImage picture = SWImageTools::readImageFromPasteboard(QGuiApplication::clipboard()->mimeData());
        if (picture.isNull())
            return;
        // Pixels, so the picture fits the new canvas exactly: sizes in points
        // would follow whatever resolution the copying program stamped on it
        // (96 dots per inch for most, which would leave a canvas a quarter
        // too small).
        setWidth(picture.width());
        setHeight(picture.height());
        return;
    }
    const QSize preset = presetSize(item);
    if (preset.isEmpty())
        return;
    setWidth(preset.width());
    setHeight(preset.height());
}

void SWSizeWindowController::textDidChange()
{
    if (!m_sizeButton)
        return;
    const QSize typed(fieldValue(m_widthField), fieldValue(m_heightField));
    int item = CustomItem;
    for (int preset = Preset640x480Item; preset <= Preset1280x1024Item; ++preset) {
        if (presetSize(preset) == typed)
            item = preset;
    }
    const QSignalBlocker block(m_sizeButton);
    m_sizeButton->setCurrentIndex(item);
}

void SWSizeWindowController::endSheet(int tag)
{
    if (!m_window)
        return;
    if (tag == 1) {
        const QSize size(width(), height());
        if (!SWCanvasSizeLimit::allows(QSizeF(size))) {
            showRefusal(SWCanvasSizeLimit::refusalReason(QSizeF(size)));
            return;
        }
        auto& defaults = platform::UserDefaults::standard();
        defaults.setValue(kHorizontalSizeKey, size.width());
        defaults.setValue(kVerticalSizeKey, size.height());
        m_refusalLabel->hide();
        m_window->done(1);
        return;
    }
    m_window->done(0);
}

int SWSizeWindowController::width() const
{
    return fieldValue(m_widthField);
}

int SWSizeWindowController::height() const
{
    return fieldValue(m_heightField);
}

void SWSizeWindowController::setWidth(int width)
{
    window();
    m_widthField->setText(QString::number(width));
}

void SWSizeWindowController::setHeight(int height)
{
    window();
    m_heightField->setText(QString::number(height));
}

QString SWSizeWindowController::refusalMessage() const
{
    return m_refusalLabel && !m_refusalLabel->isHidden() ? m_refusalLabel->text() : QString();
}

void SWSizeWindowController::showRefusal(const QString& reason)
{
    platform::Beep::play();
    if (!m_refusalLabel)
        return;
    m_refusalLabel->setText(reason);
    m_refusalLabel->setVisible(!reason.isEmpty());
}
