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
    // Types a name typed with their extension chooses, as the user means it:
    // typing "copy.jpg" while PNG is allowed makes JPEG the allowed type
    // (and typeChosenByName tells the caller, whose type pop-up follows), at
    // once while the name is typed and when the panel closes.
    void setTypesChosenByName(const QStringList& types) { m_typesByName = types; }
    QStringList typesChosenByName() const { return m_typesByName; }
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

signals:
    // A typed name chose this type (a lower-case extension of the types
    // chosen by name); the panel has already made it the allowed type.
    void typeChosenByName(const QString& type);

private:
    void adoptTypeOfName(const QString& name);
    QFileDialog* makeDialog(QWidget* window);
    void updateDialogTypes();
    QPointer<QFileDialog> m_dialog;
    QPointer<QWidget> m_accessory;
    QStringList m_types;
    QStringList m_typesByName;
    QString m_name;
    QString m_directory;
    QString m_title;
    QString m_path;
};

} // namespace platform
