#pragma once

#include <QImage>
#include <QList>
#include <QString>

namespace platform {

// Finds and reads the bundle's images by name. "name" is looked up as
// name.png (then .tiff, .jpg) in the resource folder and in its skins
// folder; a "name@2x" file beside it is the image's second resolution.
class ImageResource {
public:
    struct Files {
        QString path;   // one pixel per point
        QString path2x; // two pixels per point; may be empty
        bool isNull() const { return path.isEmpty() && path2x.isEmpty(); }
    };

    static Files find(const QString& name);
    // The image's representations, each with its device pixel ratio set
    // (1 first, then 2 when there is one); empty when the name has no file
    // or no file decodes.
    static QList<QImage> load(const QString& name);
    // Only the representation that suits a screen of that pixel ratio (two
    // pixels per point above 1), else the other one; empty as above. A
    // screen shows one resolution, and reading both doubled the cost of
    // every image at start-up.
    static QList<QImage> load(const QString& name, double devicePixelRatio);
    // Decodes one of the program's own image files as the type its name
    // says (png, tiff, jpg...); null when it does not decode as that type.
    // Unlike a plain QImage(path), it does not ask every image format
    // plug-in whether it reads the file, which loads them all: start-up
    // reads hundreds of images and needs none of the plug-ins. A file of
    // the bundle that its image atlas holds is not read at all: the image
    // comes read-only over the atlas's mapped pixels.
    static QImage readFile(const QString& path);
    // Searched before the bundle's own folders, in the order added (tests
    // put their fixture images here).
    static void addSearchDirectory(const QString& directory);
};

} // namespace platform
