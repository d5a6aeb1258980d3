#include "platform/appkit/ImageResource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A resource folder of its own for the test (the program's is named by
// VELUMO_SHARE_DIR), given back as it was afterwards.
class BundleFolder {
public:
    BundleFolder()
        : m_previous(qgetenv("VELUMO_SHARE_DIR"))
        , m_hadPrevious(qEnvironmentVariableIsSet("VELUMO_SHARE_DIR"))
    {
        QDir().mkpath(m_dir.path() + QStringLiteral("/skins"));
        qputenv("VELUMO_SHARE_DIR", m_dir.path().toLocal8Bit());
    }
    ~BundleFolder()
    {
        if (m_hadPrevious)
            qputenv("VELUMO_SHARE_DIR", m_previous);
        else
            qunsetenv("VELUMO_SHARE_DIR");
    }
    void add(const QString& relative) const
    {
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString path(const QString& relative) const { return relative.isEmpty() ? QString() : m_dir.path() + '/' + relative; }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};
} // namespace

// Names are looked up as name.png, then .tiff, then .jpg, in the resource
// folder before its skins folder; "name@2x" beside it is the second
// resolution, of the same type as the first found.
TEST(ImageResource, FindsEachNameAsItsTypesResolutionsAndFoldersRank)
{
    BundleFolder bundle;
    for (const char* file : {"both.png", "both@2x.png", "retina@2x.tiff", "photo.jpg", "photo.png", "mixed.tiff",
                             "mixed@2x.png", "twice@2x.png", "dotted.name.png", "skins/skin.png", "skins/photo.png",
                             "skins/deep.jpg", "skins/deep@2x.jpg", "notes.txt", "bare@2x.gif"})
        bundle.add(QString::fromLatin1(file));
    // A link to an image counts as the image; a folder, or a link to nothing, does not.
    ASSERT_TRUE(QFile::link(bundle.path("skins/skin.png"), bundle.path("linked.png")));
    ASSERT_TRUE(QFile::link(bundle.path("gone.png"), bundle.path("dangling.png")));
    ASSERT_TRUE(QDir().mkpath(bundle.path("folder.png")));
    const struct {
        const char* name;
        const char* path;
        const char* path2x;
    } cases[] = {
        {"both", "both.png", "both@2x.png"},
        {"retina", "", "retina@2x.tiff"},
        {"photo", "photo.png", ""},         // png before jpg, the resource folder before skins
        {"mixed", "", "mixed@2x.png"},      // png is asked first, and has the second resolution
        {"twice@2x", "twice@2x.png", ""},   // a name may itself end in @2x
        {"twice", "", "twice@2x.png"},
        {"dotted.name", "dotted.name.png", ""},
        {"skin", "skins/skin.png", ""},
        {"deep", "skins/deep.jpg", "skins/deep@2x.jpg"},
        {"linked", "linked.png", ""},
        {"dangling", "", ""},
        {"folder", "", ""},
        {"notes", "", ""},                  // not an image type
        {"bare", "", ""},
        {"missing", "", ""},
        {"skins/skin", "", ""},             // nothing climbs into or out of folders
        {"../skins", "", ""},
    };
    for (int round = 0; round < 2; ++round) { // asked again, the same answers
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            const platform::ImageResource::Files files = platform::ImageResource::find(QString::fromLatin1(c.name));
            EXPECT_EQ(files.path, bundle.path(QString::fromLatin1(c.path)));
            EXPECT_EQ(files.path2x, bundle.path(QString::fromLatin1(c.path2x)));
        }
    }
}
