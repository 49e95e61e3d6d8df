// Reports of real models, made by `vdacheck report` itself, opened from file:// in headless Chromium: the
// page draws the model, its table holds exactly the rows of `vdacheck check --format json` of the same file
// (with --quality: the packets, then the findings), and selecting and hiding work on it.
// Screenshots are kept in $VDC_REPORT_OUTPUT/screenshots.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import { colour, launchBrowser, mask } from './browser.mjs';

const tool = process.env.VDC_TOOL;
const source = process.env.VDC_SOURCE_DIR;
const output = process.env.VDC_REPORT_OUTPUT;
const screenshots = path.join(output || '.', 'screenshots');

// Each model, the type whose check box the test clears, and the least share of the view it covers.
const MODELS = [
  { name: 'bracket', file: 'examples/bracket.vda', quality: false, hide: 'FACE', least: 0.08 },
  { name: 'bracket-quality', file: 'examples/bracket.vda', quality: true, hide: 'FACE', least: 0.08 },
  { name: 'curve-sp1', file: 'tests/data/samples/OpenVDAFS__CURVE_SP1.vda', quality: true, hide: 'CURVE', least: 0.002 },
  { name: 'fc267', file: 'tests/data/samples/OpenVDAFS__FC267.vda', quality: true, hide: 'FACE', least: 0.15 },
  { name: 'surf-flae0001', file: 'tests/data/samples/OpenVDAFS__SURF_FLAE0001.vda', quality: true, hide: 'SURF', least: 0.1 },
  { name: 'quality-gaps', file: 'tests/data/quality_gaps.vda', quality: true, hide: 'SURF', least: 0.08 },
];

let browser;
let help;  // rule id -> the sentence a quality finding's row shows as its message

function run(args) {
  const result = spawnSync(tool, args, { cwd: source, encoding: 'utf8', maxBuffer: 1 << 28 });
  if (result.error) throw result.error;
  return result;
}

before(async () => {
  assert.ok(tool && source && output, 'VDC_TOOL, VDC_SOURCE_DIR and VDC_REPORT_OUTPUT must be set (ctest sets them)');
  fs.mkdirSync(output, { recursive: true });
  help = new Map(JSON.parse(run(['rules', '--format', 'json']).stdout).rules.map((r) => [r.id, r.message]));
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
});

// The 3-D view without the controls and the legend drawn over it.
const shot = (page, name) => browser.shot(page, '#vdc-canvas', screenshots, name,
  '.vdc-toolbar > *, #vdc-legend, #vdc-view-status, #vdc-view-message:not([hidden])');
// Pixels of the model itself: neither background nor a finding's marker.
const modelPixels = (image) => mask(image, (r, g, b) => !colour.background(r, g, b) && !colour.finding(r, g, b)).size;

