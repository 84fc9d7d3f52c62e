// Constants shared by the plug-in's own code; constant-initialised so that none has a destructor to run at unload.
#pragma once

namespace tesh::vms_server_plugins::analytics::qv {

/** Prefix of every camera read; the parameter names follow as "NAME=&". */
inline constexpr char kReadParamPath[] = "ReadParam?action=readparam&";

/** Prefix of every camera write; the parameters follow as "NAME=VALUE&". */
inline constexpr char kWriteParamPath[] = "WriteParam?action=writeparam&";

} // namespace tesh::vms_server_plugins::analytics::qv
