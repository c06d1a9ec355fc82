#include "headless_platform.h"

#include <iostream>

#include "drawing_file.h"
#include "qt_bitmap.h"

void HeadlessPlatform::Tell(const std::string& text) { std::cerr << "quorvane: " << text << '\n'; }

std::unique_ptr<Bitmap> HeadlessPlatform::CreateBitmap() { return std::make_unique<QtBitmap>(); }

void HeadlessPlatform::SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                                       const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) {
  WriteDrawingFile(fileName, format, width, height, title, pages, draw);
}

std::string HeadlessPlatform::SvgDrawing(int width, int height, const std::string& title,
                                         const std::function<void(Canvas&)>& draw) {
  return SvgDrawingText(width, height, title, draw);
}
