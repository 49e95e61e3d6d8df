// Times a report page in headless Chromium: from navigation to the first frame drawn, then selecting an
// entity from the table and by clicking it in 3-D. Not a test: run it by hand on a page of a large model,
//   node tests/report/browser/time_report_load.mjs build/large.html
import { launchBrowser } from './browser.mjs';

const file = process.argv[2];
if (!file) {
  console.error('usage: node time_report_load.mjs REPORT.html');
  process.exit(2);
}
const browser = await launchBrowser();
try {
  const started = Date.now();
  const { page, errors } = await browser.open(file.startsWith('/') ? file : `${process.cwd()}/${file}`);
  const loaded = Date.now() - started;
  const state = await page.$eval('#vdc-state', (s) => ({ ...s.dataset }));
  const heap = await page.evaluate(() => performance.memory?.usedJSHeapSize || 0);
  console.log(`ready after ${loaded} ms (${state.triangles} triangles, ${state.drawings} drawings, ${state.problems} problems)`);
  console.log(`JavaScript heap: ${(heap / 2 ** 20).toFixed(0)} MiB`);
  // The page marks the end of each step of its start (performance.mark); times since navigation began.
  const marks = await page.evaluate(() => performance.getEntriesByType('mark').map((m) => [m.name, m.startTime]));
  const dom = await page.evaluate(() => performance.getEntriesByType('navigation')[0]?.domInteractive || 0);
  console.log(`  HTML parsed ${dom.toFixed(0)} ms; ${marks.map(([name, at]) => `${name} ${at.toFixed(0)} ms`).join('; ')}`);

  let t = Date.now();
  await page.locator('#vdc-table tbody tr').first().click();
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  console.log(`row click to selection drawn: ${Date.now() - t} ms (${await page.evaluate(() => document.body.dataset.selected)})`);

  await page.click('#vdc-fit-all');
  const box = await page.locator('#vdc-canvas').boundingBox();
  t = Date.now();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
  console.log(`3-D click to selection drawn: ${Date.now() - t} ms (${await page.evaluate(() => document.body.dataset.selected) || 'nothing'})`);
  if (errors.length) console.log(`page errors:\n  ${errors.join('\n  ')}`);
} finally {
  await browser.close();
}
