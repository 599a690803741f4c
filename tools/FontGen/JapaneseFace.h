// Opens the face of a font file (a single font or a collection) that covers Japanese, for the
// generators that render text with FreeType.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

// The collection's first face whose family name has "JP", else its first face; nullptr when the
// file does not open as a font.
FT_Face OpenJapaneseFace(FT_Library library, const std::string& path);
