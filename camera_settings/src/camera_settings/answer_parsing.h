// Reading values and figures out of the camera's plain-text answers; pure, so any thread may call them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * The value of the named parameter in the camera's answer: from the line "NAME=VALUE" whose name is the one asked
 * for (an answer may hold several lines), without the spaces and tabs some firmware leaves before the line end.
 * @return Nothing where no line names the parameter: an error page, "Ok", garbage, or other parameters only.
 */
std::optional<std::string> parameterValue(std::string_view body, std::string_view name);

/** Whether a write's answer is the camera's "Ok" (blanks and the line end aside); anything else is a refusal. */
bool isWriteAccepted(std::string_view body);

// The piece parsers report an unusable answer as nothing, where a conversion of the standard library would
// throw; the caller then leaves the setting out and the host keeps its value.

/**
 * A line's live shape, "count;x1,y1,x2,y2;..." with one field per segment, as a plain list "x0,y0,x1,y1,...".
 * Segments that do not meet are joined through their end points, with a frame corner between them when both
 * ends lie on different edges of the border.
 * @return The second field unchanged for a count of 1; "0" for a count of 0; nothing for a count or coordinate
 *     that is not a 32-bit integer, a negative count, fewer segments than the count, or a segment of fewer than
 *     four integers.
 */
std::optional<std::string> parseLinePieces(std::string_view value);

/**
 * A region's live shape, "count;x,y,x,y,...;..." with one piece per field, as one closed outline: the pieces are
 * chained at their nearest border points and the chain is closed through the frame corner nearest its end.
 * @return The text after the count and its separator for a count of 1; "0" for a count of 0 and when two
 *     neighbouring pieces have no border points to join them by; nothing for a count or coordinate that is not a
 *     32-bit integer, a negative count, fewer pieces than the count, a piece that is not a run of x,y pairs, or
 *     more border points than the border of the frame has places.
 */
std::optional<std::string> parseRegionPieces(std::string_view value);

} // namespace tesh::vms_server_plugins::analytics::qv
