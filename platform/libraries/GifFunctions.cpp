// The giflib functions the program calls, loaded with the first GIF it
// writes (see LazyLibrary).
#include "SystemLibraries.h"

#include <gif_lib.h>

using platform::systemlibraries::gif;

VELUMO_LAZY_FUNCTION(gif(), GifFileType*, EGifOpen, (void* userData, OutputFunc write, int* error), (userData, write, error))
VELUMO_LAZY_FUNCTION(gif(), int, EGifCloseFile, (GifFileType* file, int* error), (file, error))
VELUMO_LAZY_FUNCTION(gif(), size_t, EGifGCBToExtension, (const GraphicsControlBlock* block, GifByteType* extension),
                     (block, extension))
VELUMO_LAZY_FUNCTION(gif(), int, EGifPutExtension, (GifFileType* file, const int code, const int length, const void* extension),
                     (file, code, length, extension))
VELUMO_LAZY_FUNCTION(gif(), int, EGifPutImageDesc,
                     (GifFileType* file, const int left, const int top, const int width, const int height,
                      const bool interlace, const ColorMapObject* colorMap),
                     (file, left, top, width, height, interlace, colorMap))
VELUMO_LAZY_FUNCTION(gif(), int, EGifPutLine, (GifFileType* file, GifPixelType* line, int length), (file, line, length))
VELUMO_LAZY_FUNCTION(gif(), int, EGifPutScreenDesc,
                     (GifFileType* file, const int width, const int height, const int colorResolution,
                      const int background, const ColorMapObject* colorMap),
                     (file, width, height, colorResolution, background, colorMap))
VELUMO_LAZY_FUNCTION(gif(), void, EGifSetGifVersion, (GifFileType* file, const bool gif89), (file, gif89))
VELUMO_LAZY_FUNCTION(gif(), const char*, GifErrorString, (int error), (error))
VELUMO_LAZY_FUNCTION(gif(), void, GifFreeMapObject, (ColorMapObject* object), (object))
VELUMO_LAZY_FUNCTION(gif(), ColorMapObject*, GifMakeMapObject, (int count, const GifColorType* colors), (count, colors))
