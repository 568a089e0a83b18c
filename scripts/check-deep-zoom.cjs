// The browser half of scripts/check-deep-zoom.sh: opens a Deep Zoom picture's page in
// headless Chromium at each address given, and checks that the viewer opens the picture,
// draws tiles (the view is not blank), and loads the full size's tiles once zoomed in.
//   node check-deep-zoom.cjs PLAYWRIGHT_DIR USER_DATA_DIR SHOTS_DIR FULL_LEVEL URL...
// Prints a line a check and exits non-zero when one fails.
'use strict';
const path = require('path');

const [playwrightDir, userDataDir, shotsDir, fullLevelText, ...urls] = process.argv.slice(2);
const { chromium } = require(path.join(playwrightDir, 'node_modules', 'playwright-core'));
const fullLevel = Number(fullLevelText);
const background = [0x20, 0x20, 0x20];  // the page's
const timeout = 30000;

let failures = 0;
function report(ok, label, text) {
  if (!ok) failures++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${label}: ${text}`);
}

// The share of the shot's pixels that differ from the page's background, and how many
// colours (to 4 bits a channel) it has. Decoded in the page from a data: URL, which the
// browser lets a page read whatever the page's own origin.
async function pixelStats(page, png) {
  return page.evaluate(async (base64) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + base64;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const data = context.getImageData(0, 0, image.width, image.height).data;
    let drawn = 0;
    const colours = new Set();
    for (let i = 0; i < data.length; i += 4) {
      if (Math.abs(data[i] - 0x20) + Math.abs(data[i + 1] - 0x20) + Math.abs(data[i + 2] - 0x20) > 12) drawn++;
      colours.add((data[i] >> 4) << 8 | (data[i + 1] >> 4) << 4 | data[i + 2] >> 4);
    }
    return { drawn: drawn / (data.length / 4), colours: colours.size };
  }, png.toString('base64'));
}

async function waitFullyLoaded(page) {
  await page.waitForFunction(() => {
    const problem = document.getElementById('problem');
    if (problem && !problem.hidden) return true;
    const item = window.viewer && window.viewer.world.getItemCount() > 0 && window.viewer.world.getItemAt(0);
    return item && item.getFullyLoaded();
  }, null, { timeout, polling: 100 });
  return page.evaluate(() => {
    const problem = document.getElementById('problem');
    return problem && !problem.hidden ? problem.textContent : '';
  });
}

async function check(context, url) {
  const label = url.startsWith('file:') ? 'file://' : 'http://';
  const page = await context.newPage();
  const problems = [];
  const networkLevels = new Set();
  let dziRead = false;
  page.on('pageerror', (error) => problems.push(`script error: ${error.message}`));
  page.on('console', (message) => { if (message.type() === 'error') problems.push(`console: ${message.text()}`); });
  page.on('requestfailed', (request) => problems.push(`${request.url()} failed: ${request.failure().errorText}`));
  page.on('request', (request) => {
    const address = request.url();
    if (!/^(file:|data:|http:\/\/127\.0\.0\.1[:/])/.test(address)) problems.push(`asked the network for ${address}`);
  });
  page.on('response', (response) => {
    if (response.status() >= 400) problems.push(`${response.url()} answered ${response.status()}`);
  });
  page.on('requestfinished', (request) => {
    const tile = request.url().match(/_files\/(\d+)\/\d+_\d+\.(jpg|png)$/);
    if (tile) networkLevels.add(Number(tile[1]));
    if (/\.dzi$/.test(request.url())) dziRead = true;
  });
  // Every tile the viewer loads, from its first: the page's `var viewer = ...` runs
  // through this setter, which listens before the viewer has opened anything.
  await page.addInitScript(() => {
    window.tileLevels = [];
    window.tileFailures = [];
    Object.defineProperty(window, 'viewer', {
      configurable: true,
      get() { return this.viewerSeen; },
      set(viewer) {
        this.viewerSeen = viewer;
        viewer.addHandler('tile-loaded', (event) => window.tileLevels.push(event.tile.level));
        viewer.addHandler('tile-load-failed', (event) => window.tileFailures.push(event.message));
      },
    });
  });

  await page.setViewportSize({ width: 1000, height: 700 });
  await page.goto(url, { waitUntil: 'load', timeout });
  const problem = await waitFullyLoaded(page).catch((error) => `nothing opened in ${timeout / 1000} s (${error.message})`);
  report(!problem, label, problem || 'the page loaded and the viewer opened the picture');
  if (label === 'http://') report(dziRead, label, dziRead ? 'the viewer read the .dzi' : 'the .dzi was never asked for');
  if (problem) {
    problems.forEach((p) => console.log(`     ${p}`));
    await page.close();
    return;
  }

  const homeShot = await page.screenshot({ path: path.join(shotsDir, `${label.slice(0, 4)}-home.png`) });
  const home = await pixelStats(page, homeShot);
  report(home.drawn > 0.2 && home.colours > 50, label,
         `at home ${(home.drawn * 100).toFixed(0)}% of the view is drawn, in ${home.colours} colours`);
  const before = Math.max(...(await page.evaluate(() => window.tileLevels)));

  // In to the most the viewer allows, off the centre, at once.
  await page.evaluate(() => {
    const viewport = window.viewer.viewport;
    viewport.zoomTo(viewport.getMaxZoom(), null, true);
    viewport.panTo(viewport.imageToViewportCoordinates(window.viewer.world.getItemAt(0).getContentSize().x * 0.3,
                                                       window.viewer.world.getItemAt(0).getContentSize().y * 0.4), true);
  });
  await page.waitForFunction((level) => window.tileLevels.includes(level), fullLevel, { timeout, polling: 100 })
    .catch(() => {});
  await waitFullyLoaded(page).catch(() => {});
  const levels = await page.evaluate(() => window.tileLevels);
  const after = Math.max(...levels);
  report(after === fullLevel && after > before, label,
         `zoomed in, tiles of level ${after} came (level ${before} at home; the full size is level ${fullLevel})`);
  const zoomShot = await page.screenshot({ path: path.join(shotsDir, `${label.slice(0, 4)}-zoomed.png`) });
  const zoomed = await pixelStats(page, zoomShot);
  report(zoomed.drawn > 0.9, label, `zoomed in ${(zoomed.drawn * 100).toFixed(0)}% of the view is drawn`);
  if (label === 'http://')
    report(networkLevels.has(fullLevel), label, `the network carried tiles of levels ${[...networkLevels].sort((a, b) => a - b).join(', ')}`);

  const failed = await page.evaluate(() => window.tileFailures);
  problems.push(...failed.map((message) => `a tile failed: ${message}`));
  report(problems.length === 0, label, problems.length ? `${problems.length} problems:` : 'no script errors, failed requests or network use');
  problems.slice(0, 8).forEach((p) => console.log(`     ${p}`));
  if (problems.length > 8) console.log(`     and ${problems.length - 8} more`);
  await page.close();
}

(async () => {
  const context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    for (const url of urls) await check(context, url);
  } finally {
    await context.close();
  }
  console.log(failures ? `${failures} check(s) failed` : 'every check passed');
  process.exit(failures ? 1 : 0);
})().catch((error) => {
  console.error(`the check could not run: ${error.stack || error}`);
  process.exit(2);
});
