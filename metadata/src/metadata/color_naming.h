// Names the camera's colours with the nearest entry of the colour table.
#pragma once

#include "metadata_document.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Takes the camera's X, Y, Z as luma and blue and red differences, turns them into red, green and blue, and
 * returns the name of the nearest table colour; among equally near colours the earlier one in the table wins.
 */
const char* nearestColorName(const ColorValue& color);

} // namespace tesh::vms_server_plugins::analytics::qv
