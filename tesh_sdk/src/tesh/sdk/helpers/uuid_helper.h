// Random version-4 identifiers for object tracks, and their text forms for logs.
#pragma once

#include <string>

#include <tesh/sdk/uuid.h>

namespace tesh::sdk {

/** Flags of uuidToText; they combine. */
enum UuidFormat : int
{
    uuidUppercase = 1,
    uuidHyphens = 2, //< The 8-4-4-4-12 grouping.
    uuidBraces = 4,
    uuidAllFormats = 255,
};

/** Version 4, variant 1 (RFC 4122); safe to call from any thread. */
Uuid randomUuid();

std::string uuidToText(const Uuid& id, int formatFlags);

} // namespace tesh::sdk
