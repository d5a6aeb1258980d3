#include "KZSelectionElement.h"

#include "KZFreeSelectionBuilder.h"
#include "KZGraphicEditor.h"
#include "KZGraphicElementClass.h"
#include "KZRectangleSelectionBuilder.h"

namespace {
template <typename Builder>
KZGraphicElementClass selectionKind(const char* description)
{
    return KZGraphicElementClass{
        QString::fromLatin1(description),
        [](KZGraphicsContext* context) { return std::make_unique<Builder>(context); },
        [](KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element) {
            return std::make_unique<KZGraphicEditor>(context, element);
        }};
}
} // namespace

const KZGraphicElementClass& KZSelectionElement::kind()
{
    static const KZGraphicElementClass selection = selectionKind<KZSelectionBuilder>("selection");
    return selection;
}

const KZGraphicElementClass& KZSelectionElement::rectangleKind()
{
    static const KZGraphicElementClass rectangle = selectionKind<KZRectangleSelectionBuilder>("rectangle selection");
    return rectangle;
}

const KZGraphicElementClass& KZSelectionElement::freeKind()
{
    static const KZGraphicElementClass free = selectionKind<KZFreeSelectionBuilder>("free selection");
    return free;
}
