// The report page as a person sees it: pages written by vdacheck_report_fixture, opened from file:// in
// headless Chromium, looked at through screenshots and used with the mouse and the keyboard.
// Screenshots are kept in $VDC_REPORT_OUTPUT/screenshots.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import { centroid, colour, inside, launchBrowser, mask, overlap, solid } from './browser.mjs';

const fixtureProgram = process.env.VDC_REPORT_FIXTURE;
const output = process.env.VDC_REPORT_OUTPUT;
const screenshots = path.join(output || '.', 'screenshots');
let browser;
let expected;

before(async () => {
  assert.ok(fixtureProgram && output, 'VDC_REPORT_FIXTURE and VDC_REPORT_OUTPUT must be set (ctest sets them)');
  fs.mkdirSync(output, { recursive: true });
  execFileSync(fixtureProgram, ['fixture', output], { stdio: 'inherit' });
  expected = JSON.parse(fs.readFileSync(path.join(output, 'fixture.expected.json'), 'utf8'));
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
});

const fixture = () => path.join(output, 'fixture.html');
// The 3-D view without the controls and the legend drawn over it.
const shot = (page, name) => browser.shot(page, '#vdc-canvas', screenshots, name,
  '.vdc-toolbar > *, #vdc-legend, #vdc-view-status, #vdc-view-message:not([hidden])');
const selectedName = (page) => page.evaluate(() => document.body.dataset.selected);
const rows = (page) => page.$$eval('#vdc-table tbody tr', (trs) => trs.map((tr) => ({
  entity: tr.dataset.entity, rule: tr.dataset.rule, type: tr.dataset.type, kind: tr.dataset.kind,
  selected: tr.getAttribute('aria-selected') === 'true',
})));
const selectedRows = async (page) => (await rows(page)).filter((r) => r.selected).map((r) => r.entity);
const expectedRowsOf = (entity) => expected.rows.filter((r) => r.entity === entity).map((r) => r.entity);

// Opens the fixture, runs `body`, then requires that the page reported no error at all.
async function withFixture(body, viewport) {
  const { page, errors } = await browser.open(fixture(), viewport);
  try {
    await body(page);
    assert.deepEqual(errors, [], 'the page reported errors');
  } finally {
    await page.close();
  }
}

test('WebGL draws under software rendering, and the model covers a plausible share of the view', async () => {
  await withFixture(async (page) => {
    const state = await page.$eval('#vdc-state', (s) => ({ ...s.dataset }));
    assert.equal(state.webgl, 'yes', 'no WebGL context: the browser flags must give a software renderer');
    const image = await shot(page, 'fixture');
    const all = image.width * image.height;
    const model = all - mask(image, colour.background).size;
    assert.ok(model > 0.12 * all && model < 0.8 * all, `model pixels: ${model} of ${all}`);
    // Each status colour shows: the clean plate, the faulty plate, the wall referring to faulty entities
    // and the markers of the quality findings.
    for (const [name, is, least] of [['clean', colour.cleanSurface, 0.03 * all], ['faulty', colour.faulty, 0.02 * all],
      ['referring', colour.referring, 0.02 * all], ['finding', colour.finding, 2 * 20]]) {
      const n = solid(image, mask(image, is)).size;
      assert.ok(n > least, `${name} pixels: ${n} of ${all}`);
    }
    assert.equal(mask(image, colour.selected).size, 0, 'nothing is selected yet');
  });
});

test('the table holds exactly the input rows, in order', async () => {
  await withFixture(async (page) => {
    const shown = (await rows(page)).map(({ entity, rule, type, kind }) => ({ entity, rule, type, kind }));
    assert.deepEqual(shown, expected.rows);
    const state = await page.$eval('#vdc-state', (s) => ({ ...s.dataset }));
    assert.equal(Number(state.problems), expected.rows.length);
    assert.equal(Number(state.rows), expected.rows.length);
  });
});

