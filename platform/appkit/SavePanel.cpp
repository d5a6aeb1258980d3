#include "SavePanel.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>

namespace platform {

namespace {
SavePanel::Chooser& testChooser()
{
    static SavePanel::Chooser chooser;
    return chooser;
}

QString canonicalExtension(QString ext)
{
    ext = ext.toLower();
    if (ext == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    if (ext == QLatin1String("tiff"))
        return QStringLiteral("tif");
    return ext;
}
} // namespace

SavePanel::SavePanel() = default;

SavePanel::~SavePanel()
{
    // The accessory belongs to the caller; take it out before the dialog goes.
    if (m_accessory && m_dialog && m_accessory->parentWidget())
        m_accessory->setParent(nullptr);
    delete m_dialog;
}

void SavePanel::setTestChooser(Chooser chooser)
{
    testChooser() = std::move(chooser);
}

void SavePanel::setAccessoryView(QWidget* view)
{
    m_accessory = view;
}

void SavePanel::setAllowedFileTypes(const QStringList& types)
{
    m_types = types;
    updateDialogTypes();
}

void SavePanel::setNameFieldStringValue(const QString& name)
{
    m_name = name;
    if (m_dialog)
        m_dialog->selectFile(name);
}

QString SavePanel::nameFieldStringValue() const
{
    if (m_dialog) {
        if (auto* edit = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            return edit->text();
    }
    return m_name;
}

void SavePanel::setDirectory(const QString& directory)
{
    m_directory = directory;
    if (m_dialog)
        m_dialog->setDirectory(directory);
}

QString SavePanel::pathWithAllowedExtension(const QString& path, const QStringList& types)
{
    if (types.isEmpty() || path.isEmpty())
        return path;
    const QString ext = canonicalExtension(QFileInfo(path).suffix());
    for (const QString& type : types) {
        if (canonicalExtension(type) == ext)
            return path;
    }
    return path + QLatin1Char('.') + types.first();
}

void SavePanel::adoptTypeOfName(const QString& name)
{
    const QString ext = canonicalExtension(QFileInfo(name).suffix());
    if (ext.isEmpty())
        return;
    bool chosenByName = false;
    for (const QString& type : m_typesByName)
        chosenByName = chosenByName || canonicalExtension(type) == ext;
    if (!chosenByName)
        return;
    for (const QString& type : m_types) {
        if (canonicalExtension(type) == ext)
            return; // already the type
    }
    setAllowedFileTypes({ext});
    emit typeChosenByName(ext);
}

void SavePanel::updateDialogTypes()
{
    if (!m_dialog || m_types.isEmpty())
        return;
    QStringList patterns;
    for (const QString& type : m_types)
        patterns << QStringLiteral("*.") + type;
    m_dialog->setNameFilter(QStringLiteral("%1 (%2)").arg(m_types.first().toUpper(), patterns.join(QLatin1Char(' '))));
    m_dialog->setDefaultSuffix(m_types.first());
    // The name follows the type, as the user would expect from the picker.
    if (auto* edit = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        const QString name = edit->text();
        const QFileInfo info(name);
        if (!name.isEmpty() && !info.suffix().isEmpty()) {
            const QString renamed = pathWithAllowedExtension(name.left(name.size() - info.suffix().size() - 1), m_types);
            if (canonicalExtension(info.suffix()) != canonicalExtension(m_types.first()))
                edit->setText(renamed);
        }
    }
}

QFileDialog* SavePanel::makeDialog(QWidget* window)
{
    auto* dialog = new QFileDialog(window);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setWindowTitle(m_title.isEmpty() ? QStringLiteral("Save") : m_title);
    dialog->setDirectory(m_directory.isEmpty() ? QDir::homePath() : m_directory);
    if (m_accessory) {
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()))
            grid->addWidget(m_accessory, grid->rowCount(), 0, 1, grid->columnCount());
        m_accessory->show();
    }
    m_dialog = dialog;
    updateDialogTypes();
    if (!m_name.isEmpty())
        dialog->selectFile(m_name);
    // The type follows the name while it is typed.
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) { adoptTypeOfName(text); });
    return dialog;
}

bool SavePanel::runModal(QWidget* window)
{
    m_path.clear();
    if (testChooser()) {
        const QString chosen = testChooser()(*this);
        if (chosen.isEmpty())
            return false;
        adoptTypeOfName(chosen);
        m_path = pathWithAllowedExtension(chosen, m_types);
        return true;
    }
    QFileDialog* dialog = makeDialog(window);
    if (window)
        dialog->setWindowModality(Qt::WindowModal);
    const bool ok = dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
    if (ok) {
        adoptTypeOfName(dialog->selectedFiles().first());
        m_path = pathWithAllowedExtension(dialog->selectedFiles().first(), m_types);
    }
    if (m_accessory)
        m_accessory->setParent(nullptr);
    delete dialog;
    return ok;
}

} // namespace platform