for (const model of MODELS) {
  describe(model.name, () => {
    let expected;  // the JSON report of check
    let html;
    let page;
    let errors;

    before(async () => {
      const quality = model.quality ? ['--quality'] : [];
      html = path.join(output, `tool-${model.name}.html`);
      fs.rmSync(html, { force: true });
      const check = run(['check', model.file, '--format', 'json', ...quality]);
      expected = JSON.parse(check.stdout);
      const report = run(['report', model.file, '-o', path.relative(source, html), ...quality]);
      assert.equal(report.status, check.status, `report exits as check does: ${report.stderr}`);
      assert.match(report.stdout, /^report .*; page written to /);
      ({ page, errors } = await browser.open(html));
    });

    after(async () => {
      await page?.close();
    });

    test('draws the model with no error, over a plausible share of the view', async () => {
      const image = await shot(page, `tool-${model.name}`);
      const share = modelPixels(image) / (image.width * image.height);
      assert.ok(share > model.least && share < 0.9, `the model covers ${(100 * share).toFixed(2)}% of the view`);
      assert.equal(mask(image, colour.selected).size, 0, 'nothing is selected yet');
      if (expected.quality?.some((q) => q.where.point))
        assert.ok(mask(image, colour.finding).size > 20, 'the findings are marked');
      assert.deepEqual(errors, [], 'the page reported errors');
    });

    test('the table has exactly the rows of the check report, in order', async () => {
      const rows = await page.$$eval('#vdc-table tbody tr', (trs) => trs.map((tr) => ({
        rule: tr.dataset.rule, entity: tr.dataset.entity, line: tr.cells[3].textContent, message: tr.cells[4].textContent,
      })));
      const want = [
        ...expected.errors.map((e) => ({ rule: e.rule ?? '', entity: e.entity, line: e.line, message: e.message })),
        ...(expected.quality || []).map((q) => ({ rule: q.rule, entity: q.entity, line: q.line, message: help.get(q.rule) })),
      ].map((r) => ({ ...r, line: r.line > 0 ? String(r.line) : '—' }));
      assert.deepEqual(rows, want);

      // The findings' numbers and places are those measured, to the bit.
      const data = await page.evaluate(() => JSON.parse(document.getElementById('vdc-data').textContent));
      const findings = data.problems.filter((p) => p.kind === 'quality');
      assert.deepEqual(findings.map((p) => [p.value, p.tolerance, p.unit, p.point]),
        (expected.quality || []).map((q) => [q.value, q.tolerance, q.unit, q.where.point ?? undefined]));
    });

    test('the header names the file, the command, the entities and the reader warnings', async () => {
      assert.equal(await page.textContent('#vdc-file'), model.file);
      assert.match(await page.textContent('#vdc-made-by'), new RegExp(`vdacheck report ${model.file} -o `));
      const counts = await page.$$eval('#vdc-entity-counts li b', (bs) => bs.map((b) => Number(b.textContent)));
      assert.equal(counts.reduce((a, b) => a + b, 0), expected.entities);
      const warnings = await page.$$eval('#vdc-warnings li .vdc-note-rule', (cs) => cs.map((c) => c.textContent));
      assert.deepEqual(warnings, expected.warnings.map((w) => w.rule));
    });

    test('clicking a row selects its entity and shows it highlighted', async (t) => {
      const data = await page.evaluate(() => JSON.parse(document.getElementById('vdc-data').textContent));
      // The first row of an entity drawn, of a surface or face when there is one: its highlight is plain.
      const drawn = new Set(data.drawings.entity.map((e) => data.entities.name[e]));
      const shaded = new Set(data.drawings.entity.filter((e, k) => data.groups[data.drawings.group[k]].shape === 'triangles')
        .map((e) => data.entities.name[e]));
      const rows = await page.$$eval('#vdc-table tbody tr', (trs) => trs.map((tr) => tr.dataset.entity));
      const first = rows.findIndex((entity) => shaded.has(entity));
      const at = first >= 0 ? first : rows.findIndex((entity) => drawn.has(entity));
      if (at < 0) {
        t.skip('no row stands under a drawn entity');
        return;
      }
      await page.locator('#vdc-table tbody tr').nth(at).click();
      assert.equal(await page.evaluate(() => document.body.dataset.selected), rows[at]);
      const selected = await page.$$eval('#vdc-table tbody tr[aria-selected="true"]', (trs) => trs.map((tr) => tr.dataset.entity));
      assert.deepEqual(selected, rows.filter((entity) => entity === rows[at]));
      const image = await shot(page, `tool-${model.name}-selected`);
      assert.ok(mask(image, colour.selected).size > 30, `${rows[at]} is highlighted`);
      await page.screenshot({ path: path.join(screenshots, `page-tool-${model.name}-selected.png`) });
      await page.keyboard.press('Escape');
      assert.equal(await page.evaluate(() => document.body.dataset.selected), '');
    });

    test(`clearing ${model.hide} hides it, and checking it shows it again`, async () => {
      await page.click('#vdc-fit-all');
      const all = modelPixels(await shot(page, `tool-${model.name}-all-types`));
      await page.uncheck(`#vdc-type-toggles input[data-type="${model.hide}"]`);
      const hidden = modelPixels(await shot(page, `tool-${model.name}-no-${model.hide}`));
      assert.ok(hidden < 0.7 * all, `${hidden} of ${all} model pixels are left`);
      assert.equal(await page.$eval('#vdc-state', (s) => s.dataset.hiddenTypes), model.hide);
      await page.check(`#vdc-type-toggles input[data-type="${model.hide}"]`);
      const again = modelPixels(await shot(page, `tool-${model.name}-again`));
      assert.ok(Math.abs(again - all) < 0.02 * all, `${again} model pixels, ${all} before`);
      assert.deepEqual(errors, [], 'the page reported errors');
    });
  });
}

// A budget too small for the bracket's faces: the page stays within it, draws them as outlines and says so.
describe('bracket within 3 triangles', () => {
  let page;
  let errors;

  before(async () => {
    const html = path.join(output, 'tool-bracket-budget.html');
    fs.rmSync(html, { force: true });
    const report = run(['report', 'examples/bracket.vda', '-o', path.relative(source, html), '--max-triangles', '3']);
    assert.equal(report.status, 1, report.stderr);
    ({ page, errors } = await browser.open(html));
  });

  after(async () => {
    await page?.close();
  });

  test('draws the faces as outlines, within the budget, and the header says which', async () => {
    const state = await page.$eval('#vdc-state', (s) => ({ ...s.dataset }));
    assert.ok(Number(state.triangles) <= 3, `${state.triangles} triangles`);
    assert.ok(Number(state.outlined) >= 2, `${state.outlined} outlines`);
    assert.equal(await page.isVisible('#vdc-outlined'), true);
    assert.match(await page.textContent('#vdc-outlined summary'),
      new RegExp(`^${state.outlined} surfaces and faces drawn as outlines only: the budget of 3 triangles`));
    await page.click('#vdc-outlined summary');
    assert.ok((await page.textContent('#vdc-outlined ul')).includes('FACE F1'));
    const image = await shot(page, 'tool-bracket-budget');
    assert.ok(modelPixels(image) > 200, 'the outlines are drawn');

    await page.locator('#vdc-table tbody tr[data-entity="F1"]').first().click();
    assert.match(await page.textContent('#vdc-view-status'), /drawn as its outline only/);
    assert.deepEqual(errors, [], 'the page reported errors');
  });
});
