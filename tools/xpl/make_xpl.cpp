// splitwick-make-xpl OUT.XPL STEM...: writes a disc playlist with one title per EVO stem (NAME_2
// after NAME_1 being the second part of its title), with languages and chapters, for the sample
// disc's ADV_OBJ/VPLST000.XPL.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "playlist_writer.h"

int main(int argc, char** argv) {
    using namespace splitwick::testing;
    if (argc < 3) {
        std::cerr << "usage: splitwick-make-xpl OUT.XPL STEM...\n";
        return 2;
    }
    try {
        writeTextFile(argv[1], xmlDocument(discPlaylist({argv + 2, argv + argc})));
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
