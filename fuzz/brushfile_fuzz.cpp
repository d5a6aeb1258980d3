// Fuzz target for the brush file reader. Each input is read as a ".myb" file;
// a brush that loads is then made to paint a short stroke on a small canvas,
// so that whatever values a file can set are driven through the engine too.
//
// Run it with: fuzz/run.sh 600 brushfile_fuzz
#include "DabBrushResource.h"
#include "DabSurface.h"
#include "DevicePainter.h"
#include "PixelDevice.h"

#include "ColorAdapterRegistry.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The reader reports on standard output; keep the fuzzer's own output readable.
    if (!std::freopen("/dev/null", "w", stdout))
        return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool initialised = false;
    if (!initialised) {
        LLVMFuzzerInitialize(nullptr, nullptr);
        initialised = true;
    }

    DabBrushResource resource(QString{});
    resource.brush()->random_source().seed(7);
    if (!resource.load_from_data(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;

    QImage canvas(19, 13, QImage::Format_RGBA8888_Premultiplied);
    canvas.fill(Qt::white);
    auto adapter = ColorAdapterRegistry::instance()->colorSpaceForContext(&canvas);
    PixelDevice device(&canvas, adapter.get());
    DevicePainter painter(&device);
    DabSurface surface(&canvas, &device, &painter);

    resource.set_color_rgb_r(0.2f, 0.4f, 0.9f);
    resource.stroke_to_surface(&surface, 3.0f, 4.0f, 0.75f, 0.0f, 0.0f, 10.0);
    resource.stroke_to_surface(&surface, 9.0f, 8.0f, 0.75f, 0.0f, 0.0f, 0.02);
    resource.stroke_to_surface(&surface, 17.5f, 12.5f, 0.5f, 0.3f, -0.2f, 0.02);
    resource.stroke_to_surface(&surface, -4.0f, 20.0f, 1.0f, 0.0f, 0.0f, 0.3);
    return 0;
}
