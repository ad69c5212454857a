#pragma once
// Loading one picture item's file for the picture areas, with the board's
// habit of rewriting 8-bit bitmaps as 32-bit ones the first time they show,
// and the plain load the page and animation bodies use.

#include <string>

#include "platform/display/Surface.h"
#include "platform/fs/DeviceFs.h"
#include "platform/image/ImageCodec.h"

namespace led {

// Writes `bitmap` over the file at `boardPath` (replacing it) as an
// uncompressed bottom-up bitmap of `bitsPerPixel` bits (32; 24 is also
// written). False when the file cannot be created or written, or for another
// depth. The file is written aside and renamed over the old one, so a failed
// write leaves the old picture in place.
bool ConvertBitmapTo32(const Surface& bitmap, const DeviceFs& fs, const std::string& boardPath,
                       int bitsPerPixel = 32);

// Loads the file at `boardPath` as it is; "cannot open" when the path does
// not resolve.
ImageResult LoadBoardImage(const ImageCodec& codec, const DeviceFs& fs,
                           const std::string& boardPath, Colour background);

// Loads the picture at `boardPath`. An 8-bit bitmap is first rewritten in
// place as a 32-bit bitmap and loaded again from the new file; when either
// fails the result says "cannot load" and the item is skipped.
ImageResult LoadPictureFile(const ImageCodec& codec, const DeviceFs& fs,
                            const std::string& boardPath, Colour background);

}  // namespace led
