#include "picture_file.h"

#include <filesystem>

#include "text.h"

std::optional<TPictureFileFormat> PictureFileFormatOf(const std::string& fileName) {
  const std::string extension = std::filesystem::path(fileName).extension().string();
  if (SameText(extension, ".bmp")) return TPictureFileFormat::Bmp;
  if (SameText(extension, ".png")) return TPictureFileFormat::Png;
  if (SameText(extension, ".svg")) return TPictureFileFormat::Svg;
  if (SameText(extension, ".pdf")) return TPictureFileFormat::Pdf;
  return std::nullopt;
}

std::string PageNameForFile(const std::string& page) {
  std::string name = page;
  for (char& c : name)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
  return name;
}
