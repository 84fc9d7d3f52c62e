// Reading a figure from the camera into the host's figure value, with its enable and display switches.
#include "figure_reading.h"

#include <optional>

#include <nlohmann/json.hpp>

#include <tesh/kit/decimal_number.h>

#include "answer_parsing.h"
#include "figure_conversion.h"
#include "parameter_naming.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Json = nlohmann::json;

bool saysNoLiveShape(const std::string& answer)
{
    return answer.find("Ok") != std::string::npos;
}

/** Nothing, with the reason recorded for the setting, where the answer has no line for the parameter. */
std::optional<std::string> valueFor(
    CameraRead* read, const std::string& name, const std::string& parameter, const std::string& answer)
{
    std::optional<std::string> value = parameterValue(answer, parameter);
    if (!value)
        read->fail(name, answer.find('=') == std::string::npos ? kUnreadableAnswer : kParameterMissing);
    return value;
}

std::optional<std::string> plainListOf(FigureKind kind, const std::string& liveShape)
{
    if (kind == FigureKind::line)
        return parseLinePieces(liveShape);
    return parseRegionPieces(liveShape);
}

/** A switch as the camera answers it; nothing where the answer holds no integer for the parameter. */
std::optional<bool> switchOf(const std::string& answer, const std::string& parameter)
{
    const std::optional<std::string> text = parameterValue(answer, parameter);
    const std::optional<int32_t> value = text ? kit::parseDecimalInteger(*text) : std::nullopt;
    if (!value)
        return std::nullopt;
    return *value != 0;
}

std::nullopt_t unreadable(CameraRead* read, const std::string& name)
{
    read->fail(name, kUnreadableAnswer);
    return std::nullopt;
}

/**
 * The plain list of the full variant, "0" for no figure.
 * @return Nothing, with the reason recorded, where the camera's answers cannot be had or read.
 */
std::optional<std::string> fullListOf(
    CameraRead* read, const std::string& name, const std::string& liveShapeParameter, const std::string& answer)
{
    const bool rectangle = isRectangleFigure(name);
    if (rectangle || !saysNoLiveShape(answer))
    {
        const std::optional<std::string> value = valueFor(read, name, liveShapeParameter, answer);
        if (!value || rectangle || *value == "0")
            return value;
        const std::optional<std::string> list = plainListOf(figureKindOf(name), *value);
        return list ? list : unreadable(read, name);
    }
    const std::string drawn = toCameraIndex(name);
    const CameraRequestOutcome figure = read->read(name, drawn);
    if (!figure.answered())
        return std::nullopt;
    return valueFor(read, name, drawn, figure.body);
}

void readLineDirection(CameraRead* read, const FigureParameters& parameters, Json* figure)
{
    const CameraRequestOutcome direction = read->readPart(parameters.direction);
    if (!direction.answered())
        return;
    if (const std::optional<bool> left = switchOf(direction.body, parameters.direction))
        (*figure)["direction"] = *left ? "left" : "right";
}

/** Stores the enable setting; a disabled figure is not to be shown on the camera either. */
void readEnable(CameraRead* read,
    const std::string& enableSetting,
    const FigureParameters& parameters,
    Json* value,
    bool switchDisplayOff)
{
    const CameraRequestOutcome enable = read->readPart(parameters.enable);
    if (!enable.answered())
        return;
    const std::optional<bool> enabled = switchOf(enable.body, parameters.enable);
    if (!enabled)
        return;
    read->store(enableSetting, *enabled ? "true" : "false");
    (*value)["showOnCamera"] = *enabled;
    if (!*enabled && switchDisplayOff)
        read->write(parameters.display, "0");
}

void readDisplay(CameraRead* read, const FigureParameters& parameters, Json* value)
{
    const CameraRequestOutcome display = read->readPart(parameters.display);
    if (!display.answered())
        return;
    if (const std::optional<bool> shown = switchOf(display.body, parameters.display))
        (*value)["showOnCamera"] = *shown;
}

} // namespace

void readFigure(
    CameraRead* read, const std::string& name, const std::string& liveShapeParameter, std::string liveShapeAnswer)
{
    const std::optional<std::string> list = fullListOf(read, name, liveShapeParameter, liveShapeAnswer);
    if (!list)
        return;
    if (*list == "0")
        return read->store(name, kEmptyFigureValue);

    const bool rectangle = isRectangleFigure(name);
    const std::optional<Json> points = pointsFromCamera(*list, rectangle);
    if (!points)
        return read->fail(name, kUnreadableAnswer);
    Json figure = {{"points", *points}};
    Json value;
    if (!rectangle)
    {
        const FigureKind kind = figureKindOf(name);
        const FigureParameters parameters = figureParametersOf(kind, indexDigit(toCameraIndex(name)));
        if (kind == FigureKind::line)
            readLineDirection(read, parameters, &figure);
        readEnable(read, enableSettingOf(kind, indexDigit(name)), parameters, &value, /*switchDisplayOff*/ true);
        readDisplay(read, parameters, &value);
    }
    value["figure"] = std::move(figure);
    read->store(name, value.dump());
}

void readFigureQuick(CameraRead* read, const std::string& kindBase, int cameraIndex)
{
    const std::string name = kindBase + std::to_string(cameraIndex + 1);
    const FigureKind kind = figureKindOf(name);
    const FigureParameters parameters = figureParametersOf(kind, std::to_string(cameraIndex));
    const CameraRequestOutcome answer = read->read(name, parameters.liveShape);
    if (!answer.answered() || saysNoLiveShape(answer.body))
        return;
    const std::optional<std::string> liveShape = valueFor(read, name, parameters.liveShape, answer.body);
    if (!liveShape)
        return;
    if (*liveShape == "0")
        return read->store(name, kQuickEmptyFigureValue);
    const std::optional<std::string> list = plainListOf(kind, *liveShape);
    const std::optional<Json> points = list ? pointsFromCamera(*list, /*rectangle*/ false) : std::nullopt;
    if (!points)
        return read->fail(name, kUnreadableAnswer);

    Json value;
    readEnable(read, enableSettingOf(kind, std::to_string(cameraIndex + 1)), parameters, &value,
        /*switchDisplayOff*/ false);
    readDisplay(read, parameters, &value);
    value["figure"] = {{"points", *points}};
    read->store(name, value.dump());
}

} // namespace tesh::vms_server_plugins::analytics::qv
