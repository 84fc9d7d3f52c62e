// Texts that a host object may hand out as null, for the hardening cases: the host kit's.
#pragma once

#include <host_kit/nullable_text.h>

namespace tesh::test {

using host_kit::NullableText;

} // namespace tesh::test
