// Opening report pages in headless Chromium (Debian's /usr/bin/chromium, driven by playwright-core) and
// reading screenshots as pixels. WebGL runs on SwiftShader, so the pages draw without a GPU.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

export const CHROMIUM = process.env.VDC_CHROMIUM || '/usr/bin/chromium';
const INSTALL = 'run scripts/install-deps.sh from the repository root';

const FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  // WebGL on the CPU: ANGLE over SwiftShader, which Chromium no longer falls back to by itself.
  '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
];

async function load(module) {
  try {
    return await import(module);
  } catch (e) {
    throw new Error(`the npm package ${module} is missing (${e.code || e.message}): ${INSTALL}`);
  }
}

// A browser with a fresh profile; close() removes the profile again.
export async function launchBrowser() {
  if (!fs.existsSync(CHROMIUM)) throw new Error(`${CHROMIUM} is missing: ${INSTALL}`);
  const { chromium } = await load('playwright-core');
  const { PNG } = await load('pngjs');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vdc-report-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM, headless: true, args: FLAGS, viewport: { width: 1280, height: 800 },
  });
  return {
    // Opens a page and collects what it reports as errors; `problems()` lists them.
    async open(file, viewport) {
      const page = await context.newPage();
      if (viewport) await page.setViewportSize(viewport);
      const errors = [];
      page.on('console', (m) => { if (m.type() === 'error') errors.push(`console: ${m.text()}`); });
      page.on('pageerror', (e) => errors.push(`page error: ${e.message}`));
      await page.goto(`file://${file}`);
      await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
      return { page, errors };
    },
    // Screenshot of `selector`, saved as DIR/NAME.png for a person to look at, and decoded for the test
    // with the elements matching `covers` (controls drawn over it) painted white.
    async shot(page, selector, dir, name, covers) {
      fs.mkdirSync(dir, { recursive: true });
      await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
      const png = await page.locator(selector).screenshot({ path: path.join(dir, `${name}.png`) });
      const box = await page.locator(selector).boundingBox();
      const image = { ...PNG.sync.read(png), box };
      const rects = covers ? await page.$$eval(covers, (all) => all.map((e) => e.getBoundingClientRect().toJSON())) : [];
      for (const r of rects)
        for (let y = Math.max(0, Math.floor(r.top - box.y)); y < Math.min(image.height, Math.ceil(r.bottom - box.y)); ++y)
          image.data.fill(255, 4 * (y * image.width + Math.max(0, Math.floor(r.left - box.x))),
            4 * (y * image.width + Math.min(image.width, Math.ceil(r.right - box.x))));
      return image;
    },
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Colour classes of the page's palette, wide enough for shading and anti-aliasing.
export const colour = {
  background: (r, g, b) => Math.min(r, g, b) > 195 && Math.max(r, g, b) - Math.min(r, g, b) < 30,
  cleanSurface: (r, g, b) => b > r + 15 && r > 100 && r < 200 && g > 120 && b > 150 && b < 240,
  faulty: (r, g, b) => r > 150 && g < 80 && b < 80,
  referring: (r, g, b) => r > 180 && g > 80 && g < 170 && b < 60,
  selected: (r, g, b) => r > 220 && g > 200 && b < 90,
  finding: (r, g, b) => r > 110 && r < 200 && g < 120 && b > 180,
};

// The pixels of `image` that `is` accepts, as a set of indices (y * width + x).
export function mask(image, is) {
  const found = new Set();
  for (let i = 0; i < image.width * image.height; ++i)
    if (is(image.data[4 * i], image.data[4 * i + 1], image.data[4 * i + 2])) found.add(i);
  return found;
}

// The pixels of `pixels` whose eight neighbours are in it too: areas, without the anti-aliased fringes of
// lines, which blend into any colour between theirs and the background's.
export function solid(image, pixels) {
  const w = image.width;
  const found = new Set();
  for (const i of pixels)
    if ([i - w - 1, i - w, i - w + 1, i - 1, i + 1, i + w - 1, i + w, i + w + 1].every((j) => pixels.has(j))) found.add(i);
  return found;
}

export function overlap(a, b) {
  let n = 0;
  for (const i of a) if (b.has(i)) ++n;
  return n;
}

export function centroid(image, pixels) {
  let x = 0;
  let y = 0;
  for (const i of pixels) {
    x += i % image.width;
    y += Math.floor(i / image.width);
  }
  return [x / pixels.size, y / pixels.size];
}

// A point of `pixels` whose whole (2r+1)-square neighbourhood is in `pixels`, nearest their centroid:
// somewhere to click that is surely on that colour. Page coordinates, or null.
export function inside(image, pixels, r = 3) {
  const [cx, cy] = centroid(image, pixels);
  let best = null;
  let bestDistance = Infinity;
  for (const i of pixels) {
    const x = i % image.width;
    const y = Math.floor(i / image.width);
    const distance = (x - cx) ** 2 + (y - cy) ** 2;
    if (distance >= bestDistance) continue;
    let all = true;
    for (let dy = -r; dy <= r && all; ++dy)
      for (let dx = -r; dx <= r && all; ++dx) all = pixels.has((y + dy) * image.width + x + dx);
    if (all) [best, bestDistance] = [[x, y], distance];
  }
  if (!best) return null;
  // Screenshots are in device pixels; the page's pixel ratio is 1 here.
  return [image.box.x + best[0] + 0.5, image.box.y + best[1] + 0.5];
}
