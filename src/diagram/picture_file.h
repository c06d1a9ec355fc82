// The files a page's picture is written to: the format a file's name asks for, and a page's name as
// a file name can hold it. The menu's exports and the command line's go by these same rules.
#pragma once

#include <optional>
#include <string>

enum class TPictureFileFormat { Bmp, Png, Svg, Pdf };

// The format the file name's extension names, letter case ignored: ".bmp", ".png", ".svg", ".pdf";
// nothing for any other name.
std::optional<TPictureFileFormat> PictureFileFormatOf(const std::string& fileName);

// The page's name as part of a file name: "/" would make it a path, and a control character or DEL
// is invisible where the name is shown and only makes trouble in one; each becomes "_".
std::string PageNameForFile(const std::string& page);
