#include "presets.h"

namespace splitwick::maker {

Recipe splitTitleRecipe() {
    Recipe recipe;
    recipe.streams = {
        {Codec::Mpeg2, 0xE0, 40}, {Codec::DDPlus, 0xC0, 3},     {Codec::DDPlus, 0xC1, 3},
        {Codec::DtsHd, 0x8A, 5},  {Codec::Subpicture, 0x20, 1},
    };
    recipe.size = 10 * 1048576;
    recipe.parts = 2;
    recipe.navigationEvery = 32;
    return recipe;
}

Recipe featureRecipe(int64_t size, uint64_t seed) {
    Recipe recipe;
    recipe.streams = {
        {Codec::Vc1, 0x55, 200, 80000}, {Codec::DDPlus, 0xC0, 6}, {Codec::DDPlus, 0xC1, 6},
        {Codec::DtsHd, 0x8A, 12},       {Codec::Mlp, 0xB3, 14},   {Codec::Subpicture, 0x20, 1},
        {Codec::Subpicture, 0x21, 1},
    };
    recipe.size = size;
    recipe.seed = seed;
    recipe.navigationEvery = 128;
    return recipe;
}

} // namespace splitwick::maker
