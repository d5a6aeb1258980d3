#include "platform/appkit/Alert.h"
#include "platform/appkit/Document.h"
#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/SavePanel.h"
#include "platform/appkit/UndoManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {
// A document whose content is a line of text.
class TextDocument : public platform::Document {
public:
    bool readFromFile(const QString& path, const QString&, QString* error) override
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return false;
        }
        const QByteArray bytes = file.readAll();
        if (bytes.startsWith("BAD")) {
            *error = QStringLiteral("not a text document");
            return false;
        }
        content = bytes;
        return true;
    }
    QByteArray dataOfType(const QString&, QString* error) override
    {
        if (failWrites) {
            *error = QStringLiteral("the encoder gave up");
            return {};
        }
        return content;
    }
    void edit(const QByteArray& text)
    {
        undoManager()->registerUndo([this, old = content] { restore(old); });
        content = text;
    }
    void restore(const QByteArray& text)
    {
        undoManager()->registerUndo([this, old = content] { restore(old); });
        content = text;
    }
    QByteArray content;
    bool failWrites = false;
};

// A text document that reads on after its window shows, until the test
// lets the read end.
class LateTextDocument : public TextDocument {
public:
    bool beginReadingFromFile(const QString& path, const QString&, QString* error) override
    {
        if (QFileInfo(path).size() == 0) {
            *error = QStringLiteral("nothing to read");
            return false;
        }
        pending = path;
        setReading(true);
        return true;
    }
    void finish()
    {
        QString error;
        const bool ok = readFromFile(pending, QString(), &error);
        didFinishReading(ok, error);
    }
    QString pending;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void endOfEvent()
{
    QCoreApplication::processEvents();
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto& controller = platform::DocumentController::shared();
        controller.setQuitsWhenLastDocumentCloses(false);
        controller.setDocumentFactory([] { return new TextDocument; });
        platform::Alert::setTestResponder([this](const platform::Alert& alert) {
            alerts << alert.messageText();
            return answer;
        });
    }
    void TearDown() override
    {
        platform::Alert::setTestResponder({});
        platform::SavePanel::setTestChooser({});
        platform::DocumentController::shared().closeAllDocuments();
        flushDeletes();
    }
    QTemporaryDir dir;
    QStringList alerts;
    int answer = platform::Alert::FirstButton;
};
} // namespace

TEST_F(DocumentTest, EditedStateFollowsTheUndoSteps)
{
    TextDocument doc;
    EXPECT_FALSE(doc.isDocumentEdited());
    doc.edit("one");
    endOfEvent();
    EXPECT_TRUE(doc.isDocumentEdited());
    doc.undoManager()->undo();
    EXPECT_FALSE(doc.isDocumentEdited());
    EXPECT_EQ(doc.content, QByteArray());
    doc.undoManager()->redo();
    EXPECT_TRUE(doc.isDocumentEdited());
    EXPECT_EQ(doc.content, QByteArray("one"));

    // Saving marks the saved state; undoing past it is an edit again.
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    doc.setFilePath(path);
    ASSERT_TRUE(doc.saveDocument());
    EXPECT_FALSE(doc.isDocumentEdited());
    doc.undoManager()->undo();
    EXPECT_TRUE(doc.isDocumentEdited());
    doc.undoManager()->redo();
    EXPECT_FALSE(doc.isDocumentEdited());
}

TEST_F(DocumentTest, AFailedSaveLeavesTheOldFileAsItWas)
{
    const QString path = dir.filePath(QStringLiteral("keep.txt"));
    writeFile(path, "the old content");
    TextDocument doc;
    doc.setFilePath(path);
    doc.content = "new";
    doc.edit("newer");
    endOfEvent();

    doc.failWrites = true;
    EXPECT_FALSE(doc.saveDocument());
    EXPECT_EQ(readAll(path), QByteArray("the old content"));
    EXPECT_TRUE(doc.isDocumentEdited());
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].contains(QLatin1String("could not be saved")));

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.txt")});

    doc.failWrites = false;
    EXPECT_TRUE(doc.saveDocument());
    EXPECT_EQ(readAll(path), QByteArray("newer"));
    EXPECT_FALSE(doc.isDocumentEdited());
}

TEST_F(DocumentTest, ClosingAnEditedDocumentAsksFirst)
{
    auto& controller = platform::DocumentController::shared();
    auto* doc = static_cast<TextDocument*>(controller.openUntitledDocumentAndDisplay(false));
    ASSERT_NE(doc, nullptr);
    QPointer<platform::Document> guard(doc);
    doc->edit("unsaved work");
    endOfEvent();

    answer = platform::Alert::ThirdButton; // Cancel
    EXPECT_FALSE(doc->performClose());
    flushDeletes();
    ASSERT_TRUE(guard);
    EXPECT_TRUE(controller.documents().contains(doc));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].startsWith(QLatin1String("Do you want to save the changes made to the document")));

    // Save: an untitled document asks where; cancelling that keeps it open.
    answer = platform::Alert::FirstButton;
    platform::SavePanel::setTestChooser([](platform::SavePanel&) { return QString(); });
    EXPECT_FALSE(doc->performClose());
    EXPECT_TRUE(controller.documents().contains(doc));

    const QString path = dir.filePath(QStringLiteral("kept"));
    platform::SavePanel::setTestChooser([&path](platform::SavePanel& panel) {
        panel.setAllowedFileTypes({QStringLiteral("txt")});
        return path;
    });
    EXPECT_TRUE(doc->performClose());
    flushDeletes();
    EXPECT_FALSE(guard);
    EXPECT_EQ(readAll(path + QStringLiteral(".txt")), QByteArray("unsaved work"));
    EXPECT_TRUE(controller.documents().isEmpty());
}

