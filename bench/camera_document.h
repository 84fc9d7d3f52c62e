// Metadata documents of the camera's schema with a chosen number of objects, for the metadata path's benchmarks.
#pragma once

#include <string>

namespace tesh::bench {

/** Every document carries this many notifications: the four topics the agent converts, behaviour twice. */
inline constexpr int kEventsPerDocument = 5;

/**
 * A document laid out as the camera writes it (indented, one element per line): one frame with objectCount
 * objects cycling through people with face and body attributes, people with clothing colours, cars with colours
 * and bicycles, every fifth of them a person with an image reference; then kEventsPerDocument events.
 */
std::string cameraDocument(int objectCount);

} // namespace tesh::bench
