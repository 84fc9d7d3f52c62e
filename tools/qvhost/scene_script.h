// The report page's one script: it draws the boxes of the document the slider or the arrow keys choose, moves the
// charts' cursor to its time, and jumps to the document under a click on a chart.
#pragma once

namespace qvhost {

/** Plain JavaScript that runs in any current browser; it reads the scene view's JSON and fetches nothing. */
extern const char kSceneScript[];

} // namespace qvhost