TEST_F(DocumentTest, DontSaveClosesAndAnUneditedDocumentClosesWithoutAQuestion)
{
    auto& controller = platform::DocumentController::shared();
    auto* edited = static_cast<TextDocument*>(controller.openUntitledDocumentAndDisplay(false));
    auto* clean = controller.openUntitledDocumentAndDisplay(false);
    edited->edit("x");
    endOfEvent();
    answer = platform::Alert::SecondButton; // Don't Save
    EXPECT_TRUE(clean->performClose());
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_TRUE(edited->performClose());
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_TRUE(controller.documents().isEmpty());
}

TEST_F(DocumentTest, QuittingReviewsEveryEditedDocumentAndStopsAtCancel)
{
    auto& controller = platform::DocumentController::shared();
    auto* first = static_cast<TextDocument*>(controller.openUntitledDocumentAndDisplay(false));
    auto* second = static_cast<TextDocument*>(controller.openUntitledDocumentAndDisplay(false));
    first->edit("1");
    second->edit("2");
    endOfEvent();
    answer = platform::Alert::ThirdButton;
    EXPECT_FALSE(controller.reviewUnsavedDocuments());
    EXPECT_EQ(alerts.size(), 1);
    answer = platform::Alert::SecondButton;
    EXPECT_TRUE(controller.reviewUnsavedDocuments());
    EXPECT_EQ(alerts.size(), 3);
}

