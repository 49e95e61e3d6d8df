// The report page: reads the data and the drawing the writer put into the page, fills the header and the
// problem table, and shows the model in 3-D. The table works without WebGL; the view says when it cannot
// draw. The page keeps its state in the DOM (the body's data-selected, the rows' data-* attributes and
// #vdc-state) for tests and for whoever scripts it.
(function () {
  'use strict';

  const ROW_PAGE = 500;         // table rows added at a time: a huge report stays quick to open
  const POINT_SIZE = 7;         // CSS pixels
  const MARKER_SIZE = 15;
  const PICK_RADIUS = 4;        // a click finds lines and points this many pixels away
  const COLOURS = {
    cleanSurface: '#a9bccf',
    cleanLine: '#3d5a80',
    faulty: '#d62828',
    referring: '#f77f00',
    selected: '#ffe600',
    finding: '#9b5de5',
  };
  const STATUS_NAMES = ['clean', 'faulty', 'refers to faulty entities'];

  const $ = (id) => document.getElementById(id);
  const make = (tag, props, children) => {
    const element = document.createElement(tag);
    if (props)
      for (const [key, value] of Object.entries(props)) {
        if (key === 'text') element.textContent = value;
        else if (key === 'class') element.className = value;
        else if (key.startsWith('data-') || key.startsWith('aria-') || key === 'title' || key === 'tabindex' || key === 'type')
          element.setAttribute(key, value);
        else element[key] = value;
      }
    if (children) for (const child of children) element.append(child);
    return element;
  };
  const plural = (n, word, words) => `${n.toLocaleString('en')} ${n === 1 ? word : (words || word + 's')}`;
  // Numbers as a person reads them: six significant digits (the full value is in the cell's title).
  const short = (v) => (typeof v === 'number' ? String(Number(v.toPrecision(6))) : String(v));

  // ---------------------------------------------------------------------------------------------------
  // Data

  let data;
  try {
    data = JSON.parse($('vdc-data').textContent);
  } catch (e) {
    console.error('vdacheck report: the data block cannot be read:', e);
    document.body.dataset.ready = 'error';
    return;
  }
  const types = data.types;
  const entities = data.entities;
  const entityCount = entities.name.length;
  const problems = data.problems;
  const typeName = (t) => (t >= 0 && t < types.length && types[t] ? types[t] : '?');
  const entityLabel = (e) => `${typeName(entities.type[e])} ${entities.name[e]}`;

  const rowsOf = new Array(entityCount);  // entity -> indices of its problems
  for (let p = 0; p < problems.length; ++p) (rowsOf[problems[p].entity] ||= []).push(p);

  // ---------------------------------------------------------------------------------------------------
  // Header

  function fillHeader() {
    const file = data.file || '(no file name)';
    document.title = `${file} · vdacheck report`;
    $('vdc-file').textContent = file;
    const madeBy = $('vdc-made-by');
    if (data.command) madeBy.append('Made by ', make('code', { text: data.command }));
    if (data.version) madeBy.append(`${data.command ? ' · ' : ''}vdacheck ${data.version}`);

    const kinds = { error: 0, quality: 0, warning: 0, note: 0 };
    for (const p of problems) kinds[p.kind] = (kinds[p.kind] || 0) + 1;
    const faultyEntities = rowsOf.reduce((n, rows) => n + (rows ? 1 : 0), 0);
    const summary = $('vdc-summary');
    if (problems.length === 0) summary.append(make('strong', { text: 'No problems.' }));
    else {
      summary.append(make('strong', { text: plural(problems.length, 'problem') }), ` on ${plural(faultyEntities, 'entity', 'entities')}: `);
      summary.append([[kinds.error, 'error'], [kinds.quality, 'quality finding'], [kinds.warning, 'warning'], [kinds.note, 'note']]
        .filter(([n]) => n > 0).map(([n, w]) => plural(n, w)).join(', '));
    }

    const counts = $('vdc-entity-counts');
    for (const [type, n] of data.entityCounts)
      counts.append(make('li', null, [make('span', null, [type, make('b', { text: n.toLocaleString('en') })])]));
    if (data.entityCounts.length === 0) counts.append(make('li', { text: '—' }));

    const ruleCounts = $('vdc-rule-counts');
    for (const [rule, n] of ruleTotals()) {
      const button = make('button', { type: 'button', 'data-rule': rule, 'aria-pressed': 'false', title: `Show only ${rule}` },
        [rule || '(no rule)', make('b', { text: n.toLocaleString('en') })]);
      button.addEventListener('click', () => setRuleFilter(filters.rule === rule ? null : rule));
      ruleCounts.append(make('li', null, [button]));
    }
    if (problems.length === 0) ruleCounts.append(make('li', { text: '—' }));

    fillNotes($('vdc-warnings'), data.warnings.length, plural(data.warnings.length, 'reader warning'),
      data.warnings.map((w) => make('li', null, [make('code', { text: `${w.line}:${w.column}` }), ' ',
        ...(w.rule ? [make('code', { class: 'vdc-note-rule', text: w.rule }), ' '] : []), w.message])));
    fillNotes($('vdc-skipped'), data.skipped.length, `${plural(data.skipped.length, 'drawing')} left out of the view`,
      data.skipped.map((s) => make('li', null, [make('code', { text: entityLabel(s.entity) }), ': ', s.reason])));
    fillNotes($('vdc-outlined'), data.outlined.length,
      `${plural(data.outlined.length, 'surface or face', 'surfaces and faces')} drawn as outlines only: ` +
      `the budget of ${plural(data.triangleBudget, 'triangle')} has no room for their triangles`,
      data.outlined.map((k) => make('li', null, [make('code', { text: entityLabel(data.drawings.entity[k]) })])));
  }

  function fillNotes(details, n, title, items) {
    if (n === 0) return;
    details.hidden = false;
    details.querySelector('summary').textContent = title;
    details.querySelector('ul').append(...items);
  }

  function ruleTotals() {
    const totals = new Map();
    for (const p of problems) totals.set(p.rule, (totals.get(p.rule) || 0) + 1);
    return totals;
  }

  // ---------------------------------------------------------------------------------------------------
  // Problem table

  const filters = { rule: null, type: null, kind: null };
  const tbody = $('vdc-table').tBodies[0];
  let shown = [];                    // indices of the problems that pass the filters
  let rendered = 0;                  // of those, how many have rows
  const rowElements = new Map();     // problem index -> its row, while rendered
  let selected = -1;                 // selected entity, -1: none

  function fillFilters() {
    const option = (value, label) => make('option', { value, text: label });
    const byRule = ruleTotals();
    $('vdc-filter-rule').append(option('', `All rules (${problems.length})`),
      ...[...byRule.keys()].sort().map((r) => option(r, `${r || '(no rule)'} (${byRule.get(r)})`)));
    const byType = new Map();
    for (const p of problems) byType.set(typeName(p.type), (byType.get(typeName(p.type)) || 0) + 1);
    $('vdc-filter-type').append(option('', 'All types'), ...[...byType.keys()].sort().map((t) => option(t, `${t} (${byType.get(t)})`)));
    const byKind = new Map();
    for (const p of problems) byKind.set(p.kind, (byKind.get(p.kind) || 0) + 1);
    $('vdc-filter-kind').append(option('', 'All kinds'),
      ...['error', 'quality', 'warning', 'note'].filter((k) => byKind.has(k)).map((k) => option(k, `${k} (${byKind.get(k)})`)));
    for (const key of ['rule', 'type', 'kind'])
      $(`vdc-filter-${key}`).addEventListener('change', (event) => {
        filters[key] = event.target.value === '' ? null : event.target.value;
        applyFilters();
      });
  }

  function setRuleFilter(rule) {
    filters.rule = rule;
    $('vdc-filter-rule').value = rule === null ? '' : rule;
    applyFilters();
  }

  function applyFilters() {
    shown = [];
    for (let p = 0; p < problems.length; ++p) {
      const row = problems[p];
      if ((filters.rule === null || row.rule === filters.rule) &&
          (filters.type === null || typeName(row.type) === filters.type) &&
          (filters.kind === null || row.kind === filters.kind))
        shown.push(p);
    }
    for (const button of $('vdc-rule-counts').querySelectorAll('button'))
      button.setAttribute('aria-pressed', String(button.dataset.rule === filters.rule));
    tbody.replaceChildren();
    rowElements.clear();
    rendered = 0;
    renderRows(ROW_PAGE);
    $('vdc-row-count').textContent = shown.length === problems.length
      ? plural(problems.length, 'row') : `${shown.length.toLocaleString('en')} of ${plural(problems.length, 'row')}`;
    $('vdc-no-rows').hidden = shown.length > 0;
    $('vdc-no-rows').textContent = problems.length ? 'No problem matches the filters.' : 'No problems.';
    updateState();
  }

  function renderRows(count) {
    const end = Math.min(shown.length, rendered + count);
    const fragment = document.createDocumentFragment();
    for (; rendered < end; ++rendered) fragment.append(makeRow(shown[rendered]));
    tbody.append(fragment);
    const rest = shown.length - rendered;
    $('vdc-more').hidden = rest === 0;
    $('vdc-more').textContent = `Show ${Math.min(rest, ROW_PAGE).toLocaleString('en')} more of ${rest.toLocaleString('en')}`;
    const first = tbody.querySelector('tr[tabindex="0"]') || tbody.rows[0];
    if (first) first.tabIndex = 0;
    updateState();
  }

  function makeRow(p) {
    const row = problems[p];
    const values = [];
    if (row.ints.length) values.push(`[${row.ints.join(', ')}]`);
    if (row.doubles.length) values.push(`(${row.doubles.map(short).join(', ')})`);
    const unit = row.unit ? ` ${row.unit}` : '';
    if (row.value !== undefined) values.push(`${short(row.value)}${unit}`);
    if (row.tolerance !== undefined) values.push(`tolerance ${short(row.tolerance)}${unit}`);
    const exact = [...row.doubles, ...(row.value !== undefined ? [row.value] : []), ...(row.tolerance !== undefined ? [row.tolerance] : [])];
    const tr = make('tr', {
      'data-problem': String(p), 'data-entity': entities.name[row.entity], 'data-rule': row.rule,
      'data-type': typeName(row.type), 'data-kind': row.kind, 'aria-selected': String(row.entity === selected), tabindex: '-1',
    }, [
      make('td', { class: 'vdc-rule', text: row.rule, title: row.kind }),
      make('td', { class: 'vdc-entity', text: entities.name[row.entity] }),
      make('td', { text: typeName(row.type) }),
      make('td', { class: 'vdc-num', text: row.line > 0 ? String(row.line) : '—' }),
      make('td', { text: row.message }),
      make('td', { class: 'vdc-values', title: exact.join(', ') }, unbroken(values.join(' '))),
      make('td', { class: 'vdc-repair' }, breakable(row.repair || '—')),
    ]);
    rowElements.set(p, tr);
    return tr;
  }

  // Text that wraps only at its spaces (a number such as 1e-300 stays whole), as nodes.
  function unbroken(text) {
    return text.split(' ').flatMap((word, i) => (i ? [' ', make('span', { text: word })] : [make('span', { text: word })]));
  }

  // Text that may wrap after its underscores (repair names are long single words), as nodes.
  function breakable(text) {
    return text.split(/(?<=_)/).flatMap((piece, i) => (i ? [make('wbr'), piece] : [piece]));
  }

  // Makes sure the rows of problem p exist (when it passes the filters) and returns its row.
  function rowOf(p) {
    if (!rowElements.has(p)) {
      const at = shown.indexOf(p);
      if (at >= rendered) renderRows(at + 1 - rendered);
    }
    return rowElements.get(p) || null;
  }

  function onTableClick(event) {
    const tr = event.target.closest('tr[data-problem]');
    if (!tr) return;
    focusRow(tr);
    selectProblem(Number(tr.dataset.problem));
  }

  // Makes tr the row that Tab reaches in the table, scrolls it into view and, unless told not to, focuses it.
  function focusRow(tr, focus = true) {
    const current = tbody.querySelector('tr[tabindex="0"]');
    if (current && current !== tr) current.tabIndex = -1;
    tr.tabIndex = 0;
    if (focus) tr.focus({ preventScroll: true });
    tr.scrollIntoView({ block: 'nearest' });
  }

  function onTableKey(event) {
    const tr = event.target.closest('tr[data-problem]');
    if (!tr) return;
    let next = null;
    if (event.key === 'ArrowDown') {
      if (!tr.nextElementSibling && rendered < shown.length) renderRows(ROW_PAGE);
      next = tr.nextElementSibling;
    }
    else if (event.key === 'ArrowUp') next = tr.previousElementSibling;
    else if (event.key === 'Home') next = tbody.rows[0];
    else if (event.key === 'End') next = tbody.rows[tbody.rows.length - 1];
    else if (event.key === 'Enter' || event.key === ' ') {
      selectProblem(Number(tr.dataset.problem));
      event.preventDefault();
      return;
    } else return;
    event.preventDefault();
    if (next) focusRow(next);
  }

  // ---------------------------------------------------------------------------------------------------
  // Selection

  function selectProblem(p) {
    const row = problems[p];
    select(row.entity, { frame: true });
    if (!view) return;
    if (view.drawingsOf(row.entity).length === 0 && row.point) view.framePoint(row.point);
  }

  // Selects entity e (-1: none): marks its rows, highlights and optionally frames it in 3-D, and tells
  // what it is in the status line.
  function select(e, { frame = false, scrollTo = -1 } = {}) {
    if (selected >= 0 && rowsOf[selected])
      for (const p of rowsOf[selected]) rowElements.get(p)?.setAttribute('aria-selected', 'false');
    selected = e;
    document.body.dataset.selected = e >= 0 ? entities.name[e] : '';
    if (e >= 0 && rowsOf[e]) {
      for (const p of rowsOf[e]) rowOf(p)?.setAttribute('aria-selected', 'true');
      if (scrollTo >= 0) {
        const tr = rowOf(scrollTo);
        if (tr) focusRow(tr, false);
      }
    }
    $('vdc-fit-selected').disabled = !(view && e >= 0 && view.canFrame(e));
    if (view) {
      view.highlight(e);
      if (frame && e >= 0) view.frameEntity(e);
    }
    showStatus();
    updateState();
  }

  function showStatus() {
    const status = $('vdc-view-status');
    status.replaceChildren();
    if (selected < 0) {
      const parts = [];
      if (view) {
        parts.push(`${plural(view.drawnEntities, 'entity', 'entities')} drawn`);
        if (data.triangles > 0) parts.push(plural(data.triangles, 'triangle'));
        if (data.chordalTolerance > 0) parts.push(`chordal tolerance ${short(data.chordalTolerance)} mm`);
        if (data.untrimmed.length) parts.push(`${plural(data.untrimmed.length, 'face')} drawn untrimmed`);
        if (data.outlined.length) parts.push(`${plural(data.outlined.length, 'outline')} for lack of triangles`);
      }
      status.append(parts.join(' · ') || 'Click an entity or a row to select it.');
      return;
    }
    const e = selected;
    const line = entities.line[e] > 0 ? ` (line ${entities.line[e]})` : '';
    status.append(make('strong', { text: entityLabel(e) }), line, ` — ${STATUS_NAMES[entities.status[e]] || 'clean'}`);
    if (rowsOf[e]) status.append(`, ${plural(rowsOf[e].length, 'problem')}`);
    if (view) {
      const drawings = view.drawingsOf(e);
      if (drawings.length === 0) status.append(' · not drawn');
      else {
        const under = drawings.map((k) => view.transformOf(k)).filter((t) => t);
        if (under.length) status.append(` · drawn ${plural(drawings.length, 'time')}, under ${[...new Set(under)].join(', ')}`);
        if (drawings.some((k) => view.isUntrimmed(k))) status.append(' · drawn untrimmed: its trim could not be triangulated');
        if (drawings.some((k) => view.isOutline(k))) status.append(' · drawn as its outline only: the triangle budget has no room for its triangles');
      }
    }
  }

  // ---------------------------------------------------------------------------------------------------
  // 3-D view

  function decodeBase64(text) {
    if (typeof Uint8Array.fromBase64 === 'function') return Uint8Array.fromBase64(text);
    const code = new Uint8Array(128);
    const alphabet = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';
    for (let i = 0; i < 64; ++i) code[alphabet.charCodeAt(i)] = i;
    const n = text.length;
    const padding = n > 0 && text[n - 1] === '=' ? (text[n - 2] === '=' ? 2 : 1) : 0;
    const out = new Uint8Array((n / 4) * 3 - padding);
    let o = 0;
    for (let i = 0; i < n; i += 4) {
      const v = (code[text.charCodeAt(i)] << 18) | (code[text.charCodeAt(i + 1)] << 12) |
        (code[text.charCodeAt(i + 2)] << 6) | code[text.charCodeAt(i + 3)];
      out[o++] = v >> 16;
      if (o < out.length) out[o++] = (v >> 8) & 255;
      if (o < out.length) out[o++] = v & 255;
    }
    return out;
  }

  // sRGB colour as bytes of the linear colour the renderer expects in vertex colour attributes.
  function linearBytes(hex) {
    const c = new THREE.Color(hex);
    return [Math.round(c.r * 255), Math.round(c.g * 255), Math.round(c.b * 255)];
  }

  function discTexture(fill, stroke) {
    const canvas = make('canvas', { width: 64, height: 64 });
    const g = canvas.getContext('2d');
    g.beginPath();
    g.arc(32, 32, stroke ? 26 : 30, 0, 2 * Math.PI);
    g.fillStyle = fill;
    g.fill();
    if (stroke) {
      g.lineWidth = 8;
      g.strokeStyle = stroke;
      g.stroke();
    }
    const texture = new THREE.CanvasTexture(canvas);
    texture.colorSpace = THREE.SRGBColorSpace;
    return texture;
  }

  const PICK_VERTEX = `
    attribute vec3 pickColor;
    uniform float pointSize;
    varying vec3 vPick;
    void main() {
      vPick = pickColor;
      gl_PointSize = pointSize;
      gl_Position = projectionMatrix * modelViewMatrix * vec4(position, 1.0);
    }`;
  const PICK_FRAGMENT = `
    varying vec3 vPick;
    void main() { gl_FragColor = vec4(vPick, 1.0); }`;

  // The drawing of the model: one geometry per group of the data, coloured per vertex by the status of
  // its entity, with a twin scene in which each vertex carries its entity's id as colour for picking.
  class View {
    constructor(canvas, bytes) {
      this.canvas = canvas;
      // Multisampling costs little on a GPU but much on a software renderer, where big models need the time.
      this.renderer = new THREE.WebGLRenderer({ canvas, antialias: data.triangles <= 1000000, alpha: true });
      this.renderer.setPixelRatio(window.devicePixelRatio || 1);
      this.scene = new THREE.Scene();
      this.pickScene = new THREE.Scene();
      this.camera = new THREE.PerspectiveCamera(40, 1, 1, 10);
      this.camera.up.set(0, 0, 1);
      this.scene.add(this.camera);
      this.scene.add(new THREE.AmbientLight(0xffffff, 1.1));
      const headlight = new THREE.DirectionalLight(0xffffff, 2.2);
      headlight.position.set(0.4, 0.6, 1);  // above and behind the eye, so surfaces facing it are lit
      this.camera.add(headlight);
      this.typeObjects = new Map();  // type index -> [objects]
      this.highlightGroup = null;
      this.pending = false;

      this.buildDrawings(bytes);
      this.buildMarkers();
      this.box = new THREE.Box3();
      if (data.bbox) this.box.set(new THREE.Vector3(...data.bbox.slice(0, 3)), new THREE.Vector3(...data.bbox.slice(3)));
      for (const p of problems) if (p.point) this.box.expandByPoint(new THREE.Vector3(...p.point));

      this.controls = new THREE.OrbitControls(this.camera, canvas);
      this.controls.zoomToCursor = true;
      this.controls.listenToKeyEvents(canvas);
      this.controls.addEventListener('change', () => this.render());
      this.pickTarget = new THREE.WebGLRenderTarget(2 * PICK_RADIUS + 1, 2 * PICK_RADIUS + 1);
      this.pickPixels = new Uint8Array(4 * (2 * PICK_RADIUS + 1) ** 2);

      new ResizeObserver(() => this.resize()).observe(canvas.parentElement);
      this.resize();
      this.fit(this.box, new THREE.Vector3(-0.55, -1, 0.7));
      this.watchClicks();
    }

    buildDrawings(bytes) {
      const d = data.drawings;
      const count = d.entity.length;
      this.firstVertex = new Float64Array(count);
      this.firstElement = new Float64Array(count);
      this.firstSegment = new Float64Array(count);  // lines: where its segments start in the group's index
      this.segmentCount = new Float64Array(count);  // and how many indices they take
      this.entityDrawings = new Array(entityCount);
      const groups = data.groups.map((g) => ({ ...g, nextVertex: 0, nextElement: 0 }));
      for (let k = 0; k < count; ++k) {
        const g = groups[d.group[k]];
        this.firstVertex[k] = g.nextVertex;
        this.firstElement[k] = g.nextElement;
        g.nextVertex += d.vertices[k];
        g.nextElement += d.elements[k];
        (this.entityDrawings[d.entity[k]] ||= []).push(k);
      }
      this.drawnEntities = this.entityDrawings.reduce((n, list) => n + (list ? 1 : 0), 0);
      this.groupDrawings = groups.map(() => []);
      for (let k = 0; k < count; ++k) this.groupDrawings[d.group[k]].push(k);
      this.transforms = new Map(data.transforms);
      this.untrimmed = new Set(data.untrimmed);
      this.outlined = new Set(data.outlined);
      const diagonal = data.bbox ? Math.hypot(data.bbox[3] - data.bbox[0], data.bbox[4] - data.bbox[1], data.bbox[5] - data.bbox[2]) : 1;
      this.groups = groups.map((g, i) => this.buildGroup(g, i, bytes, diagonal));
    }

    buildGroup(g, i, bytes, diagonal) {
      const d = data.drawings;
      const drawings = this.groupDrawings[i];
      const buffer = bytes.buffer;
      let at = bytes.byteOffset + g.offset;
      const positions = new Float32Array(buffer, at, g.vertices * 3);
      at += g.vertices * 12;
      const geometry = new THREE.BufferGeometry();
      geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
      const colours = new Uint8Array(g.vertices * 3);
      const ids = new Uint8Array(g.vertices * 3);
      const clean = linearBytes(g.shape === 'triangles' ? COLOURS.cleanSurface : COLOURS.cleanLine);
      const statusColours = [clean, linearBytes(COLOURS.faulty), linearBytes(COLOURS.referring)];
      for (const k of drawings) {
        const e = d.entity[k];
        const rgb = statusColours[entities.status[e]] || clean;
        const id = e + 1;
        for (let v = this.firstVertex[k], end = v + d.vertices[k]; v < end; ++v) {
          colours.set(rgb, v * 3);
          ids[v * 3] = id & 255;
          ids[v * 3 + 1] = (id >> 8) & 255;
          ids[v * 3 + 2] = (id >> 16) & 255;
        }
      }
      geometry.setAttribute('color', new THREE.BufferAttribute(colours, 3, true));
      geometry.setAttribute('pickColor', new THREE.BufferAttribute(ids, 3, true));

      const objects = [];
      let index = null;
      if (g.shape === 'triangles') {
        const local = g.indexBytes === 2 ? new Uint16Array(buffer, at, g.elements) : new Uint32Array(buffer, at, g.elements);
        index = g.vertices > 65535 ? new Uint32Array(g.elements) : new Uint16Array(g.elements);
        for (const k of drawings)
          for (let j = this.firstElement[k], end = j + d.elements[k], base = this.firstVertex[k]; j < end; ++j)
            index[j] = local[j] + base;
        geometry.setIndex(new THREE.BufferAttribute(index, 1));
        geometry.computeVertexNormals();
        const material = new THREE.MeshLambertMaterial({
          vertexColors: true, side: THREE.DoubleSide, polygonOffset: true, polygonOffsetFactor: 1, polygonOffsetUnits: 1,
        });
        objects.push(this.addPair(new THREE.Mesh(geometry, material), new THREE.Mesh(geometry, this.pickMaterial(0, true))));
      } else if (g.shape === 'lines') {
        const runs = new Uint32Array(buffer, at, g.elements);
        let segments = 0;
        const segmentsOf = (k, r) => {
          const start = runs[r];
          const end = r + 1 < this.firstElement[k] + d.elements[k] ? runs[r + 1] : d.vertices[k];
          return Math.max(0, end - start - 1);
        };
        for (const k of drawings) {
          this.firstSegment[k] = segments * 2;
          for (let r = this.firstElement[k], end = r + d.elements[k]; r < end; ++r) segments += segmentsOf(k, r);
          this.segmentCount[k] = segments * 2 - this.firstSegment[k];
        }
        index = g.vertices > 65535 ? new Uint32Array(segments * 2) : new Uint16Array(segments * 2);
        let s = 0;
        for (const k of drawings)
          for (let r = this.firstElement[k], end = r + d.elements[k]; r < end; ++r)
            for (let n = segmentsOf(k, r), v = this.firstVertex[k] + runs[r]; n > 0; --n, ++v) {
              index[s++] = v;
              index[s++] = v + 1;
            }
        geometry.setIndex(new THREE.BufferAttribute(index, 1));
        objects.push(this.addPair(new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ vertexColors: true })),
          new THREE.LineSegments(geometry, this.pickMaterial(0, false))));
      } else {
        this.dot ||= discTexture('#ffffff');
        const material = new THREE.PointsMaterial({ vertexColors: true, size: POINT_SIZE, sizeAttenuation: false, map: this.dot, alphaTest: 0.5 });
        objects.push(this.addPair(new THREE.Points(geometry, material), new THREE.Points(geometry, this.pickMaterial(POINT_SIZE + 2, false))));
        if (g.vectors) objects.push(this.buildVectors(g, new Float32Array(buffer, at, g.vertices * 3), positions, colours, ids, diagonal));
      }
      for (const object of objects) {
        const list = this.typeObjects.get(g.type) || [];
        list.push(object);
        this.typeObjects.set(g.type, list);
      }
      return { shape: g.shape, positions, index, geometry };
    }

    // Vectors of points (MDI) as short lines from each point, the longest 5 % of the model's diagonal.
    buildVectors(g, vectors, positions, colours, ids, diagonal) {
      let longest = 0;
      for (let v = 0; v < g.vertices; ++v) longest = Math.max(longest, Math.hypot(vectors[3 * v], vectors[3 * v + 1], vectors[3 * v + 2]));
      const scale = longest > 0 ? (0.05 * diagonal) / longest : 0;
      const ends = new Float32Array(g.vertices * 6);
      const endColours = new Uint8Array(g.vertices * 6);
      const endIds = new Uint8Array(g.vertices * 6);
      for (let v = 0; v < g.vertices; ++v)
        for (let c = 0; c < 3; ++c) {
          ends[6 * v + c] = positions[3 * v + c];
          ends[6 * v + 3 + c] = positions[3 * v + c] + scale * vectors[3 * v + c];
          endColours[6 * v + c] = endColours[6 * v + 3 + c] = colours[3 * v + c];
          endIds[6 * v + c] = endIds[6 * v + 3 + c] = ids[3 * v + c];
        }
      const geometry = new THREE.BufferGeometry();
      geometry.setAttribute('position', new THREE.BufferAttribute(ends, 3));
      geometry.setAttribute('color', new THREE.BufferAttribute(endColours, 3, true));
      geometry.setAttribute('pickColor', new THREE.BufferAttribute(endIds, 3, true));
      return this.addPair(new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ vertexColors: true })),
        new THREE.LineSegments(geometry, this.pickMaterial(0, false)));
    }

    // Quality findings and other problems with a place: markers drawn over everything, picked as the
    // entity they stand under.
    buildMarkers() {
      this.markerProblems = [];
      for (let p = 0; p < problems.length; ++p) if (problems[p].point) this.markerProblems.push(p);
      if (this.markerProblems.length === 0) return;
      const positions = new Float32Array(this.markerProblems.length * 3);
      const ids = new Uint8Array(this.markerProblems.length * 3);
      this.markerProblems.forEach((p, m) => {
        positions.set(problems[p].point, 3 * m);
        const id = entityCount + 1 + m;
        ids.set([id & 255, (id >> 8) & 255, (id >> 16) & 255], 3 * m);
      });
      const geometry = new THREE.BufferGeometry();
      geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
      geometry.setAttribute('pickColor', new THREE.BufferAttribute(ids, 3, true));
      const material = new THREE.PointsMaterial({
        size: MARKER_SIZE, sizeAttenuation: false, map: discTexture(COLOURS.finding, '#ffffff'),
        transparent: true, alphaTest: 0.1, depthTest: false,
      });
      const pick = this.pickMaterial(MARKER_SIZE, false);
      pick.depthTest = false;
      const marker = this.addPair(new THREE.Points(geometry, material), new THREE.Points(geometry, pick));
      marker.base.renderOrder = marker.pick.renderOrder = 2;
      this.typeObjects.set(-1, [marker]);  // toggled as "findings"
    }

    addPair(base, pick) {
      if (pick.material.polygonOffset) Object.assign(pick.material, { polygonOffsetFactor: 1, polygonOffsetUnits: 1 });
      this.scene.add(base);
      this.pickScene.add(pick);
      return { base, pick };
    }

    pickMaterial(pointSize, offset) {
      return new THREE.ShaderMaterial({
        vertexShader: PICK_VERTEX, fragmentShader: PICK_FRAGMENT, uniforms: { pointSize: { value: pointSize } },
        side: THREE.DoubleSide, polygonOffset: offset,
      });
    }

    setTypeVisible(type, visible) {
      for (const { base, pick } of this.typeObjects.get(type) || []) base.visible = pick.visible = visible;
      this.render();
    }

    drawingsOf(e) { return this.entityDrawings[e] || []; }
    transformOf(k) { return this.transforms.get(k) || ''; }
    isUntrimmed(k) { return this.untrimmed.has(k); }
    isOutline(k) { return this.outlined.has(k); }
    canFrame(e) { return this.drawingsOf(e).length > 0 || (rowsOf[e] || []).some((p) => problems[p].point); }

    entityBox(e) {
      const box = new THREE.Box3();
      const d = data.drawings;
      const v = new THREE.Vector3();
      for (const k of this.drawingsOf(e)) {
        const positions = this.groups[d.group[k]].positions;
        for (let i = this.firstVertex[k], end = i + d.vertices[k]; i < end; ++i)
          box.expandByPoint(v.fromArray(positions, 3 * i));
      }
      for (const p of rowsOf[e] || []) if (problems[p].point) box.expandByPoint(v.fromArray(problems[p].point));
      return box;
    }

    frameEntity(e) {
      const box = this.entityBox(e);
      if (!box.isEmpty()) this.fit(box);
    }

    framePoint(point) {
      const box = new THREE.Box3().setFromCenterAndSize(new THREE.Vector3(...point), new THREE.Vector3(0, 0, 0));
      this.fit(box);
    }

    fitAll() { this.fit(this.box); }

    // Looks at the middle of `box` from `direction` (default: the current one), from just far enough away
    // that every corner of the box is in the picture.
    fit(box, direction) {
      const modelSize = this.box.isEmpty() ? 1 : this.box.getSize(new THREE.Vector3()).length();
      const center = box.isEmpty() ? new THREE.Vector3() : box.getCenter(new THREE.Vector3());
      const back = direction ? direction.clone() : this.camera.position.clone().sub(this.controls.target);
      if (back.lengthSq() === 0) back.set(0, -1, 0);
      back.normalize();
      const right = new THREE.Vector3().crossVectors(this.camera.up, back);
      if (right.lengthSq() < 1e-12) right.set(1, 0, 0);
      right.normalize();
      const up = new THREE.Vector3().crossVectors(back, right);
      const tanUp = Math.tan((this.camera.fov / 2) * (Math.PI / 180));
      const tanAcross = tanUp * this.camera.aspect;
      let distance = Math.max(modelSize * 1e-4, 1e-6) / tanUp;  // a point is framed at a small size
      if (!box.isEmpty()) {
        const v = new THREE.Vector3();
        for (const x of [box.min.x, box.max.x])
          for (const y of [box.min.y, box.max.y])
            for (const z of [box.min.z, box.max.z]) {
              v.set(x, y, z).sub(center);
              const depth = v.dot(back);
              distance = Math.max(distance, depth + Math.abs(v.dot(right)) / tanAcross, depth + Math.abs(v.dot(up)) / tanUp);
            }
      }
      this.controls.target.copy(center);
      this.camera.position.copy(center).addScaledVector(back, distance * 1.06);
      this.controls.update();
      this.render();
    }

    // Near and far planes from the distance to the target and the model's extent, so depth keeps its
    // precision whether the view shows the whole model or a detail of it.
    updateClipping() {
      const center = this.box.isEmpty() ? new THREE.Vector3() : this.box.getCenter(new THREE.Vector3());
      const radius = this.box.isEmpty() ? 1 : Math.max(this.box.getSize(new THREE.Vector3()).length() / 2, 1e-6);
      const distance = this.camera.position.distanceTo(this.controls.target);
      this.camera.near = Math.max(distance * 0.005, 1e-7);
      this.camera.far = this.camera.position.distanceTo(center) + radius * 2 + distance;
      this.camera.updateProjectionMatrix();
    }

    // Follows the canvas's size; a frame is drawn only when it changed (a large model takes a while to draw).
    resize() {
      const width = Math.max(1, this.canvas.clientWidth);
      const height = Math.max(1, this.canvas.clientHeight);
      if (this.size && this.size[0] === width && this.size[1] === height) return;
      this.size = [width, height];
      this.renderer.setSize(width, height, false);
      this.camera.aspect = width / height;
      this.camera.updateProjectionMatrix();
      this.render();
    }

    render() {
      if (this.pending) return;
      this.pending = true;
      requestAnimationFrame(() => {
        this.pending = false;
        this.updateClipping();
        this.renderer.render(this.scene, this.camera);
        this.onRendered?.();
      });
    }

    // The id under CSS pixel (x, y): the nearest non-empty pixel within PICK_RADIUS, 0 when none.
    pick(x, y) {
      const size = 2 * PICK_RADIUS + 1;
      const width = this.canvas.clientWidth;
      const height = this.canvas.clientHeight;
      this.updateClipping();
      this.camera.setViewOffset(width, height, Math.round(x) - PICK_RADIUS, Math.round(y) - PICK_RADIUS, size, size);
      const clear = this.renderer.getClearAlpha();
      this.renderer.setRenderTarget(this.pickTarget);
      this.renderer.setClearColor(0x000000, 0);
      this.renderer.clear();
      this.renderer.render(this.pickScene, this.camera);
      this.renderer.readRenderTargetPixels(this.pickTarget, 0, 0, size, size, this.pickPixels);
      this.renderer.setRenderTarget(null);
      this.renderer.setClearColor(0x000000, clear);
      this.camera.clearViewOffset();
      let best = 0;
      let bestDistance = Infinity;
      for (let row = 0; row < size; ++row)
        for (let col = 0; col < size; ++col) {
          const i = 4 * (row * size + col);
          const id = this.pickPixels[i] | (this.pickPixels[i + 1] << 8) | (this.pickPixels[i + 2] << 16);
          const distance = (row - PICK_RADIUS) ** 2 + (col - PICK_RADIUS) ** 2;
          if (id !== 0 && distance < bestDistance) [best, bestDistance] = [id, distance];
        }
      return best;
    }

    // A click (a press and release that did not drag) picks; a drag orbits.
    watchClicks() {
      let down = null;
      this.canvas.addEventListener('pointerdown', (event) => { down = event.button === 0 ? [event.offsetX, event.offsetY] : null; });
      this.canvas.addEventListener('pointerup', (event) => {
        if (!down || Math.hypot(event.offsetX - down[0], event.offsetY - down[1]) > 4) return;
        down = null;
        const id = this.pick(event.offsetX, event.offsetY);
        if (id === 0) select(-1);
        else if (id <= entityCount) select(id - 1, { scrollTo: (rowsOf[id - 1] || [-1])[0] });
        else {
          const p = this.markerProblems[id - entityCount - 1];
          if (p !== undefined) select(problems[p].entity, { scrollTo: p });
        }
      });
    }

    // Draws entity e over the model in the selection colour: solid where it is visible and faint where
    // other geometry hides it, so that a selection is never lost behind a surface. The overlay holds its
    // own copy of the entity's vertices, so that freeing it never touches the model's buffers.
    highlight(e) {
      if (this.highlightGroup) {
        this.scene.remove(this.highlightGroup);
        this.highlightGroup.traverse((o) => { o.geometry?.dispose(); o.material?.dispose(); });
        this.highlightGroup = null;
      }
      if (e >= 0) {
        const group = new THREE.Group();
        const d = data.drawings;
        const colour = new THREE.Color(COLOURS.selected);
        this.selectedDot ||= discTexture(COLOURS.selected, '#5c4a00');
        const dots = (size) => new THREE.PointsMaterial({
          size, sizeAttenuation: false, map: this.selectedDot, transparent: true, alphaTest: 0.1, depthTest: false,
        });
        const add = (object, order) => {
          object.renderOrder = order;
          group.add(object);
        };
        for (const k of this.drawingsOf(e)) {
          const g = this.groups[d.group[k]];
          const first = this.firstVertex[k];
          const geometry = new THREE.BufferGeometry();
          geometry.setAttribute('position', new THREE.BufferAttribute(g.positions.slice(3 * first, 3 * (first + d.vertices[k])), 3));
          const local = (start, end) => {
            const index = new Uint32Array(end - start);
            for (let i = start; i < end; ++i) index[i - start] = g.index[i] - first;
            return new THREE.BufferAttribute(index, 1);
          };
          if (g.shape === 'triangles') {
            geometry.setIndex(local(this.firstElement[k], this.firstElement[k] + d.elements[k]));
            // Mostly its own light, so that it stays the selection colour, with a little shading for its shape.
            const normals = g.geometry.getAttribute('normal').array;
            geometry.setAttribute('normal', new THREE.BufferAttribute(normals.slice(3 * first, 3 * (first + d.vertices[k])), 3));
            add(new THREE.Mesh(geometry, new THREE.MeshLambertMaterial({
              color: colour.clone().multiplyScalar(0.35), emissive: colour.clone().multiplyScalar(0.7),
              side: THREE.DoubleSide, polygonOffset: true, polygonOffsetFactor: -1, polygonOffsetUnits: -1,
            })), 1);
            add(new THREE.Mesh(geometry, new THREE.MeshBasicMaterial({
              color: colour, side: THREE.DoubleSide, transparent: true, opacity: 0.3, depthTest: false, depthWrite: false,
            })), 1);
          } else if (g.shape === 'lines') {
            geometry.setIndex(local(this.firstSegment[k], this.firstSegment[k] + this.segmentCount[k]));
            add(new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ color: colour, depthTest: false })), 1);
          } else {
            add(new THREE.Points(geometry, dots(POINT_SIZE + 4)), 1);
          }
        }
        const markers = (rowsOf[e] || []).filter((p) => problems[p].point);
        if (markers.length) {
          const geometry = new THREE.BufferGeometry();
          geometry.setAttribute('position', new THREE.BufferAttribute(new Float32Array(markers.flatMap((p) => problems[p].point)), 3));
          add(new THREE.Points(geometry, dots(MARKER_SIZE + 4)), 3);
        }
        this.scene.add(group);
        this.highlightGroup = group;
      }
      this.render();
    }
  }

  function fillViewControls() {
    const toggles = $('vdc-type-toggles');
    const drawnTypes = new Map();
    data.drawings.group.forEach((g, k) => {
      const t = data.groups[g].type;
      if (!drawnTypes.has(t)) drawnTypes.set(t, new Set());
      drawnTypes.get(t).add(data.drawings.entity[k]);
    });
    const toggle = (type, label, count) => {
      const box = make('input', { type: 'checkbox', checked: true, 'data-type': label });
      box.addEventListener('change', () => {
        view.setTypeVisible(type, box.checked);
        updateState();
      });
      return make('label', { title: `Show or hide ${label}` }, [box, `${label} `, make('small', { text: `(${count})` })]);
    };
    for (const [t, set] of drawnTypes) toggles.append(toggle(t, typeName(t), set.size));
    if (view.markerProblems.length) toggles.append(toggle(-1, 'findings', view.markerProblems.length));
    toggles.hidden = toggles.querySelectorAll('input').length === 0;

    const legend = $('vdc-legend');
    const item = (colour, text, round) => make('li', null, [make('i', { class: round ? 'vdc-round' : '', style: `background:${colour}` }), text]);
    // Only the colours this model shows.
    const shapes = new Set(data.groups.map((g) => g.shape));
    const statuses = new Set(data.drawings.entity.map((e) => entities.status[e]));
    if (shapes.has('triangles') && statuses.has(0)) legend.append(item(COLOURS.cleanSurface, 'clean surface'));
    if ((shapes.has('lines') || shapes.has('points')) && statuses.has(0)) legend.append(item(COLOURS.cleanLine, 'clean curve or point'));
    if (statuses.has(1)) legend.append(item(COLOURS.faulty, 'faulty'));
    if (statuses.has(2)) legend.append(item(COLOURS.referring, 'refers to faulty'));
    legend.append(item(COLOURS.selected, 'selected'));
    if (view.markerProblems.length) legend.append(item(COLOURS.finding, 'finding', true));
    legend.hidden = data.drawings.entity.length === 0 && view.markerProblems.length === 0;

    $('vdc-fit-all').addEventListener('click', () => view.fitAll());
    $('vdc-fit-selected').addEventListener('click', () => { if (selected >= 0) view.frameEntity(selected); });
  }

  function updateState() {
    const state = $('vdc-state');
    state.dataset.entities = String(entityCount);
    state.dataset.problems = String(problems.length);
    state.dataset.rows = String(shown.length);
    state.dataset.renderedRows = String(rendered);
    state.dataset.drawings = String(data.drawings.entity.length);
    state.dataset.triangles = String(data.triangles);
    state.dataset.outlined = String(data.outlined.length);
    state.dataset.webgl = view ? 'yes' : 'no';
    state.dataset.hiddenTypes = [...document.querySelectorAll('#vdc-type-toggles input')]
      .filter((box) => !box.checked).map((box) => box.dataset.type).join(' ');
  }

  // The divider between the view and the table: dragged with the mouse, or moved with the arrow keys.
  function watchSplitter() {
    const splitter = $('vdc-splitter');
    const main = splitter.parentElement;
    const setWidth = (px) => {
      const width = Math.min(Math.max(px, 420), main.clientWidth - 320);
      main.style.setProperty('--table-width', `${width}px`);
      splitter.setAttribute('aria-valuenow', String(Math.round(width)));
      view?.resize();
    };
    const tableWidth = () => $('vdc-problems').getBoundingClientRect().width;
    splitter.addEventListener('pointerdown', (event) => {
      splitter.setPointerCapture(event.pointerId);
      const move = (e) => setWidth(main.getBoundingClientRect().right - e.clientX);
      const up = () => {
        splitter.removeEventListener('pointermove', move);
        splitter.removeEventListener('pointerup', up);
      };
      splitter.addEventListener('pointermove', move);
      splitter.addEventListener('pointerup', up);
    });
    splitter.addEventListener('keydown', (event) => {
      const step = event.shiftKey ? 100 : 25;
      if (event.key === 'ArrowLeft') setWidth(tableWidth() + step);
      else if (event.key === 'ArrowRight') setWidth(tableWidth() - step);
      else return;
      event.preventDefault();
    });
  }

  // ---------------------------------------------------------------------------------------------------
  // Start

  let view = null;
  fillHeader();
  fillFilters();
  tbody.addEventListener('click', onTableClick);
  tbody.addEventListener('keydown', onTableKey);
  $('vdc-more').addEventListener('click', () => renderRows(ROW_PAGE));
  watchSplitter();
  applyFilters();
  document.addEventListener('keydown', (event) => {
    if (event.target.closest('select, input, button, summary') || event.ctrlKey || event.metaKey || event.altKey) return;
    if (event.key === 'Escape') select(-1);
    else if (view && (event.key === 'f' || event.key === 'F')) view.fitAll();
    else if (view && (event.key === 's' || event.key === 'S') && selected >= 0) view.frameEntity(selected);
  });

  const message = (text) => {
    $('vdc-view-message').textContent = text;
    $('vdc-view-message').hidden = false;
  };
  if (data.drawings.entity.length === 0 && !problems.some((p) => p.point)) message('Nothing of this model is drawn.');
  try {
    performance.mark('vdc-table');
    const bytes = decodeBase64($('vdc-mesh').textContent.trim());
    if (bytes.length !== data.meshBytes) throw new Error(`the drawing holds ${bytes.length} bytes instead of ${data.meshBytes}`);
    performance.mark('vdc-decoded');
    view = new View($('vdc-canvas'), bytes);
    performance.mark('vdc-built');
  } catch (e) {
    view = null;
    console.warn('vdacheck report: no 3-D view:', e);
    message(`The 3-D view cannot be shown here (${e.message || e}). The problem table works without it.`);
  }
  if (view) fillViewControls();
  else $('vdc-fit-all').disabled = true;
  showStatus();
  updateState();
  if (view) view.onRendered = () => {
    if (document.body.dataset.ready !== 'true') performance.mark('vdc-drawn');
    document.body.dataset.ready = 'true';
  };
  else document.body.dataset.ready = 'true';
})();
