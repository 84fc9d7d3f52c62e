// The ids of the object and event types the plug-in produces, as the type library declares them; constant-initialised
// so that none has a destructor to run at unload.
#pragma once

namespace tesh::vms_server_plugins::analytics::qv {

// Object types; every vehicle kind has "tesh.qv.Vehicle" as its base in the type library.
inline constexpr char kHeadTypeId[] = "tesh.qv.Head";
inline constexpr char kHumanTypeId[] = "tesh.qv.Human";
inline constexpr char kVehicleTypeId[] = "tesh.qv.Vehicle";
inline constexpr char kCarTypeId[] = "tesh.qv.Car";
inline constexpr char kTruckTypeId[] = "tesh.qv.Truck";
inline constexpr char kBusTypeId[] = "tesh.qv.Bus";
inline constexpr char kBicycleTypeId[] = "tesh.qv.Bicycle";
inline constexpr char kMotorcycleTypeId[] = "tesh.qv.Motorcycle";

// Event types.
inline constexpr char kLineCountingTypeId[] = "tesh.qv.LineCounting";
inline constexpr char kBehaviorAnalTypeId[] = "tesh.qv.BehaviorAnal"; //< Declared in the type library only.
inline constexpr char kTamperingTypeId[] = "tesh.qv.Tampering";
inline constexpr char kSettingChangedTypeId[] = "tesh.qv.SettingChanged";
inline constexpr char kAppearTypeId[] = "tesh.qv.Appear";
inline constexpr char kStayTypeId[] = "tesh.qv.Stay";
inline constexpr char kDirectionTypeId[] = "tesh.qv.Direction";
inline constexpr char kEnterTypeId[] = "tesh.qv.Enter";
inline constexpr char kExitTypeId[] = "tesh.qv.Exit";
inline constexpr char kLoiteringTypeId[] = "tesh.qv.Loitering";
inline constexpr char kUnknownTypeId[] = "tesh.qv.Unknown"; //< A region event of a kind we do not know; not declared.

/** The group "Region Events" of the region event types; also a supported event type of its own. */
inline constexpr char kEventsGroupId[] = "tesh.qv.Events";

} // namespace tesh::vms_server_plugins::analytics::qv
