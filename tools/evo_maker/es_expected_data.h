#pragma once
#include <string>

#include "es_evo.h"

namespace splitwick::maker {

// STEM.expected.json beside the EVO (STEM from the first part's name).
std::string expectedDataPath(const std::string& evoPath);

// The recipe's streams and each part's timing as JSON: the form is in the tool's --help.
void writeExpectedData(const EsRecipe& recipe, const MadeEsEvo& made, const std::string& path);

} // namespace splitwick::maker
