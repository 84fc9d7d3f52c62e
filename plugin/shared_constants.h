// Constants shared by the plug-in's own code; constant-initialised so that none has a destructor to run at unload.
#pragma once

#include <cstdint>

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

struct NamedColor
{
    const char* name;
    int32_t red;
    int32_t green;
    int32_t blue;
};

/** The colours we name; in search order, the first of equally near entries wins. */
inline constexpr NamedColor kColorTable[] = {
    {"Black", 0, 0, 0},
    {"Blue", 0, 0, 255},
    {"Brown", 165, 42, 42},
    {"Cyan", 0, 255, 255},
    {"Green", 0, 128, 0},
    {"Gray", 128, 128, 128},
    {"Orange", 255, 165, 0},
    {"Pink", 255, 192, 203},
    {"Purple", 128, 0, 128},
    {"Red", 255, 0, 0},
    {"White", 255, 255, 255},
};

// Values of the host's box colour attribute.
inline constexpr char kHighlightBlue[] = "Blue";
inline constexpr char kHighlightRed[] = "Red";
inline constexpr char kHighlightGreen[] = "Green";
inline constexpr char kHighlightCyan[] = "Cyan";

/** Prefix of every camera read; the parameter names follow as "NAME=&". */
inline constexpr char kReadParamPath[] = "ReadParam?action=readparam&";

/** Prefix of every camera write; the parameters follow as "NAME=VALUE&". */
inline constexpr char kWriteParamPath[] = "WriteParam?action=writeparam&";

} // namespace tesh::vms_server_plugins::analytics::qv