test('filters by rule, type and kind, also from the header', async () => {
  await withFixture(async (page) => {
    const only = (filter) => expected.rows.filter((r) => Object.entries(filter).every(([k, v]) => r[k] === v)).map((r) => r.entity);
    const visible = async () => (await rows(page)).map((r) => r.entity);

    await page.selectOption('#vdc-filter-rule', 'face-cons-ptr');
    assert.deepEqual(await visible(), only({ rule: 'face-cons-ptr' }));
    await page.selectOption('#vdc-filter-type', 'CIRCLE');
    assert.deepEqual(await visible(), []);
    assert.ok(await page.isVisible('#vdc-no-rows'), 'an empty result says so');
    await page.selectOption('#vdc-filter-rule', '');
    assert.deepEqual(await visible(), only({ type: 'CIRCLE' }));
    await page.selectOption('#vdc-filter-kind', 'warning');
    assert.deepEqual(await visible(), only({ type: 'CIRCLE', kind: 'warning' }));
    await page.selectOption('#vdc-filter-type', '');
    await page.selectOption('#vdc-filter-kind', '');

    await page.click('#vdc-rule-counts button[data-rule="surf-patch-gap"]');
    assert.deepEqual(await visible(), only({ rule: 'surf-patch-gap' }));
    assert.equal(await page.$eval('#vdc-filter-rule', (s) => s.value), 'surf-patch-gap');
    await page.click('#vdc-rule-counts button[data-rule="surf-patch-gap"]');
    assert.equal((await visible()).length, expected.rows.length, 'a second click on the chip clears the filter');
  });
});

test('clicking a row selects its entity, frames it and highlights it where it is', async () => {
  await withFixture(async (page) => {
    const before = await shot(page, 'before-selection');
    const faulty = mask(before, colour.faulty);

    await page.locator('#vdc-table tbody tr[data-entity="F1"]').first().click();
    assert.equal(await selectedName(page), 'F1');
    assert.deepEqual(await selectedRows(page), expectedRowsOf('F1'));

    // Framed: the highlight fills much of the view, around its middle.
    const framed = await shot(page, 'row-selected-framed');
    const lit = mask(framed, colour.selected);
    assert.ok(lit.size > 0.15 * framed.width * framed.height, `highlighted pixels: ${lit.size}`);
    const [x, y] = centroid(framed, lit);
    assert.ok(Math.abs(x / framed.width - 0.5) < 0.15 && Math.abs(y / framed.height - 0.5) < 0.15, `highlight centred at ${x}, ${y}`);

    // Back to the whole model: the highlight is where the faulty plate was drawn red.
    await page.click('#vdc-fit-all');
    const whole = await shot(page, 'row-selected-fit-all');
    const highlighted = mask(whole, colour.selected);
    const common = overlap(highlighted, faulty);
    assert.ok(common > 0.8 * highlighted.size, `${common} of ${highlighted.size} highlighted pixels were red before`);
    assert.ok(common > 0.6 * faulty.size, `${common} of ${faulty.size} red pixels are highlighted now`);
    await page.screenshot({ path: path.join(screenshots, 'page-row-selected.png') });
  });
});

test('clicking an entity in 3-D selects its rows; clicking nothing clears the selection', async () => {
  await withFixture(async (page) => {
    const image = await shot(page, 'before-picking');
    for (const [entity, is] of [['F2', colour.referring], ['S1', colour.cleanSurface], ['F1', colour.faulty]]) {
      const at = inside(image, mask(image, is));
      assert.ok(at, `no pixel to click for ${entity}`);
      await page.mouse.click(...at);
      assert.equal(await selectedName(page), entity);
      assert.deepEqual(await selectedRows(page), expectedRowsOf(entity));
    }

    const empty = inside(image, mask(image, colour.background), 12);
    assert.ok(await page.evaluate(([x, y]) => document.elementFromPoint(x, y).id === 'vdc-canvas', empty));
    await page.mouse.click(...empty);
    assert.equal(await selectedName(page), '');
    assert.deepEqual(await selectedRows(page), []);
  });
});

test('clicking a finding marker selects the entity it stands under', async () => {
  await withFixture(async (page) => {
    const image = await shot(page, 'before-marker');
    const at = inside(image, mask(image, colour.finding), 2);
    assert.ok(at, 'no marker to click');
    await page.mouse.click(...at);
    const entity = await selectedName(page);
    assert.ok(expected.rows.some((r) => r.entity === entity && r.kind === 'quality'), `selected ${entity}`);
    assert.deepEqual(await selectedRows(page), expectedRowsOf(entity));
  });
});

test('toggling a type hides it and showing it brings it back', async () => {
  await withFixture(async (page) => {
    const count = async (name, is) => {
      const image = await shot(page, name);
      return solid(image, mask(image, is)).size;
    };
    const clean = await count('types-all', colour.cleanSurface);
    const referring = await count('types-all', colour.referring);

    await page.uncheck('#vdc-type-toggles input[data-type="SURF"]');
    assert.ok(await count('types-no-surf', colour.cleanSurface) < 0.02 * clean, 'the clean SURF is gone');
    await page.uncheck('#vdc-type-toggles input[data-type="FACE"]');
    assert.ok(await count('types-no-surf-face', colour.referring) < 0.3 * referring, 'the wall (a FACE) is gone');
    assert.equal(await page.$eval('#vdc-state', (s) => s.dataset.hiddenTypes), 'SURF FACE');

    await page.check('#vdc-type-toggles input[data-type="SURF"]');
    assert.ok(await count('types-surf-again', colour.cleanSurface) > 0.9 * clean);
    const toggles = await page.$$eval('#vdc-type-toggles input', (boxes) => boxes.map((b) => b.dataset.type));
    assert.deepEqual(toggles, [...expected.drawnTypes, 'findings']);
  });
});

