// The replay's report page in a real browser: headless Chromium loads it, runs its script, steps through every
// document with the arrow keys, moves the slider to document 100 and compares the boxes it draws with the packet
// lines of the same replay, and saves a screenshot. Chromium is driven over its DevTools protocol on a pipe, so no
// port is opened and nothing but Node.js and Chromium is needed.
//
// Usage: node report_in_browser.js REPORT.html PACKETS.jsonl SCREENSHOT.png
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

// Without these, Chromium reaches out to its maker's services from a machine that must talk only to itself.
const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--remote-debugging-pipe'];

// The demo replays with qvhost's defaults: the first document at 1 s, the next ones 100 ms apart, no calibration.
const FIRST_DOCUMENT_US = 1000000;
const DOCUMENT_STEP_US = 100000;
const CHOSEN_DOCUMENT = 100;

// The page, its script and 240 key presses take a few seconds; a minute means the browser hangs.
const TIME_LIMIT_MS = 60000;

const VIEWPORT = { width: 1400, height: 900 };

class Browser {
    constructor(logPath) {
        this.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qv-report-chromium-'));
        const log = fs.openSync(logPath, 'w');
        this.process = spawn(CHROMIUM, [...CHROMIUM_FLAGS, `--user-data-dir=${this.profile}`, 'about:blank'],
            { stdio: ['ignore', log, log, 'pipe', 'pipe'] });
        this.nextId = 1;
        this.pending = new Map();
        this.listeners = [];
        let received = Buffer.alloc(0);
        this.process.stdio[4].on('data', (chunk) => {
            received = Buffer.concat([received, chunk]);
            for (let end = received.indexOf(0); end >= 0; end = received.indexOf(0)) {
                this.dispatch(JSON.parse(received.subarray(0, end).toString('utf8')));
                received = received.subarray(end + 1);
            }
        });
    }

    send(method, params = {}, sessionId = undefined) {
        const id = this.nextId++;
        this.process.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
        return new Promise((resolve, reject) => this.pending.set(id, { resolve, reject, method }));
    }

    on(method, listener) {
        this.listeners.push({ method, listener });
    }

    dispatch(message) {
        const waiting = this.pending.get(message.id);
        if (waiting) {
            this.pending.delete(message.id);
            if (message.error) waiting.reject(new Error(`${waiting.method}: ${message.error.message}`));
            else waiting.resolve(message.result);
            return;
        }
        for (const { method, listener } of this.listeners) {
            if (method === message.method) listener(message.params);
        }
    }

    /** Ends Chromium and removes its profile once it has stopped writing there. */
    async close() {
        if (this.process.exitCode === null && this.process.signalCode === null) {
            const exited = new Promise((resolve) => this.process.once('exit', resolve));
            this.process.kill();
            await exited;
        }
        fs.rmSync(this.profile, { recursive: true, force: true });
    }
}

class Page {
    constructor(browser, sessionId) {
        this.browser = browser;
        this.sessionId = sessionId;
    }

    send(method, params = {}) {
        return this.browser.send(method, params, this.sessionId);
    }

    async evaluate(expression) {
        const answer = await this.send('Runtime.evaluate', { expression, returnByValue: true });
        if (answer.exceptionDetails) throw new Error(`${expression}: ${answer.exceptionDetails.text}`);
        return answer.result.value;
    }

    async press(key, keyCode) {
        for (const type of ['keyDown', 'keyUp']) {
            await this.send('Input.dispatchKeyEvent', { type, key, code: key, windowsVirtualKeyCode: keyCode });
        }
    }
}

async function openPage(browser, url, errors) {
    const { targetId } = await browser.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await browser.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(browser, sessionId);
    browser.on('Runtime.exceptionThrown', (event) => errors.push(event.exceptionDetails.exception
        ? event.exceptionDetails.exception.description : event.exceptionDetails.text));
    browser.on('Runtime.consoleAPICalled', (event) => {
        if (event.type === 'error' || event.type === 'assert') errors.push(event.args.map((a) => a.value).join(' '));
    });
    browser.on('Log.entryAdded', (event) => {
        if (event.entry.level === 'error') errors.push(event.entry.text);
    });
    await page.send('Runtime.enable');
    await page.send('Log.enable');
    await page.send('Page.enable');
    await page.send('Emulation.setDeviceMetricsOverride', { ...VIEWPORT, deviceScaleFactor: 1, mobile: false });
    const loaded = new Promise((resolve) => browser.on('Page.loadEventFired', resolve));
    await page.send('Page.navigate', { url });
    await loaded;
    return page;
}

const SHOWN_DOCUMENT = "Number(document.getElementById('position').getAttribute('data-document'))";

const DRAWN_BOXES = `Array.from(document.querySelectorAll('#boxes .box')).map((group) => {
    const rect = group.querySelector('rect');
    return { track: group.getAttribute('data-track'), type: group.getAttribute('data-type'),
        x: rect.x.baseVal.value, y: rect.y.baseVal.value,
        width: rect.width.baseVal.value, height: rect.height.baseVal.value };
})`;

