#pragma once

#include <QString>

#include <functional>
#include <memory>

class KZGraphicBuilder;
class KZGraphicEditor;
class KZGraphicElement;
class KZGraphicsContext;

// What a kind of element tells the vector tool: its label, how its elements
// are built from a gesture and how they are edited once placed. A missing
// factory means the kind has no builder (or no editor).
struct KZGraphicElementClass {
    using BuilderFactory = std::function<std::unique_ptr<KZGraphicBuilder>(KZGraphicsContext* context)>;
    using EditorFactory = std::function<std::unique_ptr<KZGraphicEditor>(
        KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element)>;

    QString description;
    BuilderFactory builderClass;
    EditorFactory editorClass;
};
