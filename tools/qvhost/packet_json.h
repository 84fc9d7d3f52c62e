// One packet that came back from the plug-in, as the JSON line qvhost writes for it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include <tesh/sdk/analytics/i_metadata_packet.h>
#include <tesh/sdk/uuid.h>

namespace qvhost {

using Json = nlohmann::ordered_json;

/** "objects", "bestShot" or "events" in "kind"; another packet gives "kind" "other" and its time only. */
Json packetJson(const tesh::sdk::analytics::IMetadataPacket* packet);

/** As the server shows ids: 8-4-4-4-12 lower-case hexadecimal digits. */
std::string uuidText(const tesh::sdk::Uuid& uuid);

} // namespace qvhost
