// Text made safe for the report page, which is both HTML and well-formed XML.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "replay_record.h"

namespace qvhost {

/** For element text and attribute values alike: & < > " ' as character references. */
std::string escaped(std::string_view text);

/** A number with the given count of decimals, always with a full stop, whatever the locale. */
std::string fixed(double value, int decimals);

/** "850 us", "12.3 ms" or "1.20 s": a duration as people read it. */
std::string durationText(int64_t microseconds);

/** JSON to embed in a script element: no < > & that could end it or trouble an XML reader. */
std::string scriptJson(const Json& value);

} // namespace qvhost