TEST_F(DocumentTest, OpeningFilesAsDocuments)
{
    auto& controller = platform::DocumentController::shared();
    const QString good = dir.filePath(QStringLiteral("Good.TXT"));
    const QString bad = dir.filePath(QStringLiteral("bad.txt"));
    writeFile(good, "hello");
    writeFile(bad, "BAD bytes");

    QString error;
    EXPECT_EQ(controller.openDocument(dir.filePath(QStringLiteral("missing.txt")), false, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_EQ(controller.openDocument(bad, false, &error), nullptr);
    EXPECT_EQ(error, QStringLiteral("not a text document"));
    EXPECT_TRUE(controller.documents().isEmpty());

    platform::Document* doc = controller.openDocument(good, false, &error);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->displayName(), QStringLiteral("Good.TXT"));
    EXPECT_EQ(doc->fileType(), QStringLiteral("txt"));
    EXPECT_EQ(controller.openDocument(good, false), doc);
    EXPECT_EQ(controller.documents().size(), 1);

    // The window carries the name, marked while edited.
    doc->makeWindowControllers();
    ASSERT_NE(doc->window(), nullptr);
    EXPECT_EQ(doc->window()->windowTitle(), QStringLiteral("Good.TXT[*]"));
}

TEST_F(DocumentTest, TypesComeFromExtensions)
{
    struct Case {
        const char* path;
        const char* type;
    } cases[] = {{"a.PNG", "png"}, {"a.jpeg", "jpg"}, {"a.JPG", "jpg"}, {"a.tiff", "tif"},
                 {"a.tif", "tif"}, {"a.gif", "gif"}, {"noext", "png"}};
    for (const Case& c : cases)
        EXPECT_EQ(platform::DocumentController::typeForPath(QString::fromUtf8(c.path)), QString::fromUtf8(c.type))
            << c.path;
}

TEST_F(DocumentTest, RevertReadsTheFileAgainAndForgetsTheSteps)
{
    const QString path = dir.filePath(QStringLiteral("r.txt"));
    writeFile(path, "saved");
    auto* doc = static_cast<TextDocument*>(platform::DocumentController::shared().openDocument(path, false));
    ASSERT_NE(doc, nullptr);
    platform::MenuItem revert(QStringLiteral("Revert"), QStringLiteral("revertDocumentToSaved:"));
    EXPECT_FALSE(doc->validateMenuItem(&revert)); // nothing to throw away yet
    doc->edit("changed");
    endOfEvent();
    EXPECT_TRUE(doc->validateMenuItem(&revert));
    TextDocument untitled;
    untitled.edit("x");
    endOfEvent();
    EXPECT_FALSE(untitled.validateMenuItem(&revert));
    answer = platform::Alert::SecondButton; // Cancel
    EXPECT_FALSE(doc->revertDocumentToSaved());
    EXPECT_EQ(doc->content, QByteArray("changed"));
    answer = platform::Alert::FirstButton; // Revert
    EXPECT_TRUE(doc->revertDocumentToSaved());
    EXPECT_EQ(doc->content, QByteArray("saved"));
    EXPECT_FALSE(doc->isDocumentEdited());
    EXPECT_FALSE(doc->undoManager()->canUndo());
}

// The untitled window the program opens at start gives way to the first
// file the user opens, unless it was used or is not alone.
TEST_F(DocumentTest, AnUntouchedUntitledDocumentIsReplacedByTheDocumentOpenedNext)
{
    auto& controller = platform::DocumentController::shared();
    const QString a = dir.filePath(QStringLiteral("a.txt"));
    const QString b = dir.filePath(QStringLiteral("b.txt"));
    const QString bad = dir.filePath(QStringLiteral("bad.txt"));
    writeFile(a, "a");
    writeFile(b, "b");
    writeFile(bad, "BAD");
    const auto names = [&] {
        QStringList list;
        for (platform::Document* d : controller.documents())
            list << (d->filePath().isEmpty() ? QStringLiteral("untitled") : QFileInfo(d->filePath()).fileName());
        return list;
    };
    struct Case {
        const char* name;
        std::function<void(platform::Document* untitled)> use;
        QString opened;
        QStringList expected;
    };
    const Case cases[] = {
        {"untouched", [](platform::Document*) {}, a, {"a.txt"}},
        {"a file that cannot be read leaves it", [](platform::Document*) {}, bad, {"untitled"}},
        {"edited", [](platform::Document* d) { static_cast<TextDocument*>(d)->edit("x"); }, a, {"untitled", "a.txt"}},
        {"edited and undone: it was used all the same",
         [](platform::Document* d) {
             static_cast<TextDocument*>(d)->edit("x");
             endOfEvent();
             d->undoManager()->undo();
         },
         a, {"untitled", "a.txt"}},
        {"not alone (a document opened without its window replaces nothing)",
         [&](platform::Document*) { controller.openDocument(b, false); }, a, {"untitled", "b.txt", "a.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::Document* untitled = controller.openUntitledDocumentAndDisplay(true);
        ASSERT_NE(untitled, nullptr);
        c.use(untitled);
        endOfEvent();
        controller.openDocument(c.opened, true);
        flushDeletes();
        EXPECT_EQ(names(), c.expected);
        controller.closeAllDocuments();
        flushDeletes();
        ASSERT_TRUE(controller.documents().isEmpty());
    }
}

// A document may show its window before its content is in. The untitled
// window it replaces goes only once the content is; a read that fails then
// is reported, and the program keeps a window to work in.
TEST_F(DocumentTest, ADocumentReadAfterItsWindowShowsReplacesTheUntitledOneOnlyOnceRead)
{
    auto& controller = platform::DocumentController::shared();
    controller.setDocumentFactory([] { return new LateTextDocument; });
    const QString good = dir.filePath(QStringLiteral("good.txt"));
    const QString bad = dir.filePath(QStringLiteral("bad.txt"));
    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    writeFile(good, "hello");
    writeFile(bad, "BAD bytes");
    writeFile(empty, "");
    const auto names = [&] {
        QStringList list;
        for (platform::Document* d : controller.documents())
            list << (d->filePath().isEmpty() ? QStringLiteral("untitled") : QFileInfo(d->filePath()).fileName());
        return list;
    };
    struct Case {
        const char* name;
        bool withUntitled;
        QString opened;
        QStringList whileReading;
        QStringList after;
        QStringList alerts;
    };
    const Case cases[] = {
        {"read", true, good, {"untitled", "good.txt"}, {"good.txt"}, {}},
        {"read alone", false, good, {"good.txt"}, {"good.txt"}, {}},
        {"failed: the untitled window stays", true, bad, {"untitled", "bad.txt"}, {"untitled"},
         {"The file “bad.txt” couldn’t be opened."}},
        {"failed alone: an untitled window takes its place", false, bad, {"bad.txt"}, {"untitled"},
         {"The file “bad.txt” couldn’t be opened."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        alerts.clear();
        if (c.withUntitled)
            ASSERT_NE(controller.openUntitledDocumentAndDisplay(true), nullptr);
        auto* doc = static_cast<LateTextDocument*>(controller.openDocument(c.opened, true));
        ASSERT_NE(doc, nullptr);
        EXPECT_TRUE(doc->isReading());
        ASSERT_NE(doc->window(), nullptr);
        EXPECT_TRUE(doc->window()->isVisible());
        EXPECT_EQ(doc->window()->windowTitle(), QFileInfo(c.opened).fileName() + QStringLiteral("[*]"));
        EXPECT_EQ(names(), c.whileReading);
        doc->finish();
        EXPECT_FALSE(doc->isReading());
        flushDeletes();
        EXPECT_EQ(names(), c.after);
        EXPECT_EQ(alerts, c.alerts);
        controller.closeAllDocuments();
        flushDeletes();
        ASSERT_TRUE(controller.documents().isEmpty());
    }

    // What fails before any window shows fails as a plain read does.
    QString error;
    EXPECT_EQ(controller.openDocument(empty, true, &error), nullptr);
    EXPECT_EQ(error, QStringLiteral("nothing to read"));
    EXPECT_TRUE(controller.documents().isEmpty());
}
