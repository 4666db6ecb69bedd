#include "pgm_bitmap.h"

#include <cctype>
#include <fstream>
#include <stdexcept>

namespace splitwick::maker {

namespace {

// The next number of the header, past white space and comment lines.
int headerNumber(std::istream& in) {
    while (in >> std::ws && in.peek() == '#')
        in.ignore(1 << 16, '\n');
    int number = -1;
    in >> number;
    return in ? number : -1;
}

} // namespace

SpuBitmap readPgm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    SpuBitmap bitmap;
    bitmap.width = headerNumber(in);
    bitmap.height = headerNumber(in);
    const int maxval = headerNumber(in);
    // One white space byte ends the header.
    if (magic != "P5" || bitmap.width < 1 || bitmap.height < 1 || maxval < 1 || maxval > 255 ||
        !std::isspace(in.get()))
        throw std::invalid_argument(path + " is no binary grey map (P5) of up to 255 levels");
    bitmap.pixels.resize(size_t(bitmap.width) * size_t(bitmap.height));
    if (!in.read(reinterpret_cast<char*>(bitmap.pixels.data()),
                 std::streamsize(bitmap.pixels.size())))
        throw std::invalid_argument(path + " ends before its pixels do");
    return bitmap;
}

} // namespace splitwick::maker
