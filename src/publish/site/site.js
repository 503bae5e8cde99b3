// The page of a published epoch: the map of one year, what stands on the cell under the mouse,
// the players, the year's changes and the chart of every player's units over the years.
// Data comes as scripts (data/epoch.js, data/<year>.js) that call Tirmagor.epoch / Tirmagor.year,
// because a page opened from a file may run scripts beside it but not read them with fetch.
(function () {
  'use strict';

  var SVG = 'http://www.w3.org/2000/svg';
  var ZOOM_STEP = 1.25;
  var MAX_SCALE = 8;
  var CHART_HEIGHT = 190;

  var $ = function (id) { return document.getElementById(id); };
  var ui = {
    slider: $('year'), yearLabel: $('year-label'), prev: $('prev'), next: $('next'),
    zoomIn: $('zoom-in'), zoomOut: $('zoom-out'), zoomFit: $('zoom-fit'), zoomLabel: $('zoom-label'),
    message: $('message'), viewport: $('viewport'), stage: $('stage'), overlay: $('overlay'),
    mapStatus: $('map-status'), cellInfo: $('cell-info'), legend: $('legend'),
    legendTitle: $('legend-title'), changes: $('changes'), chart: $('chart')
  };

  var epoch = null;
  var years = [];
  var current = -1;
  var selected = 0;          // player whose units are highlighted, 0 for none
  var hovered = null;        // {x, y} of the cell under the mouse, or null
  var loaded = new Map();    // year -> its data, as the data files hand it over
  var loads = new Map();     // year -> promise of its data
  var cellsOf = new WeakMap(); // year data -> Map of cell key -> [[player, kind], ...]
  var pictures = new Map();  // picture path -> decoded Image, a few around the current year
  var pictureToken = 0;
  var mapShown = false;
  var landMines = new Map();
  var kindWords = new Map();
  var view = { scale: 1, x: 0, y: 0, fitted: true };
  var drag = null;
  var chart = null;

  // Overlay layers, in picture pixels so they follow the picture's transform.
  var dimLayer = svg('path', { 'class': 'dim', 'fill-rule': 'evenodd' });
  var marksLayer = svg('g', { 'class': 'marks' });
  var hoverLayer = svg('g', { 'class': 'hover' });
  ui.overlay.append(dimLayer, marksLayer, hoverLayer);

  window.Tirmagor = Object.freeze({
    epoch: function (data) { if (!epoch) epoch = data; },
    year: function (data) {
      if (data && typeof data.year === 'number') loaded.set(data.year, data);
    }
  });

  // --- small helpers

  function svg(name, attrs) {
    var el = document.createElementNS(SVG, name);
    for (var k in attrs) el.setAttribute(k, attrs[k]);
    return el;
  }

  function el(name, cls, text) {
    var e = document.createElement(name);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // Names come from the game files: shown as text only, control characters as blanks.
  function clean(name) {
    return String(name == null ? '' : name).replace(/[\u0000-\u001f\u007f]/g, ' ');
  }

  function playerName(name) {
    var text = clean(name);
    return text.trim() ? text : 'без имени';
  }

  function colorOf(player) {
    var entry = epoch.players && epoch.players[player - 1];
    var c = entry && entry.color;
    // Anything but a plain #rrggbb could smuggle a url() into a style or an SVG paint.
    return typeof c === 'string' && /^#[0-9a-fA-F]{6}$/.test(c) ? c : '#888888';
  }

  function swatch(player) {
    var s = el('span', 'swatch');
    s.style.backgroundColor = colorOf(player);
    return s;
  }

  function kindWord(kind) {
    return kindWords.get(kind) || 'вид ' + kind;
  }

  // Paths from the data stay inside the site folder; anything else falls back to the usual name.
  function sitePath(path, fallback) {
    return typeof path === 'string' && /^[\w\-./]+$/.test(path) && path.charAt(0) !== '/' &&
      path.indexOf('..') < 0 ? path : fallback;
  }

  function plural(n, one, few, many) {
    var m10 = n % 10, m100 = n % 100;
    if (m10 === 1 && m100 !== 11) return one;
    if (m10 >= 2 && m10 <= 4 && (m100 < 12 || m100 > 14)) return few;
    return many;
  }

  function cellKey(x, y) { return x * 4096 + y; }

  function showMessage(text) {
    ui.message.textContent = text;
    ui.message.hidden = !text;
  }

  function loadScript(src) {
    return new Promise(function (resolve, reject) {
      var s = document.createElement('script');
      s.src = src;
      s.onload = function () { s.remove(); resolve(); };
      s.onerror = function () { s.remove(); reject(new Error(src)); };
      document.head.appendChild(s);
    });
  }

  // --- loading

  function said(text) {
    var e = new Error(text);
    e.said = true;
    return e;
  }

  function start() {
    loadScript('data/epoch.js').then(function () {
      if (!epoch) throw said('Файл data/epoch.js не содержит данных эпохи.');
      if (epoch.format !== 1) {
        throw said('Данные эпохи записаны в формате ' + clean(epoch.format) +
          ', а эта страница знает только формат 1. Опубликуйте эпоху заново.');
      }
      if (!Array.isArray(epoch.years) || !epoch.years.length) throw said('В данных эпохи нет ни одного года.');
      setup();
    }, function () {
      throw said('Не удалось загрузить данные эпохи (data/epoch.js). Откройте index.html ' +
        'в папке, которую записала команда tirmagor-tool publish, со всеми её файлами.');
    }).catch(function (e) {
      showMessage(e.said ? e.message : 'Данные эпохи повреждены: ' + e.message);
      ui.mapStatus.textContent = 'Карты нет.';
      ui.cellInfo.textContent = '';
    });
  }

  function yearData(index) {
    var y = years[index];
    var p = loads.get(y.year);
    if (p) return p;
    p = loadScript(sitePath(y.data, 'data/' + y.year + '.js')).then(function () {
      var d = loaded.get(y.year);
      if (!d) throw new Error('bad');
      return d;
    });
    p.catch(function () { loads.delete(y.year); });
    loads.set(y.year, p);
    return p;
  }

  function picturePath(index) {
    return sitePath(years[index].map, 'maps/' + years[index].year + '.png');
  }

  function picture(index) {
    var src = picturePath(index);
    var im = pictures.get(src);
    if (!im) {
      im = new Image();
      im.src = src;
      im.ready = im.decode().then(function () { return im; });
      im.ready.catch(function () { pictures.delete(src); });
      pictures.set(src, im);
      // Decoded pictures are large (2280 × 1560 × 4 bytes): keep only the last few.
      while (pictures.size > 5) pictures.delete(pictures.keys().next().value);
    }
    return im;
  }

  function prefetch(index) {
    [index - 1, index + 1].forEach(function (i) {
      if (i < 0 || i >= years.length) return;
      yearData(i).catch(function () {});
      picture(i).ready.catch(function () {});
    });
  }

  // --- set-up

  function setup() {
    years = epoch.years;
    (epoch.kinds || []).forEach(function (k) { kindWords.set(k.code, clean(k.word)); });
    (epoch.mines || []).forEach(function (m) { landMines.set(cellKey(m[0], m[1]), m[2]); });
    var m = epoch.map;
    ui.stage.style.width = m.width + 'px';
    ui.stage.style.height = m.height + 'px';
    ui.overlay.setAttribute('width', m.width);
    ui.overlay.setAttribute('height', m.height);
    ui.overlay.setAttribute('viewBox', '0 0 ' + m.width + ' ' + m.height);

    ui.slider.max = String(years.length - 1);
    ui.slider.disabled = years.length < 2;
    ui.slider.addEventListener('input', function () { go(Number(ui.slider.value)); });
    ui.prev.addEventListener('click', function () { go(current - 1); });
    ui.next.addEventListener('click', function () { go(current + 1); });
    ui.zoomIn.addEventListener('click', function () { zoomCentre(ZOOM_STEP); });
    ui.zoomOut.addEventListener('click', function () { zoomCentre(1 / ZOOM_STEP); });
    ui.zoomFit.addEventListener('click', fit);
    document.addEventListener('keydown', onKey);
    setupMapMouse();
    setupChart();

    new ResizeObserver(function () {
      if (view.fitted) fit(); else { clampView(); applyView(); }
    }).observe(ui.viewport);
    fit();
    go(0);
  }

  // --- the year

  function go(index) {
    index = Math.max(0, Math.min(years.length - 1, index));
    if (index === current) return;
    current = index;
    var y = years[index];
    ui.slider.value = String(index);
    ui.slider.setAttribute('aria-valuetext', 'Год ' + y.year);
    ui.yearLabel.textContent = 'Год ' + y.year;
    ui.prev.disabled = index === 0;
    ui.next.disabled = index === years.length - 1;
    renderLegend();
    markChartYear();
    showPicture(index);
    ui.changes.textContent = '';
    ui.changes.append(el('p', 'hint', 'Загрузка…'));
    clearMarks();
    renderCell();
    yearData(index).then(function (d) {
      if (index !== current) return;
      showMessage('');
      renderChanges(d);
      renderMarks();
      renderCell();
      prefetch(index);
    }, function () {
      if (index !== current) return;
      showMessage('Не удалось загрузить данные года ' + y.year + ' (' +
        sitePath(y.data, 'data/' + y.year + '.js') + ').');
      ui.changes.textContent = '';
      ui.changes.append(el('p', 'hint', 'Данных этого года нет.'));
      renderCell();
    });
  }

  function showPicture(index) {
    var token = ++pictureToken;
    var y = years[index];
    var im = picture(index);
    ui.viewport.classList.add('loading');
    im.ready.then(function () {
      if (token !== pictureToken) return;
      var old = $('map');
      // The decoded picture takes the old one's place, so the swap never flashes an empty map.
      if (old !== im) {
        im.id = 'map';
        im.alt = 'Карта года ' + y.year;
        im.draggable = false;
        old.replaceWith(im);
      }
      im.dataset.year = String(y.year);
      im.hidden = false;
      ui.mapStatus.hidden = true;
      ui.viewport.classList.remove('loading');
      if (!mapShown) {
        mapShown = true;
        performance.mark('tirmagor-map-shown');
      }
    }, function () {
      if (token !== pictureToken) return;
      var old = $('map');
      old.hidden = true;
      old.dataset.year = String(y.year);
      ui.viewport.classList.remove('loading');
      ui.mapStatus.textContent = 'Не удалось загрузить карту года ' + y.year + ' (' + picturePath(index) + ').';
      ui.mapStatus.hidden = false;
    });
  }

  function currentData() {
    return current >= 0 ? loaded.get(years[current].year) : undefined;
  }

  function unitsByCell(d) {
    var cells = cellsOf.get(d);
    if (cells) return cells;
    cells = new Map();
    (d.players || []).forEach(function (p) {
      (p.units || []).forEach(function (u) {
        var key = cellKey(u[0], u[1]);
        var list = cells.get(key);
        if (!list) cells.set(key, list = []);
        list.push([p.player, u[2]]);
      });
    });
    cellsOf.set(d, cells);
    return cells;
  }

  function nameOf(d, player) {
    var found = (d.players || []).find(function (p) { return p.player === player; });
    return playerName(found && found.name);
  }

  // --- keys

  function typing(target) {
    if (!target || !target.tagName) return false;
    if (target.isContentEditable || target.tagName === 'TEXTAREA' || target.tagName === 'SELECT') return true;
    return target.tagName === 'INPUT' && !/^(range|button|checkbox|radio|submit|reset|color)$/i.test(target.type);
  }

  function onKey(e) {
    if (e.ctrlKey || e.metaKey || e.altKey || typing(e.target)) return;
    var k = e.key;
    // The slider would move by itself on arrows, Home and End as well: handled here only,
    // so that one press is one year.
    if (k === 'ArrowLeft' || k === 'Left') go(current - 1);
    else if (k === 'ArrowRight' || k === 'Right') go(current + 1);
    else if (k === 'Home') go(0);
    else if (k === 'End') go(years.length - 1);
    else if (k === '+' || k === '=' || e.code === 'NumpadAdd') zoomCentre(ZOOM_STEP);
    else if (k === '-' || k === '−' || k === '_' || e.code === 'NumpadSubtract') zoomCentre(1 / ZOOM_STEP);
    else if (k === 'Escape' && selected) select(0);
    else return;
    e.preventDefault();
  }

  // --- zoom and pan

  function fitScale() {
    var m = epoch.map;
    return Math.min(ui.viewport.clientWidth / m.width, ui.viewport.clientHeight / m.height) || 1;
  }

  function minScale() { return Math.min(fitScale(), 1); }

  function fit() {
    view.scale = fitScale();
    view.fitted = true;
    clampView();
    applyView();
  }

  // A map smaller than the window stays centred; a larger one cannot be dragged out of sight.
  function clampView() {
    var m = epoch.map;
    var vw = ui.viewport.clientWidth, vh = ui.viewport.clientHeight;
    var w = m.width * view.scale, h = m.height * view.scale;
    view.x = w <= vw ? (vw - w) / 2 : Math.min(0, Math.max(vw - w, view.x));
    view.y = h <= vh ? (vh - h) / 2 : Math.min(0, Math.max(vh - h, view.y));
  }

  function applyView() {
    var s = view.scale;
    ui.stage.style.transform = 'translate(' + view.x + 'px,' + view.y + 'px) scale(' + s + ')';
    ui.stage.classList.toggle('pixelated', s > 1.001);
    ui.viewport.dataset.scale = s.toFixed(4);
    ui.zoomLabel.textContent = Math.round(s * 100) + ' %';
    ui.zoomOut.disabled = s <= minScale() + 1e-6;
    ui.zoomIn.disabled = s >= MAX_SCALE - 1e-6;
    // Outlines keep the same width on screen at every zoom.
    marksLayer.setAttribute('stroke-width', String(2.5 / s));
    dimLayer.setAttribute('stroke-width', String(5 / s));
    renderHover();
  }

  function zoomAt(factor, cx, cy) {
    var s = Math.max(minScale(), Math.min(MAX_SCALE, view.scale * factor));
    if (s === view.scale) return;
    var px = (cx - view.x) / view.scale, py = (cy - view.y) / view.scale;
    view.scale = s;
    view.x = cx - px * s;
    view.y = cy - py * s;
    view.fitted = false;
    clampView();
    applyView();
  }

  function zoomCentre(factor) {
    zoomAt(factor, ui.viewport.clientWidth / 2, ui.viewport.clientHeight / 2);
  }

  function setupMapMouse() {
    var vp = ui.viewport;
    var local = function (e) {
      var r = vp.getBoundingClientRect();
      return { x: e.clientX - r.left - vp.clientLeft, y: e.clientY - r.top - vp.clientTop };
    };
    vp.addEventListener('wheel', function (e) {
      e.preventDefault();
      var d = e.deltaY * (e.deltaMode === 1 ? 32 : e.deltaMode === 2 ? 400 : 1);
      d = Math.max(-400, Math.min(400, d));
      var p = local(e);
      zoomAt(Math.exp(-d * 0.002), p.x, p.y);
      hoverAt(p);
    }, { passive: false });
    vp.addEventListener('pointerdown', function (e) {
      if (e.button !== 0) return;
      drag = { id: e.pointerId, x: e.clientX, y: e.clientY, vx: view.x, vy: view.y };
      vp.setPointerCapture(e.pointerId);
      vp.classList.add('dragging');
    });
    vp.addEventListener('pointermove', function (e) {
      if (drag && drag.id === e.pointerId) {
        view.x = drag.vx + e.clientX - drag.x;
        view.y = drag.vy + e.clientY - drag.y;
        view.fitted = false;
        clampView();
        applyView();
      }
      hoverAt(local(e));
    });
    var end = function (e) {
      if (!drag || drag.id !== e.pointerId) return;
      drag = null;
      vp.classList.remove('dragging');
    };
    vp.addEventListener('pointerup', end);
    vp.addEventListener('pointercancel', end);
    vp.addEventListener('pointerleave', function () {
      if (drag) return;
      hovered = null;
      renderHover();
      renderCell();
    });
  }

  // --- the cell under the mouse

  function hoverAt(p) {
    var m = epoch.map;
    var px = (p.x - view.x) / view.scale, py = (p.y - view.y) / view.scale;
    var next = null;
    if (px >= 0 && py >= 0 && px < m.width && py < m.height) {
      var x = Math.floor((px - m.cellLeft) / m.cellSize), y = Math.floor((py - m.cellTop) / m.cellSize);
      next = x >= 1 && x <= m.columns && y >= 1 && y <= m.rows ? { x: x, y: y } : { x: 0, y: 0 };
    }
    if (hovered === next || (hovered && next && hovered.x === next.x && hovered.y === next.y)) return;
    hovered = next;
    renderHover();
    renderCell();
  }

  function cellRect(x, y, cls) {
    var m = epoch.map;
    return svg('rect', { x: m.cellLeft + x * m.cellSize, y: m.cellTop + y * m.cellSize,
      width: m.cellSize, height: m.cellSize, 'class': cls || '' });
  }

  function renderHover() {
    hoverLayer.textContent = '';
    if (hovered && hovered.x) {
      var halo = cellRect(hovered.x, hovered.y, 'hover-halo'), line = cellRect(hovered.x, hovered.y, 'hover-line');
      halo.setAttribute('stroke-width', String(4 / view.scale));
      line.setAttribute('stroke-width', String(2 / view.scale));
      hoverLayer.append(halo, line);
    }
  }

  function renderCell() {
    var box = ui.cellInfo;
    box.textContent = '';
    if (!epoch || !hovered) {
      box.append(el('p', 'hint', 'Наведите мышь на карту.'));
      return;
    }
    if (!hovered.x) {
      box.append(el('p', 'hint', 'Здесь нет клеток карты.'));
      return;
    }
    var x = hovered.x, y = hovered.y;
    box.append(el('p', 'cell-name', 'Клетка ' + x + '-' + y));
    var row = epoch.land && epoch.land[y - 1];
    var index = row ? row[x - 1] || 0 : 0;
    var land = index ? epoch.lands && epoch.lands[index] : null;
    var landLine = el('p', 'land');
    if (!index) landLine.textContent = 'Ничья клетка: земли нет';
    else if (!land || !clean(land.name).trim()) landLine.textContent = 'Земля № ' + index + ' без названия';
    else landLine.textContent = clean(land.name);
    box.append(landLine);
    if (land && typeof land.income === 'number') box.append(el('p', 'income', 'доход ' + land.income + ' монет'));
    var mine = landMines.get(cellKey(x, y));
    if (mine) {
      var mineName = (epoch.mineNames || [])[mine - 1];
      box.append(el('p', 'mine', mineName ? clean(mineName) + ' рудник' : 'рудник вида ' + mine));
    }
    var d = currentData();
    if (!d) {
      box.append(el('p', 'hint', loads.has(years[current].year) ? 'Загрузка…' : 'Данных года нет.'));
      return;
    }
    var list = unitsByCell(d).get(cellKey(x, y));
    if (!list) {
      box.append(el('p', 'hint', 'Никого нет.'));
      return;
    }
    var ul = el('ul', 'units');
    list.forEach(function (u) {
      var li = el('li');
      li.append(swatch(u[0]), document.createTextNode(kindWord(u[1]) + ' — Игрок ' + u[0] + ': ' + nameOf(d, u[0])));
      ul.append(li);
    });
    box.append(ul);
  }

  // --- players

  function renderLegend() {
    var y = years[current];
    ui.legendTitle.textContent = 'Игроки, год ' + y.year;
    ui.legend.textContent = '';
    (y.players || []).forEach(function (p) {
      var b = el('button', 'player');
      b.type = 'button';
      b.dataset.player = String(p.player);
      b.title = p.player + '. ' + playerName(p.name) + ': войска ' + p.troops + ', строения ' +
        p.buildings + ', рудники ' + p.mines + '. Щелчок выделяет их на карте.';
      b.append(swatch(p.player), el('span', 'pname', p.player + '. ' + playerName(p.name)),
        el('span', 'ptotal', String(p.total)));
      b.addEventListener('click', function () { select(selected === p.player ? 0 : p.player); });
      var li = el('li');
      li.append(b);
      ui.legend.append(li);
    });
    markSelected();
  }

  function markSelected() {
    ui.legend.querySelectorAll('button.player').forEach(function (b) {
      var on = Number(b.dataset.player) === selected;
      b.classList.toggle('selected', on);
      b.setAttribute('aria-pressed', on ? 'true' : 'false');
    });
  }

  function select(player) {
    selected = player;
    markSelected();
    renderMarks();
    highlightChartLine();
  }

  function clearMarks() {
    marksLayer.textContent = '';
    dimLayer.removeAttribute('d');
    ui.overlay.classList.remove('selecting');
  }

  function renderMarks() {
    clearMarks();
    var d = currentData();
    if (!selected || !d) return;
    var m = epoch.map;
    var p = (d.players || []).find(function (q) { return q.player === selected; });
    var seen = new Set();
    // The dimming covers the map with a hole at each of the player's cells (even-odd fill, so
    // each cell is cut out once).
    var path = 'M0 0H' + m.width + 'V' + m.height + 'H0Z';
    marksLayer.setAttribute('stroke', colorOf(selected));
    (p ? p.units : []).forEach(function (u) {
      marksLayer.append(cellRect(u[0], u[1], 'mark'));
      var key = cellKey(u[0], u[1]);
      if (seen.has(key)) return;
      seen.add(key);
      path += 'M' + (m.cellLeft + u[0] * m.cellSize) + ' ' + (m.cellTop + u[1] * m.cellSize) +
        'h' + m.cellSize + 'v' + m.cellSize + 'h' + -m.cellSize + 'Z';
    });
    dimLayer.setAttribute('d', path);
    ui.overlay.classList.add('selecting');
  }

  // --- changes

  function groupsLine(before, after) {
    var part = function (word, key) {
      var a = before ? before[key] : 0, b = after ? after[key] : 0;
      return word + ' ' + (a === b ? b : a + ' → ' + b);
    };
    return [part('войска', 'troops'), part('строения', 'buildings'), part('рудники', 'mines')].join(', ');
  }

  function sums(y) {
    var total = { troops: 0, buildings: 0, mines: 0 };
    (y.players || []).forEach(function (p) {
      total.troops += p.troops || 0;
      total.buildings += p.buildings || 0;
      total.mines += p.mines || 0;
    });
    return total;
  }

  function changeLines(p) {
    var lines = [];
    (p.moved || []).forEach(function (u) {
      lines.push(['moved', kindWord(u[0]) + ' ' + u[1] + '-' + u[2] + ' → ' + u[3] + '-' + u[4]]);
    });
    (p.added || []).forEach(function (u) { lines.push(['added', '+ ' + kindWord(u[0]) + ' ' + u[1] + '-' + u[2]]); });
    (p.removed || []).forEach(function (u) { lines.push(['removed', '− ' + kindWord(u[0]) + ' ' + u[1] + '-' + u[2]]); });
    return lines;
  }

  function renderChanges(d) {
    var box = ui.changes;
    box.textContent = '';
    box.scrollTop = 0;
    var diff = d.diff;
    if (!diff) {
      box.append(el('p', 'hint', 'Первый год эпохи — сравнивать не с чем.'));
      return;
    }
    box.append(el('h3', 'diff-title', 'Год ' + diff.from + ' → Год ' + d.year));
    var fromIndex = years.findIndex(function (y) { return y.year === diff.from; });
    if (fromIndex >= 0) {
      box.append(el('p', 'diff-total', 'Всего: ' + groupsLine(sums(years[fromIndex]), sums(years[current]))));
    }
    var players = diff.players || [];
    if (!players.length) {
      box.append(el('p', 'hint', 'Изменений нет.'));
      return;
    }
    var blocks = [];
    players.forEach(function (p) {
      var count = (p.moved || []).length + (p.added || []).length + (p.removed || []).length;
      var det = el('details', 'diff-player');
      det.dataset.player = String(p.player);
      var sum = el('summary');
      var head = el('span', 'diff-head');
      head.append(swatch(p.player), el('span', 'diff-name', 'Игрок ' + p.player + ': ' + playerName(p.name)));
      if (p.renamedFrom !== undefined) head.append(el('span', 'was', ' (был ' + playerName(p.renamedFrom) + ')'));
      if (count) head.append(el('span', 'count', count + ' ' + plural(count, 'изменение', 'изменения', 'изменений')));
      sum.append(head, el('span', 'groups', groupsLine(p.before, p.after)));
      det.append(sum);
      // Lines are built only when a player is opened: a big epoch moves thousands of units a year.
      // A click builds them at once (the toggle event comes a moment later), so that the panel
      // does not grow under the mouse after the click.
      var built = false;
      var build = function () {
        if (built) return;
        built = true;
        var ul = el('ul', 'diff-lines');
        changeLines(p).forEach(function (line) { ul.append(el('li', line[0], line[1])); });
        det.append(ul);
      };
      sum.addEventListener('click', build);
      det.addEventListener('toggle', function () { if (det.open) build(); });
      if (count && count <= 6) det.open = true;
      blocks.push(det);
    });
    if (players.some(function (p) { return (p.moved || []).length + (p.added || []).length + (p.removed || []).length > 6; })) {
      var all = el('button', 'link', 'Развернуть все');
      all.type = 'button';
      all.addEventListener('click', function () {
        var open = all.textContent === 'Развернуть все';
        blocks.forEach(function (b) { b.open = open; });
        all.textContent = open ? 'Свернуть все' : 'Развернуть все';
      });
      box.append(all);
    }
    box.append.apply(box, blocks);
  }

  // --- the chart

  function setupChart() {
    var redraw = 0;
    new ResizeObserver(function () {
      cancelAnimationFrame(redraw);
      redraw = requestAnimationFrame(drawChart);
    }).observe(ui.chart);
    ui.chart.addEventListener('click', function (e) {
      if (!chart) return;
      var r = chart.svg.getBoundingClientRect();
      var x = (e.clientX - r.left) * chart.width / r.width;
      var best = 0;
      years.forEach(function (y, i) {
        if (Math.abs(chart.xOf(y.year) - x) < Math.abs(chart.xOf(years[best].year) - x)) best = i;
      });
      go(best);
    });
  }

  function niceStep(max) {
    var raw = max / 4, mag = Math.pow(10, Math.floor(Math.log10(raw || 1)));
    var n = raw / mag;
    return (n <= 1 ? 1 : n <= 2 ? 2 : n <= 5 ? 5 : 10) * mag;
  }

  function drawChart() {
    var width = Math.max(240, Math.floor(ui.chart.clientWidth));
    var height = CHART_HEIGHT;
    var left = 44, right = 12, top = 12, bottom = 24;
    var first = years[0].year, last = years[years.length - 1].year;
    var max = 1;
    var lines = new Map();
    years.forEach(function (y) {
      (y.players || []).forEach(function (p) {
        max = Math.max(max, p.total || 0);
        if (!lines.has(p.player)) lines.set(p.player, { name: p.name, points: new Map() });
        var line = lines.get(p.player);
        line.name = p.name;
        line.points.set(y.year, p.total || 0);
      });
    });
    var step = niceStep(max);
    var top_ = Math.ceil(max / step) * step;
    var xOf = function (year) {
      return last === first ? (left + width - right) / 2 : left + (year - first) * (width - left - right) / (last - first);
    };
    var yOf = function (v) { return top + (height - top - bottom) * (1 - v / top_); };
    var root = svg('svg', { width: width, height: height, viewBox: '0 0 ' + width + ' ' + height,
      role: 'img', 'aria-label': 'Число войск, строений и рудников каждого игрока по годам' });
    var grid = svg('g', { 'class': 'grid' });
    for (var v = 0; v <= top_; v += step) {
      grid.append(svg('line', { x1: left, x2: width - right, y1: yOf(v), y2: yOf(v) }));
      var t = svg('text', { x: left - 6, y: yOf(v) + 4, 'text-anchor': 'end' });
      t.textContent = String(v);
      grid.append(t);
    }
    // Year labels: as many as fit, on round years.
    var every = 1;
    var room = (width - left - right) / 44;
    while ((last - first) / every > room) every = every < 2 ? 2 : every < 5 ? 5 : every < 10 ? 10 : every * 2;
    for (var yr = Math.ceil(first / every) * every; yr <= last; yr += every) {
      var lab = svg('text', { x: xOf(yr), y: height - 6, 'text-anchor': 'middle' });
      lab.textContent = String(yr);
      grid.append(lab, svg('line', { x1: xOf(yr), x2: xOf(yr), y1: height - bottom, y2: height - bottom + 4 }));
    }
    grid.append(svg('line', { 'class': 'axis', x1: left, x2: width - right, y1: height - bottom, y2: height - bottom }));
    root.append(grid);
    var series = svg('g', { 'class': 'series' });
    var paths = new Map();
    lines.forEach(function (line, player) {
      var d = '', prevYear = null;
      years.forEach(function (y) {
        if (!line.points.has(y.year)) { prevYear = null; return; }
        d += (prevYear === null ? 'M' : 'L') + xOf(y.year).toFixed(1) + ' ' + yOf(line.points.get(y.year)).toFixed(1);
        prevYear = y.year;
      });
      var g = svg('g', { 'class': 'series-line', 'data-player': player });
      var halo = svg('path', { d: d, 'class': 'halo' });
      var path = svg('path', { d: d, stroke: colorOf(player), 'class': 'line' });
      var title = svg('title', {});
      title.textContent = player + '. ' + playerName(line.name);
      g.append(title, halo, path);
      series.append(g);
      paths.set(player, g);
    });
    root.append(series);
    var marker = svg('line', { 'class': 'marker', y1: top - 4, y2: height - bottom });
    var markerLabel = svg('text', { 'class': 'marker-label', y: top - 2 });
    root.append(marker, markerLabel);
    ui.chart.textContent = '';
    ui.chart.append(root);
    chart = { svg: root, width: width, xOf: xOf, marker: marker, markerLabel: markerLabel, paths: paths };
    markChartYear();
    highlightChartLine();
  }

  function markChartYear() {
    if (!chart || current < 0) return;
    var year = years[current].year;
    var x = Math.round(chart.xOf(year) * 10) / 10;
    chart.marker.setAttribute('x1', x);
    chart.marker.setAttribute('x2', x);
    chart.marker.dataset.year = String(year);
    chart.markerLabel.setAttribute('x', x);
    chart.markerLabel.setAttribute('text-anchor', x > chart.width - 40 ? 'end' : x < 60 ? 'start' : 'middle');
    chart.markerLabel.textContent = 'Год ' + year;
  }

  function highlightChartLine() {
    if (!chart) return;
    chart.svg.classList.toggle('has-selection', selected > 0);
    chart.paths.forEach(function (g, player) {
      g.classList.toggle('selected', player === selected);
      // The chosen player's line is drawn last, above the others.
      if (player === selected) g.parentNode.append(g);
    });
  }

  start();
})();
