// A canvas for headless tests: measures every character as 7 pixels wide and text as 16 pixels
// high, and records every drawing call with the colours in force, so tests can check what was drawn.
#pragma once

#include <string>
#include <vector>

#include "bitmap.h"
#include "canvas.h"
#include "control_host.h"

struct DrawCall {
  std::string Kind;  // "Rectangle", "RoundRect", "Polygon", "Polyline", "TextOut"
  std::vector<TPoint> Points;
  std::string Text;
  TColor Brush = 0;
  TColor Pen = 0;
  TColor Font = 0;
  int PenWidth = 1;
};

class RecordingCanvas : public THostCanvas {
 public:
  // A host's origin, clip and background erase leave no record: the drawing's calls are the record.
  void SetOrigin(TPoint) override {}
  void SetClip(const TRect&) override {}
  void ClearClip() override {}
  void Fill(const TRect&, TColor) override {}

  static constexpr int CharWidth = 7;
  static constexpr int LineHeight = 16;

  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;

  std::vector<DrawCall> Calls;
  // The polylines drawn with the given pen colour.
  std::vector<std::vector<TPoint>> PolylinesIn(TColor pen) const;
  // The texts written, in order.
  std::vector<std::string> Texts() const;
  void Clear() { Calls.clear(); }

 private:
  void Record(std::string kind, std::vector<TPoint> points, std::string text = {});
};

// A bitmap for headless tests: a recording canvas, and the files it was saved to.
class RecordingBitmap : public Bitmap {
 public:
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetSize(int width, int height) override {
    width_ = width;
    height_ = height;
  }
  void SetScale(int scale) override { Scale = scale; }
  ::Canvas& GetCanvas() override { return Picture; }
  void SaveToFile(const std::string& fileName, TPictureFormat format) override {
    Saved.push_back(fileName);
    Formats.push_back(format);
  }

  RecordingCanvas Picture;
  std::vector<std::string> Saved;
  std::vector<TPictureFormat> Formats;
  int Scale = 1;

 private:
  int width_ = 0;
  int height_ = 0;
};
