// An off-screen picture with a canvas to paint on, written to a file as a Windows bitmap or PNG.
#pragma once

#include <string>

class Canvas;

enum class TPictureFormat { Bmp, Png };

// The largest scale a bitmap draws at: a page's picture four times as wide and high is already tens
// of millions of pixels.
inline constexpr int kMostBitmapScale = 4;

class Bitmap {
 public:
  virtual ~Bitmap() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // A new size; what was painted before is gone.
  virtual void SetSize(int width, int height) = 0;
  // The picture's pixels to each pixel of the drawing, across and down: the drawing (and Width and
  // Height) stays in its own pixels, the picture written is scale times as wide and high, drawn in
  // its pixels, the scale held to 1 to kMostBitmapScale. What was painted before is gone.
  virtual void SetScale(int scale) = 0;
  // The canvas stays the same object, with its colours, for the bitmap's whole life.
  virtual Canvas& GetCanvas() = 0;
  // Writes the picture, replacing an existing file only when the whole picture was written; raises
  // EToolkitError "Cannot create file ..." when it cannot.
  virtual void SaveToFile(const std::string& fileName, TPictureFormat format) = 0;
};
