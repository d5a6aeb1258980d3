#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <QStringList>

#include <functional>

class QFileDialog;
class QWidget;

namespace platform {

// The dialog that asks where to save: a name, a folder, the allowed file
// types (extensions such as "png"; the chosen name always ends in one of
// them) and an accessory view of the caller's below the file list.
class SavePanel : public QObject {
    Q_OBJECT
public:
    SavePanel();
    ~SavePanel() override;

    void setAccessoryView(QWidget* view);
    QWidget* accessoryView() const { return m_accessory; }
    // May change while the panel shows; the name's extension follows.
    void setAllowedFileTypes(const QStringList& types);
    QStringList allowedFileTypes() const { return m_types; }
    void setNameFieldStringValue(const QString& name);
    QString nameFieldStringValue() const;
    void setDirectory(const QString& directory);
    void setTitle(const QString& title) { m_title = title; }

    // The chosen path, ending in an allowed extension.
    QString filePath() const { return m_path; }

    // Runs modal to the window (application-modal without one); true when
    // the user chose a place.
    bool runModal(QWidget* window);

    // Tests choose without showing: while set, a run hands the panel to the
    // chooser, which returns the path (empty: the user cancelled).
    using Chooser = std::function<QString(SavePanel&)>;
    static void setTestChooser(Chooser chooser);

    // The name with an allowed extension: kept when it has one ("jpeg" and
    // "tiff" count for "jpg" and "tif"), else the first allowed one added.
    static QString pathWithAllowedExtension(const QString& path, const QStringList& types);

private:
    QFileDialog* makeDialog(QWidget* window);
    void updateDialogTypes();
    QPointer<QFileDialog> m_dialog;
    QPointer<QWidget> m_accessory;
    QStringList m_types;
    QString m_name;
    QString m_directory;
    QString m_title;
    QString m_path;
};

} // namespace platform
