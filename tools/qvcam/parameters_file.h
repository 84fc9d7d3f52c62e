// A prepared camera configuration: a JSON object from parameter name to value, applied over the
// factory values.
#pragma once

#include <string>

#include "parameter_table.h"

namespace qvcam {

/**
 * Values may be texts, integers or booleans (true is "1"). Every name must be one the camera knows, a
 * live-shape name included, so that a misspelt name is reported instead of silently ignored; the
 * values are not checked, so that a camera holding values it would refuse can be prepared. Nothing is
 * applied when the file is unusable.
 */
bool loadParametersFile(const std::string& path, ParameterTable* table, std::string* errorMessage);

} // namespace qvcam
