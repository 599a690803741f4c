#include "JapaneseFace.h"

#include <cstring>

FT_Face OpenJapaneseFace(FT_Library library, const std::string& path)
{
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), -1, &face) != 0)
        return nullptr;
    const long count = face->num_faces;
    FT_Done_Face(face);
    long chosen = 0;
    for (long i = 0; i < count; ++i) {
        if (FT_New_Face(library, path.c_str(), i, &face) != 0)
            continue;
        const bool japanese = face->family_name && std::strstr(face->family_name, "JP");
        FT_Done_Face(face);
        if (japanese) {
            chosen = i;
            break;
        }
    }
    return FT_New_Face(library, path.c_str(), chosen, &face) == 0 ? face : nullptr;
}
