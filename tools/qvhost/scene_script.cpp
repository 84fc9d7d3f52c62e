// The scene view's script. It keeps to the DOM of the page that report_page.cpp, scene_view.cpp and
// track_timeline.cpp write: the ids frame, boxes, frame-note, slider, position, scene-data and best-shots, and the
// classes chart and cursor.
#include "scene_script.h"

namespace qvhost {

const char kSceneScript[] = R"js(
(function () {
    'use strict';
    var data = JSON.parse(document.getElementById('scene-data').textContent);
    var svgNamespace = 'http://www.w3.org/2000/svg';
    var view = document.getElementById('frame').viewBox.baseVal;
    var slider = document.getElementById('slider');
    var position = document.getElementById('position');
    var boxes = document.getElementById('boxes');
    var note = document.getElementById('frame-note');
    var cursors = document.querySelectorAll('.cursor');
    var bestShots = document.querySelectorAll('#best-shots li');

    function svgElement(name, attributes, text) {
        var element = document.createElementNS(svgNamespace, name);
        Object.keys(attributes).forEach(function (key) { element.setAttribute(key, attributes[key]); });
        if (text) element.textContent = text;
        return element;
    }

    function seconds(timestampUs) {
        return ((timestampUs - data.axis.firstUs) / 1e6).toFixed(1);
    }

    function axisX(timestampUs) {
        var span = data.axis.lastUs - data.axis.firstUs;
        return data.axis.left + (data.axis.right - data.axis.left) * (timestampUs - data.axis.firstUs) / span;
    }

    function drawBox(box) {
        var typeId = data.types[box[4]] || '';
        var trackId = data.tracks[box[5]] || '';
        var colour = box[6] || data.typeColours[box[4]] || '#cccccc';
        var x = box[0] * view.width, y = box[1] * view.height;
        var width = box[2] * view.width, height = box[3] * view.height;
        var group = svgElement('g', {'class': 'box', 'data-track': trackId, 'data-type': typeId,
            'data-box': box.slice(0, 4).join(' ')});
        group.appendChild(svgElement('rect', {x: x, y: y, width: width, height: height, stroke: colour}));
        var labelY = y > 44 ? y - 10 : y + height + 34;
        group.appendChild(svgElement('text', {x: x, y: labelY, fill: colour},
            typeId.split('.').pop() + ' ' + trackId.slice(0, 6)));
        boxes.appendChild(group);
    }

    function show(index) {
        var shown = data.documents[index];
        var outcome = data.outcomes[shown[2]];
        var drawn = shown[3];
        while (boxes.firstChild) boxes.removeChild(boxes.firstChild);
        drawn.forEach(drawBox);
        position.textContent = 'document ' + shown[0] + ' of ' + data.documentCount + ' \u00b7 ' +
            seconds(shown[1]) + ' s \u00b7 ' + drawn.length + (drawn.length === 1 ? ' box' : ' boxes') +
            (outcome === 'converted' ? '' : ' \u00b7 ' + outcome);
        position.setAttribute('data-document', shown[0]);
        position.setAttribute('data-timestamp-us', shown[1]);
        note.textContent = outcome !== 'converted' ? outcome : drawn.length === 0 ? 'no boxes' : '';
        var x = axisX(shown[1]);
        Array.prototype.forEach.call(cursors, function (cursor) {
            cursor.setAttribute('x1', x);
            cursor.setAttribute('x2', x);
        });
        var tracks = drawn.map(function (box) { return data.tracks[box[5]]; });
        Array.prototype.forEach.call(bestShots, function (item) {
            item.classList.toggle('in-frame', tracks.indexOf(item.getAttribute('data-track')) >= 0);
        });
    }

    function go(index) {
        var last = data.documents.length - 1;
        slider.value = String(Math.max(0, Math.min(last, index)));
        show(Number(slider.value));
    }

    function nearestDocument(timestampUs) {
        var best = 0;
        data.documents.forEach(function (candidate, index) {
            if (Math.abs(candidate[1] - timestampUs) < Math.abs(data.documents[best][1] - timestampUs)) best = index;
        });
        return best;
    }

    slider.addEventListener('input', function () { show(Number(slider.value)); });
    document.addEventListener('keydown', function (event) {
        // The slider steps by itself when it has the focus.
        if (event.target === slider || event.altKey || event.ctrlKey || event.metaKey) return;
        var step = event.key === 'ArrowRight' ? 1 : event.key === 'ArrowLeft' ? -1 : 0;
        if (step === 0) return;
        event.preventDefault();
        go(Number(slider.value) + step);
    });
    Array.prototype.forEach.call(document.querySelectorAll('svg.chart'), function (chart) {
        chart.addEventListener('click', function (event) {
            var point = chart.createSVGPoint();
            point.x = event.clientX;
            point.y = event.clientY;
            var x = point.matrixTransform(chart.getScreenCTM().inverse()).x;
            var fraction = (x - data.axis.left) / (data.axis.right - data.axis.left);
            go(nearestDocument(data.axis.firstUs + fraction * (data.axis.lastUs - data.axis.firstUs)));
        });
    });
    show(Number(slider.value));
})();
)js";

} // namespace qvhost
