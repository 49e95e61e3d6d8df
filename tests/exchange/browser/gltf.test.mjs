// The glTF files of the exchange library (written by vdacheck_gltf_fixture, and by the tool's convert when there is
// a tool) pass the Khronos glTF-Validator with no error and no warning, hold a mesh for each face the conversion
// exported, and draw through three.js's glTF loader in headless Chromium (a screenshot that is not blank). Screenshots are kept in $VDC_GLTF_OUTPUT.
import { before, after, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { launchBrowser, mask, colour } from '../../report/browser/browser.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const fixture = process.env.VDC_GLTF_FIXTURE;
const output = process.env.VDC_GLTF_OUTPUT;
// Each model and the least share of the view it covers (the curve is a line one pixel wide; random and
// synthetic parts lie far apart).
const MODELS = { bracket: 0.05, 'bracket-text': 0.05, fc267: 0.05, 'curve-sp1': 0.0005, random: 0.01, synthetic: 0.02,
  'tool-bracket': 0.05 };
const tool = process.env.VDC_TOOL;  // unset in a build without the tool
if (!tool) delete MODELS['tool-bracket'];

let browser;
let page;

before(async () => {
  assert.ok(fixture && output, 'VDC_GLTF_FIXTURE and VDC_GLTF_OUTPUT must be set (ctest sets them)');
  fs.rmSync(output, { recursive: true, force: true });
  const made = spawnSync(fixture, [output], { encoding: 'utf8' });
  assert.equal(made.status, 0, made.stderr);
  // The tool's own glTF of the bracket, and from its JSON report the faces it exported.
  if (tool) {
    const converted = spawnSync(tool, ['convert', path.join(here, '../../../examples/bracket.vda'), '--repair', '-o',
      path.join(output, 'tool-bracket.glb'), '--format', 'json'], { encoding: 'utf8' });
    assert.equal(converted.status, 0, converted.stderr);
    const faces = JSON.parse(converted.stdout).exported.filter((e) => /^(untrimmed )?face/.test(e.as)).map((e) => e.entity);
    fs.writeFileSync(path.join(output, 'tool-bracket.json'), JSON.stringify({ file: 'tool-bracket.glb', faces }));
  }
  // three.js and its loader in one script for the page, from the pinned npm packages.
  const esbuild = await import('esbuild');
  await esbuild.build({
    entryPoints: [path.join(here, 'viewer_entry.js')], bundle: true, format: 'iife', outfile: path.join(output, 'viewer.js'),
    logLevel: 'error',
  });
  fs.writeFileSync(path.join(output, 'viewer.html'),
    '<!doctype html><meta charset="utf-8"><body style="margin:0"><canvas id="view" width="800" height="600"></canvas>' +
    '<script src="viewer.js"></script><script>document.body.dataset.ready = "true"</script>');
  browser = await launchBrowser();
  ({ page } = await browser.open(path.join(output, 'viewer.html')));
});

after(async () => {
  await browser?.close();
});

for (const [name, least] of Object.entries(MODELS)) {
  describe(name, () => {
    const expected = () => JSON.parse(fs.readFileSync(path.join(output, `${name}.json`), 'utf8'));
    const bytes = () => fs.readFileSync(path.join(output, expected().file));

    test('passes the glTF validator with no error and no warning', async () => {
      const { validateBytes } = await import('gltf-validator');
      const report = await validateBytes(new Uint8Array(bytes()), { uri: expected().file });
      const problems = report.issues.messages.filter((m) => m.severity <= 1);
      assert.deepEqual(problems, []);
      assert.equal(report.issues.numErrors + report.issues.numWarnings, 0);
      assert.equal(report.info.drawCallCount > 0, true);
    });

    test('draws a mesh for every exported face in Chromium', async () => {
      const meshes = await page.evaluate((b64) => window.viewGltf(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))),
        bytes().toString('base64'));
      for (const face of expected().faces) assert.ok(meshes.includes(face), `no mesh ${face}`);
      const image = await browser.shot(page, '#view', path.join(output, 'screenshots'), name);
      const drawn = mask(image, (r, g, b) => !colour.background(r, g, b)).size / (image.width * image.height);
      assert.ok(drawn > least, `the model covers ${(100 * drawn).toFixed(2)}% of the view`);
    });
  });
}
