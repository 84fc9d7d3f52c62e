// Which cameras the engine serves: decided from the vendor and model texts the host reports.
#pragma once

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Whether the vendor names our maker and the model one of its cameras that run the analytics in firmware; case
 * is ignored and a null text counts as empty.
 */
bool isCompatibleDevice(const char* vendor, const char* model);

} // namespace tesh::vms_server_plugins::analytics::qv