/** The boxes the packet lines give the document with this pass time, in the frame's units. */
function expectedBoxes(packetsPath, timestampUs, frame) {
    const boxes = [];
    for (const line of fs.readFileSync(packetsPath, 'utf8').split('\n')) {
        if (!line) continue;
        const packet = JSON.parse(line);
        if (packet.kind !== 'objects' || packet.timestampUs !== timestampUs) continue;
        for (const object of packet.objects) {
            // A best shot's object has no box in the frame.
            if (object.box.x < 0 || object.box.y < 0 || object.box.width <= 0) continue;
            boxes.push({ track: object.trackId, type: object.typeId, x: object.box.x * frame.width,
                y: object.box.y * frame.height, width: object.box.width * frame.width,
                height: object.box.height * frame.height });
        }
    }
    return boxes;
}

function sameBoxes(drawn, expected) {
    const order = (a, b) => (a.track < b.track ? -1 : a.track > b.track ? 1 : 0);
    const close = (a, b) => Math.abs(a - b) < 0.01;
    drawn = [...drawn].sort(order);
    expected = [...expected].sort(order);
    return drawn.length === expected.length && drawn.every((box, i) => box.track === expected[i].track
        && box.type === expected[i].type && close(box.x, expected[i].x) && close(box.y, expected[i].y)
        && close(box.width, expected[i].width) && close(box.height, expected[i].height));
}

async function run(pagePath, packetsPath, screenshotPath) {
    const results = [];
    const check = (passed, what, detail = '') => {
        results.push(passed);
        console.log(`${passed ? 'ok' : 'not ok'} - ${what}${passed || !detail ? '' : `: ${detail}`}`);
    };
    const errors = [];
    const browser = new Browser(screenshotPath.replace(/\.png$/, '') + '-chromium.log');
    openBrowser = browser;
    try {
        const page = await openPage(browser, 'file://' + path.resolve(pagePath), errors);
        const count = await page.evaluate("JSON.parse(document.getElementById('scene-data').textContent).documents.length");
        check(count > CHOSEN_DOCUMENT, `the scene view holds ${count} documents`);

        await page.evaluate('document.activeElement.blur()');
        const stepped = [await page.evaluate(SHOWN_DOCUMENT)];
        for (let i = 1; i < count; ++i) {
            await page.press('ArrowRight', 39);
            stepped.push(await page.evaluate(SHOWN_DOCUMENT));
        }
        check(stepped.every((shown, i) => shown === i + 1), `the right arrow key steps through documents 1 to ${count}`,
            `shown: ${stepped.join(' ')}`);

        await page.evaluate("document.getElementById('slider').focus()");
        await page.press('Home', 36);
        for (let i = 1; i < CHOSEN_DOCUMENT; ++i) await page.press('ArrowRight', 39);
        const timestampUs = FIRST_DOCUMENT_US + (CHOSEN_DOCUMENT - 1) * DOCUMENT_STEP_US;
        const shown = await page.evaluate(`[${SHOWN_DOCUMENT}, Number(document.getElementById('position').getAttribute('data-timestamp-us'))]`);
        check(shown[0] === CHOSEN_DOCUMENT && shown[1] === timestampUs,
            `the slider moves the scene view to document ${CHOSEN_DOCUMENT} at ${timestampUs} us`, `shows ${shown}`);
        const frame = await page.evaluate(
            "(({ width, height }) => ({ width, height }))(document.getElementById('frame').viewBox.baseVal)");
        const expected = expectedBoxes(packetsPath, timestampUs, frame);
        const drawn = await page.evaluate(DRAWN_BOXES);
        check(expected.length > 0 && sameBoxes(drawn, expected),
            `document ${CHOSEN_DOCUMENT} shows the ${expected.length} boxes the packet lines list for it`,
            `drawn ${JSON.stringify(drawn)}, expected ${JSON.stringify(expected)}`);
        check(errors.length === 0, 'no JavaScript error was logged', errors.join('; '));

        await page.evaluate('document.activeElement.blur()');
        const { cssContentSize } = await page.send('Page.getLayoutMetrics');
        const { data } = await page.send('Page.captureScreenshot', { format: 'png', captureBeyondViewport: true,
            clip: { x: 0, y: 0, width: VIEWPORT.width, height: Math.ceil(cssContentSize.height), scale: 1 } });
        fs.writeFileSync(screenshotPath, Buffer.from(data, 'base64'));
        console.log(`screenshot: ${screenshotPath}`);
    } finally {
        await browser.close();
    }
    const failed = results.filter((passed) => !passed).length;
    console.log(`${results.length - failed} passed, ${failed} failed`);
    return failed === 0;
}

let openBrowser = null;
const [pagePath, packetsPath, screenshotPath] = process.argv.slice(2);
if (!screenshotPath) {
    console.error('usage: node report_in_browser.js REPORT.html PACKETS.jsonl SCREENSHOT.png');
    process.exit(2);
}
const timer = setTimeout(() => {
    console.error(`report_in_browser: no answer from Chromium within ${TIME_LIMIT_MS / 1000} s`);
    if (openBrowser) openBrowser.process.kill();
    process.exit(1);
}, TIME_LIMIT_MS);
run(pagePath, packetsPath, screenshotPath).then((passed) => {
    clearTimeout(timer);
    process.exit(passed ? 0 : 1);
}, (error) => {
    console.error(`report_in_browser: ${error.message}`);
    process.exit(1);
});
