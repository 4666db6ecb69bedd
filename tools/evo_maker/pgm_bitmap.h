#pragma once
#include <string>

#include "spu_maker.h"

namespace splitwick::maker {

// A binary grey map (PGM, "P5", up to 255 grey levels) as a subpicture bitmap at 0,0 whose colour
// indices are its grey levels. Throws std::invalid_argument naming the file when it is none.
SpuBitmap readPgm(const std::string& path);

} // namespace splitwick::maker