test('the keyboard reaches the rows and selects with Enter; Escape clears', async () => {
  await withFixture(async (page) => {
    await page.focus('#vdc-filter-kind');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.dataset.problem), '0', 'Tab reaches the first row');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    assert.equal(await selectedName(page), expected.rows[2].entity);
    await page.keyboard.press('Escape');
    assert.equal(await selectedName(page), '');
  });
});

test('the header shows the file, counts, notes and hostile text as text', async () => {
  await withFixture(async (page) => {
    assert.equal(await page.textContent('#vdc-file'), expected.file);
    assert.ok((await page.title()).startsWith(expected.file));
    const chips = await page.$$eval('#vdc-entity-counts li', (lis) => lis.map((li) => li.textContent));
    assert.ok(chips.includes('SURF2') && chips.includes('TLIST1'), chips.join(' '));
    const rules = await page.$$eval('#vdc-rule-counts button', (bs) => bs.map((b) => [b.dataset.rule, b.querySelector('b').textContent]));
    assert.deepEqual(rules.find(([rule]) => rule === 'face-cons-ptr'), ['face-cons-ptr', '2']);

    await page.click('#vdc-warnings summary');
    assert.ok((await page.textContent('#vdc-warnings ul')).includes(expected.warning),
      'the warning reads as written, with U+FFFD for the byte that is not UTF-8');
    assert.equal(await page.evaluate(() => window.pwned), undefined, 'no text of the data ran as script');
    await page.click('#vdc-skipped summary');
    assert.ok((await page.textContent('#vdc-skipped ul')).includes(expected.skipped));
  });
});

test('fits a 1280 by 800 window without scrolling sideways, and a large one', async () => {
  for (const [width, height] of [[1280, 800], [1920, 1080]]) {
    await withFixture(async (page) => {
      const sizes = await page.evaluate(() => ({
        scroll: document.documentElement.scrollWidth,
        view: document.getElementById('vdc-view').getBoundingClientRect(),
        table: document.getElementById('vdc-problems').getBoundingClientRect(),
      }));
      assert.ok(sizes.scroll <= width, `page is ${sizes.scroll} px wide`);
      assert.ok(sizes.view.width > 0.45 * width && sizes.view.height > 0.6 * height, 'the 3-D view keeps most of the window');
      assert.ok(sizes.table.right <= width && sizes.table.width > 400);
      await page.screenshot({ path: path.join(screenshots, `page-${width}x${height}.png`) });
    }, { width, height });
  }
});

test('a long table grows on demand and always shows the rows of what is selected', async () => {
  const { page, errors } = await browser.open(path.join(output, 'many.html'));
  try {
    const count = () => page.$$eval('#vdc-table tbody tr', (trs) => trs.length);
    assert.equal(await count(), 500, 'rows come 500 at a time');
    assert.equal(await page.$eval('#vdc-state', (s) => s.dataset.rows), '1200');
    await page.click('#vdc-more');
    assert.equal(await count(), 1000);

    // The leftmost point's row is the very last: picking it adds the rows up to it and scrolls there.
    const image = await shot(page, 'many');
    const red = mask(image, colour.faulty);
    let leftmost = -1;
    for (const i of red) if (leftmost < 0 || i % image.width < leftmost % image.width) leftmost = i;
    await page.mouse.click(image.box.x + (leftmost % image.width) + 2, image.box.y + Math.floor(leftmost / image.width));
    const entity = await selectedName(page);
    assert.match(entity, /^P\d$/, 'one of the leftmost points');
    const row = page.locator(`#vdc-table tbody tr[data-entity="${entity}"]`);
    assert.equal(await row.getAttribute('aria-selected'), 'true');
    assert.ok(await row.isVisible() && (await row.boundingBox()).y < 800, 'its row is scrolled into view');
    assert.ok(await count() > 1000);
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});

test('a report with nothing drawn and no problems says so', async () => {
  const { page, errors } = await browser.open(path.join(output, 'empty.html'));
  try {
    assert.equal(await page.textContent('#vdc-no-rows'), 'No problems.');
    assert.ok(await page.isVisible('#vdc-view-message'));
    assert.equal(await page.$eval('#vdc-state', (s) => s.dataset.rows), '0');
    await page.screenshot({ path: path.join(screenshots, 'empty.png') });
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
  }
});
