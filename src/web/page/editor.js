// The browser editor: the desktop editor's window around the editor's core in WebAssembly.
// The core is synchronous; the page gathers the files an operation needs (from the user's
// folder, a web address or the demo) into the core's in-memory file system first, then calls it,
// one call after another, and after each shows what it changed.
'use strict';

(() => {
  const AppTitle = 'Tirmagor - редактор';
  const DesignClient = { width: 1130, height: 806 };
  // The desktop window's frame and menu bar around the client area, at the design size.
  const OuterExtra = { width: 1146 - 1130, height: 857 - 806 };
  const StartupFiles = ['map.bmp', 'orv.dat', 'osnova.bmp', 'rudnici.bmp', 'Рифленка.bmp'];
  const ToolTipDelay = 700;  // ms
  const NotchAngle = 120;    // a wheel notch, in eighths of a degree
  const CellsPerNotch = 3;

  const $ = (id) => document.getElementById(id);
  let core = null;
  let api = null;
  let world = null;  // { name, source, mount }: where start-up read and saves go
  let epoch = null;  // { source, mount }: where the year's turn files come from
  let queue = Promise.resolve();
  // For the page's tests: whether a world is open, when it was first painted, a promise of the
  // moment everything asked of the core so far is done, and one of the moment the browser's
  // storage holds the recovery copies of the turn as it is now.
  window.tirmagor = { ready: false, firstPaint: null, idle: () => queue.then(() => {}), recoveryStored: () => recoveryCaughtUp() };

  // ---- The core ------------------------------------------------------------------------------

  function bindCore(module) {
    const fn = (name, ret, args) => module.cwrap(name, ret, args);
    return {
      start: fn('te_start', 'number', ['string']),
      resize: fn('te_resize', null, ['number', 'number', 'number', 'number']),
      windowPixels: fn('te_window_pixels', 'number', []),
      windowWidth: fn('te_window_width', 'number', []),
      windowHeight: fn('te_window_height', 'number', []),
      surfaceChanged: fn('te_surface_changed', 'number', []),
      mapPixels: fn('te_map_pixels', 'number', []),
      mapWidth: fn('te_map_width', 'number', []),
      mapHeight: fn('te_map_height', 'number', []),
      viewEdge: fn('te_view_edge', 'number', ['number']),
      mouseDown: fn('te_mouse_down', null, ['number', 'number', 'number']),
      mouseUp: fn('te_mouse_up', null, ['number', 'number', 'number']),
      mouseMove: fn('te_mouse_move', null, ['number', 'number']),
      doubleClick: fn('te_double_click', null, []),
      scroll: fn('te_scroll', null, ['number', 'number']),
      centreViewOn: fn('te_centre_view_on', null, ['number', 'number']),
      toolTip: fn('te_tooltip', 'string', ['number', 'number']),
      yearTyped: fn('te_year_typed', null, ['string']),
      yearOf: fn('te_year_of', 'number', ['string']),
      yearSet: fn('te_year_set', null, ['number']),
      keyUp: fn('te_key_up', null, []),
      upDown: fn('te_up_down', null, ['number']),
      undo: fn('te_undo', null, []),
      redo: fn('te_redo', null, []),
      escape: fn('te_escape', 'number', []),
      canUndo: fn('te_can_undo', 'number', []),
      canRedo: fn('te_can_redo', 'number', []),
      undoText: fn('te_undo_text', 'string', []),
      redoText: fn('te_redo_text', 'string', []),
      unsaved: fn('te_unsaved', 'number', []),
      loadMap: fn('te_load_map', 'number', ['string']),
      openTurn: fn('te_open_turn', 'number', ['string']),
      openEpochOf: fn('te_open_epoch_of', 'number', ['string']),
      loadPalette: fn('te_load_palette', 'number', ['string']),
      saveTurn: fn('te_save_turn', 'number', ['string']),
      turnNotWritten: fn('te_turn_not_written', null, ['string']),
      turnFileRestaged: fn('te_turn_file_restaged', null, []),
      savePicture: fn('te_save_picture', 'number', ['string']),
      worldYear: fn('te_world_year', 'number', []),
      loadReference: fn('te_load_reference', 'number', ['string']),
      referencePixels: fn('te_reference_pixels', 'number', []),
      referenceWidth: fn('te_reference_width', 'number', []),
      referenceHeight: fn('te_reference_height', 'number', []),
      yearField: fn('te_year_field', 'string', []),
      playersField: fn('te_players_field', 'string', []),
      panel: fn('te_panel', 'string', ['number']),
      upDownPosition: fn('te_up_down_position', 'number', []),
      upDownMaximum: fn('te_up_down_maximum', 'number', []),
      takeError: fn('te_take_error', 'string', []),
      takeReferenceToggles: fn('te_take_reference_toggles', 'number', []),
      takeCloseRequest: fn('te_take_close_request', 'number', []),
      turnFile: fn('te_turn_file', 'string', []),
      recoveryOpen: fn('te_recovery_open', null, ['string', 'number']),
      recoveryUpdate: fn('te_recovery_update', 'number', ['number']),
      recoveryList: fn('te_recovery_list', 'string', []),
      recoveryTurnFile: fn('te_recovery_turn_file', 'string', ['string']),
      recoveryRestore: fn('te_recovery_restore', 'number', ['string']),
      recoveryDrop: fn('te_recovery_drop', null, ['string']),
    };
  }

  // Every call into the core runs in turn, after the files it needs are in place.
  function enqueue(job) {
    const run = queue.then(job).catch((error) => showError(String((error && error.message) || error)));
    queue = run;
    return run;
  }

  // Runs core calls, then shows everything they changed.
  function act(calls) {
    calls();
    showState();
  }

  function pixelsOf(pointer, width, height) {
    return new ImageData(new Uint8ClampedArray(core.HEAPU8.buffer, pointer, width * height * 4), width, height);
  }

  // ---- Where a world's files come from -------------------------------------------------------

  // A folder the user granted (Chromium): read when needed, and written by the saves.
  function handleSource(directory) {
    return {
      name: directory.name,
      key: 'folder:' + directory.name,
      writable: true,
      async read(name) {
        try {
          const file = await (await directory.getFileHandle(name)).getFile();
          return withTime(new Uint8Array(await file.arrayBuffer()), file.lastModified);
        } catch (error) {
          return null;
        }
      },
      async names() {
        const names = [];
        for await (const [name, entry] of directory.entries()) if (entry.kind === 'file') names.push(name);
        return names;
      },
      // The browser writes a temporary file and puts it in place when it is complete.
      async write(name, bytes) {
        const handle = await directory.getFileHandle(name, { create: true });
        const writable = await handle.createWritable();
        await writable.write(bytes);
        await writable.close();
      },
    };
  }

  // Files the browser handed over (a folder chooser or a dropped folder): read-only.
  function fileSource(name, files) {
    const byName = new Map(files.map((file) => [file.name.normalize('NFC'), file]));
    return {
      name,
      key: 'folder:' + name,
      writable: false,
      async read(fileName) {
        const file = byName.get(fileName);
        return file ? withTime(new Uint8Array(await file.arrayBuffer()), file.lastModified) : null;
      },
      async names() { return [...byName.keys()]; },
    };
  }

  // A folder on a web server, given as ?world=URL: read-only.
  function urlSource(base) {
    const folder = base.endsWith('/') ? base : base + '/';
    return {
      name: decodeURIComponent(folder.replace(/\/$/, '').split('/').pop() || folder),
      key: 'url:' + new URL(folder, location.href).href,
      writable: false,
      async read(fileName) {
        try {
          const response = await fetch(new URL(encodeURIComponent(fileName), new URL(folder, location.href)));
          if (!response.ok) return null;
          const modified = Date.parse(response.headers.get('Last-Modified') || '');
          return withTime(new Uint8Array(await response.arrayBuffer()), Number.isNaN(modified) ? 0 : modified);
        } catch (error) {
          return null;
        }
      },
      async names() { return []; },
    };
  }

  // The demo world, which the core writes into its own file system: read-only.
  function memorySource(folder) {
    return {
      name: 'Демо-мир',
      writable: false,
      inMemory: true,
      async read(fileName) {
        try {
          return core.FS.readFile(folder + '/' + fileName);
        } catch (error) {
          return null;
        }
      },
      async names() { return core.FS.readdir(folder).filter((name) => name !== '.' && name !== '..'); },
    };
  }

  // A world's folder in the core's file system: the same world, opened again, has the same
  // folder, which names its recovery copies.
  function mountFor(source) {
    if (!core.FS.analyzePath('/worlds').exists) core.FS.mkdir('/worlds');
    const mount = '/worlds/' + encodeURIComponent(source.key);
    if (!core.FS.analyzePath(mount).exists) core.FS.mkdir(mount);
    return mount;
  }

  // The bytes of a file with its time of change (ms since 1970; 0 when the source has none).
  function withTime(bytes, lastModified) {
    bytes.lastModified = lastModified || 0;
    return bytes;
  }

  // Puts a file of `source` into the core's file system at `path`, with the source's time of
  // change, by which a recovery copy sees whether its turn file changed; or takes away a copy
  // that the source no longer has.
  async function stage(source, fileName, path) {
    if (source.inMemory) return;
    const bytes = await source.read(fileName);
    if (bytes) {
      core.FS.writeFile(path, bytes);
      core.FS.utime(path, bytes.lastModified || 0, bytes.lastModified || 0);
    } else {
      try {
        core.FS.unlink(path);
      } catch (error) { /* not there */ }
    }
  }

  function yearFileName(year) { return 'Год' + year + '.tvk'; }

  // The turn file of `year` in the epoch, as it is in the source now.
  async function stageYear(year) {
    if (!epoch) return;
    await stage(epoch.source, yearFileName(year), epoch.mount + '/' + yearFileName(year));
  }

  function clampYear(year) { return Math.min(1000, Math.max(0, year)); }

  // ---- Opening a world -----------------------------------------------------------------------

  async function openWorld(source) {
    hideStartScreen();
    const mount = source.inMemory ? source.folder : mountFor(source);
    await Promise.all(StartupFiles.map((name) => stage(source, name, mount + '/' + name)));
    performance.mark('tirmagor-files-ready');
    world = { name: source.name, source, mount };
    epoch = { source, mount };
    core.FS.chdir(mount);
    act(() => {
      api.start('');
      resizeToPage(true);
      // The reference window reads its picture at start-up, as the desktop's does.
      if (api.loadReference('Рифленка.bmp')) showReferencePicture();
    });
    performance.mark('tirmagor-started');
    offeredTurn = null;
    enqueue(() => recoveryStep(true));
    if (window.tirmagor.firstPaint === null) {
      await afterNextPaint();
      window.tirmagor.firstPaint = performance.now();
    }
    window.tirmagor.ready = true;
  }

  function afterNextPaint() {
    return new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
  }

  // The demo world, packed into the page by its build: unpacked into the core's file system.
  function openDemo() {
    return enqueue(async () => {
      hideStartScreen();
      const folder = '/demo';
      if (!core.FS.analyzePath(folder).exists) {
        await demoWorldScript();
        const files = Object.entries(window.TirmagorDemoWorld);
        const unpacked = await Promise.all(files.map(([, packed]) => gunzip(packed)));
        core.FS.mkdir(folder);
        files.forEach(([name], i) => core.FS.writeFile(folder + '/' + name, unpacked[i]));
      }
      const source = memorySource(folder);
      source.folder = folder;
      await openWorld(source);
    });
  }

  // Loaded while the core starts, when the page is asked for the demo world.
  let demoWorldLoading = null;
  function demoWorldScript() {
    if (!demoWorldLoading) demoWorldLoading = loadScript('demo-world.js');
    return demoWorldLoading;
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error('Cannot load ' + src));
      document.head.append(script);
    });
  }

  async function gunzip(base64) {
    const text = atob(base64);
    const packed = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) packed[i] = text.charCodeAt(i);
    const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  async function pickFolder() {
    if (window.showDirectoryPicker) {
      let directory;
      try {
        directory = await window.showDirectoryPicker({ id: 'tirmagor-world', mode: 'readwrite' });
      } catch (error) {
        return null;  // cancelled
      }
      return handleSource(directory);
    }
    return null;
  }

  // The files of a chosen folder itself, not of the folders inside it.
  function topLevelFiles(fileList) {
    const files = [...fileList].filter((file) => (file.webkitRelativePath || file.name).split('/').length <= 2);
    const first = fileList[0] && fileList[0].webkitRelativePath;
    return { name: first ? first.split('/')[0] : 'мир', files };
  }

  // A dropped folder, read through the entries the browser gives for it.
  async function droppedFolder(entry) {
    const files = [];
    const reader = entry.createReader();
    for (;;) {
      const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
      if (!batch.length) break;
      for (const child of batch)
        if (child.isFile) files.push(await new Promise((resolve, reject) => child.file(resolve, reject)));
    }
    return fileSource(entry.name, files);
  }

  // ---- Showing the state ---------------------------------------------------------------------

  const canvas = $('Form1');
  const context = canvas.getContext('2d', { alpha: false });

  function paintWindow() {
    const width = api.windowWidth(), height = api.windowHeight();
    if (width <= 0 || height <= 0) return;
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    context.putImageData(pixelsOf(api.windowPixels(), width, height), 0, 0);
  }

  function setText(element, text) {
    if (element.textContent !== text) element.textContent = text;
  }

  function showState() {
    if (!api) return;
    const yearField = $('SpinEdit1');
    const yearText = api.yearField();
    // Text typed since is the user's, not to be put back to what the core has seen so far.
    if (typedAhead === 0 && yearField.value !== yearText) yearField.value = yearText;
    const players = $('Edit2');
    const playersText = api.playersField();
    if (players.value !== playersText) players.value = playersText;
    const panels = $('StatusBar1').children;
    for (let i = 0; i < 4; ++i) setText(panels[i], api.panel(i));
    const undo = $('Undo'), redo = $('Redo');
    setText(undo.querySelector('.text'), api.undoText());
    setText(redo.querySelector('.text'), api.redoText());
    undo.disabled = !api.canUndo();
    redo.disabled = !api.canRedo();
    if (api.surfaceChanged()) paintWindow();
    if (api.takeReferenceToggles() % 2) toggleReferenceWindow();
    if (api.takeCloseRequest()) closeWorld();
    showTitle();
    refreshOverview();
    planRecovery();
    for (let text = api.takeError(); text; text = api.takeError()) showError(text);
  }

  function showTitle() {
    if (!world) {
      document.title = AppTitle;
      return;
    }
    const mark = api.unsaved() ? '• ' : '';
    document.title = mark + yearFileName(api.worldYear()) + ' — ' + world.name + ' — ' + AppTitle;
  }

  // ---- Errors --------------------------------------------------------------------------------

  const errors = [];
  function showError(text) {
    errors.push(text);
    if (errors.length === 1) presentError();
  }
  function presentError() {
    $('ErrorText').textContent = errors[0];
    $('ModalCover').hidden = false;
    $('ErrorBox').hidden = false;
    $('ErrorOk').focus();
  }
  function closeError() {
    errors.shift();
    if (errors.length) return presentError();
    $('ErrorBox').hidden = true;
    $('ModalCover').hidden = true;
  }
  function modalOpen() { return !$('ModalCover').hidden; }

  // ---- The window's size ---------------------------------------------------------------------

  let clientSize = { width: 0, height: 0 };
  // The client area fills the page below the menu bar, and is never smaller than the design's.
  function resizeToPage(force) {
    const menuHeight = $('MenuBar').offsetHeight;
    const width = Math.max(DesignClient.width, document.documentElement.clientWidth);
    const height = Math.max(DesignClient.height, window.innerHeight - menuHeight);
    if (!force && width === clientSize.width && height === clientSize.height) return;
    clientSize = { width, height };
    $('ClientArea').style.width = width + 'px';
    $('ClientArea').style.height = height + 'px';
    api.resize(width, height, width + OuterExtra.width, height + OuterExtra.height);
  }

  // ---- Mouse on the window -------------------------------------------------------------------

  function windowPoint(event) {
    const box = canvas.getBoundingClientRect();
    return { x: Math.floor(event.clientX - box.left), y: Math.floor(event.clientY - box.top) };
  }

  let buttonsDown = 0;
  canvas.addEventListener('mousedown', (event) => {
    if (modalOpen()) return;
    event.preventDefault();
    hideToolTip();
    closeMenus();
    if (document.activeElement && document.activeElement !== document.body) document.activeElement.blur();
    buttonsDown |= 1 << event.button;
    const { x, y } = windowPoint(event);
    const button = event.button;
    // The second press of a double click comes after the double click itself.
    const double = event.detail === 2 && button === 0;
    enqueue(() => act(() => {
      if (double) api.doubleClick();
      api.mouseDown(button, x, y);
    }));
  });
  // Releases and moves belong to the window that had the press, wherever the mouse is then.
  window.addEventListener('mouseup', (event) => {
    if (!(buttonsDown & (1 << event.button))) return;
    buttonsDown &= ~(1 << event.button);
    const { x, y } = windowPoint(event);
    enqueue(() => act(() => api.mouseUp(event.button, x, y)));
  });
  window.addEventListener('mousemove', (event) => {
    if (!api || !world) return;
    if (event.target !== canvas && !buttonsDown) return;
    const { x, y } = windowPoint(event);
    enqueue(() => act(() => api.mouseMove(x, y)));
    planToolTip(event, x, y);
  });
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  canvas.addEventListener('mouseleave', hideToolTip);

  let wheelRemainder = { x: 0, y: 0 };
  canvas.addEventListener('wheel', (event) => {
    event.preventDefault();
    // In eighths of a degree, as the desktop counts them: a notch is 120 (about 100 pixels).
    const scale = event.deltaMode === 1 ? NotchAngle / 3 : event.deltaMode === 2 ? NotchAngle * 3 : NotchAngle / 100;
    let turnX = -event.deltaX * scale, turnY = -event.deltaY * scale;
    if (event.shiftKey && turnX === 0) [turnX, turnY] = [turnY, 0];
    wheelRemainder.x += turnX;
    wheelRemainder.y += turnY;
    const columns = Math.trunc(wheelRemainder.x / NotchAngle), rows = Math.trunc(wheelRemainder.y / NotchAngle);
    wheelRemainder.x -= columns * NotchAngle;
    wheelRemainder.y -= rows * NotchAngle;
    if (columns || rows) enqueue(() => act(() => api.scroll(-columns * CellsPerNotch, -rows * CellsPerNotch)));
  }, { passive: false });

  // ---- Tooltips ------------------------------------------------------------------------------

  const toolTip = $('ToolTip');
  let toolTipTimer = 0;
  function placeToolTip(text, event) {
    if (!text) return hideToolTip();
    toolTip.textContent = text;
    toolTip.hidden = false;
    const left = Math.min(event.clientX + 12, window.innerWidth - toolTip.offsetWidth - 4);
    const top = Math.min(event.clientY + 18, window.innerHeight - toolTip.offsetHeight - 4);
    toolTip.style.left = Math.max(0, left) + 'px';
    toolTip.style.top = Math.max(0, top) + 'px';
  }
  function planToolTip(event, x, y) {
    clearTimeout(toolTipTimer);
    if (event.target !== canvas || buttonsDown) return hideToolTip();
    const at = { clientX: event.clientX, clientY: event.clientY };
    // A tooltip that is showing follows the mouse from cell to cell.
    if (!toolTip.hidden) return enqueue(() => placeToolTip(api.toolTip(x, y), at));
    toolTipTimer = setTimeout(() => enqueue(() => placeToolTip(api.toolTip(x, y), at)), ToolTipDelay);
  }
  function hideToolTip() {
    clearTimeout(toolTipTimer);
    toolTip.hidden = true;
  }

  // ---- The year field, the players' buttons --------------------------------------------------

  const yearField = $('SpinEdit1');
  // Digits, signs and the decimal point, as the desktop field takes them.
  yearField.addEventListener('beforeinput', (event) => {
    if (event.data && !/^[0-9+\-.,]*$/.test(event.data)) event.preventDefault();
  });
  // Keystrokes whose turn files are still being read: the field shows them already.
  let typedAhead = 0;
  yearField.addEventListener('input', () => {
    const typed = yearField.value;
    ++typedAhead;
    enqueue(async () => {
      try {
        await stageYear(api.yearOf(typed));
      } finally {
        --typedAhead;
      }
      act(() => api.yearTyped(typed));
    });
  });
  function stepYearField(steps) {
    enqueue(async () => {
      const year = clampYear(api.yearOf(api.yearField()) + steps);
      await stageYear(year);
      act(() => api.yearSet(year));
    });
  }
  yearField.addEventListener('keydown', (event) => {
    if (event.key !== 'ArrowUp' && event.key !== 'ArrowDown') return;
    event.preventDefault();
    stepYearField(event.key === 'ArrowUp' ? 1 : -1);
  });
  // A typed year outside the range stands until the focus moves to another control.
  yearField.addEventListener('blur', (event) => {
    if (!event.relatedTarget) return;
    enqueue(async () => {
      const year = api.yearOf(api.yearField());
      if (clampYear(year) === year) return;
      await stageYear(clampYear(year));
      act(() => api.yearSet(year));
    });
  });
  $('SpinEdit1Box').querySelector('.spin-up').addEventListener('click', () => stepYearField(1));
  $('SpinEdit1Box').querySelector('.spin-down').addEventListener('click', () => stepYearField(-1));
  yearField.addEventListener('wheel', (event) => event.preventDefault(), { passive: false });

  function stepPlayers(steps) {
    enqueue(() => act(() => {
      const position = Math.min(api.upDownMaximum(), Math.max(2, api.upDownPosition() + steps));
      if (position !== api.upDownPosition()) api.upDown(position);
    }));
  }
  $('UpDown1').querySelector('.spin-up').addEventListener('click', () => stepPlayers(1));
  $('UpDown1').querySelector('.spin-down').addEventListener('click', () => stepPlayers(-1));
  $('UpDown1').addEventListener('keydown', (event) => {
    if (event.key === 'ArrowUp' || event.key === 'ArrowDown') {
      event.preventDefault();
      stepPlayers(event.key === 'ArrowUp' ? 1 : -1);
    }
  });

  // ---- Keys ----------------------------------------------------------------------------------

  const heldKeys = new Set();
  const claimedKeys = new Set();
  // The keys held now belong to a command: their releases step no year.
  function claimHeldKeys(event) {
    for (const key of heldKeys) claimedKeys.add(key);
    if (event.ctrlKey) claimedKeys.add('Control');
    if (event.shiftKey) claimedKeys.add('Shift');
  }
  function commandOf(event) {
    if (!event.ctrlKey || event.altKey || event.metaKey) return null;
    const key = event.code;
    if (key === 'KeyZ' && !event.shiftKey) return 'undo';
    if ((key === 'KeyY' && !event.shiftKey) || (key === 'KeyZ' && event.shiftKey)) return 'redo';
    if (key === 'KeyM' && !event.shiftKey) return 'overview';
    return null;
  }
  function keyName(event) { return event.key.length === 1 ? event.code : event.key; }

  document.addEventListener('keydown', (event) => {
    if (!world || modalOpen() || !$('StartScreen').hidden) return;
    if (!event.repeat) {
      heldKeys.add(keyName(event));
      claimedKeys.delete(keyName(event));
    }
    const command = commandOf(event);
    if (command) {
      // Taken here, so that a field's own undo never sees them.
      event.preventDefault();
      claimHeldKeys(event);
      runCommand(command);
      return;
    }
    if (event.key === 'Escape' && !event.ctrlKey && !event.shiftKey && !event.altKey) {
      if (closeMenus()) return;
      enqueue(() => act(() => {
        if (api.escape()) claimHeldKeys(event);
      }));
    }
  }, true);

  document.addEventListener('keyup', (event) => {
    const key = keyName(event);
    heldKeys.delete(key);
    if (claimedKeys.delete(key)) return;
    if (!world || modalOpen() || !$('StartScreen').hidden) return;
    // Only keys released on the window itself, not in a field, a button or a menu.
    const focus = document.activeElement;
    if (focus && focus !== document.body && focus !== canvas) return;
    enqueue(async () => {
      await stageYear(clampYear(api.yearOf(api.yearField()) + 1));
      act(() => api.keyUp());
    });
  });
  window.addEventListener('blur', () => heldKeys.clear());

  function runCommand(command) {
    if (command === 'undo') enqueue(() => act(() => { if (api.canUndo()) api.undo(); }));
    else if (command === 'redo') enqueue(() => act(() => { if (api.canRedo()) api.redo(); }));
    else if (command === 'overview') toggleOverview();
  }

  // ---- Menus ---------------------------------------------------------------------------------

  function closeMenus() {
    let closed = false;
    for (const items of document.querySelectorAll('.menu-items')) {
      if (!items.hidden) closed = true;
      items.hidden = true;
    }
    for (const title of document.querySelectorAll('.menu-title.open')) title.classList.remove('open');
    return closed;
  }
  for (const menu of document.querySelectorAll('.menu')) {
    const title = menu.querySelector('.menu-title');
    const items = menu.querySelector('.menu-items');
    title.addEventListener('click', () => {
      const wasOpen = !items.hidden;
      closeMenus();
      if (wasOpen) return;
      items.hidden = false;
      title.classList.add('open');
    });
    title.addEventListener('mouseenter', () => {
      if (document.querySelector('.menu-title.open') && items.hidden) title.click();
    });
    items.addEventListener('click', () => closeMenus());
  }
  document.addEventListener('mousedown', (event) => {
    if (!event.target.closest('.menu')) closeMenus();
  });

  function command(id, handler) {
    $(id).addEventListener('click', () => {
      closeMenus();
      handler();
    });
  }

  // Asks for one file with the browser's own chooser; the chosen file's bytes and name.
  function chooseFile(accept) {
    return new Promise((resolve) => {
      const input = $('OpenDialog1');
      input.value = '';
      input.accept = accept;
      input.onchange = async () => {
        const file = input.files[0];
        resolve(file ? { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) } : null);
      };
      input.click();
    });
  }

  function putChosenFile(chosen) {
    try { core.FS.mkdir('/chosen'); } catch (error) { /* there */ }
    const path = '/chosen/' + chosen.name.replace(/\//g, '_');
    core.FS.writeFile(path, chosen.bytes);
    return path;
  }

  function openCommand(accept, operation) {
    return async () => {
      const chosen = await chooseFile(accept);
      if (!chosen) return;
      enqueue(() => act(() => operation(putChosenFile(chosen))));
    };
  }

  command('N7', openCommand('.bmp', (path) => api.loadMap(path)));
  command('N8', openCommand('.tvk', (path) => api.openTurn(path)));
  command('N1', openCommand('.pal', (path) => api.loadPalette(path)));
  command('N2', async () => {
    let source = await pickFolder();
    if (!source) source = await chooseFolderFiles($('EpochInput'));
    if (!source) return;
    enqueue(async () => {
      const mount = mountFor(source);
      const names = (await source.names()).filter((name) => /\.tvk$/i.test(name));
      const first = names.includes('Год0.tvk') ? 'Год0.tvk' : names[0];
      if (first) await stage(source, first, mount + '/' + first);
      act(() => api.openEpochOf(mount + '/' + (first || 'Год0.tvk')));
      if (first) epoch = { source, mount };
    });
  });
  command('N9', () => saveCommand('picture'));
  command('N10', () => saveCommand('turn'));
  command('N11', () => enqueue(() => closeWorld()));
  command('N12', () => toggleReferenceWindow());
  command('Undo', () => runCommand('undo'));
  command('Redo', () => runCommand('redo'));
  command('ToggleOverview', () => toggleOverview());

  function chooseFolderFiles(input) {
    return new Promise((resolve) => {
      input.value = '';
      input.onchange = () => {
        if (!input.files.length) return resolve(null);
        const { name, files } = topLevelFiles(input.files);
        resolve(fileSource(name, files));
      };
      input.click();
    });
  }

  // ---- Saving --------------------------------------------------------------------------------

  const SaveKinds = {
    turn: { title: 'Сохранить ход в файл данных', types: [['Файл хода (*.tvk)', '.tvk']] },
    picture: { title: 'Сохранить ход в файл картинки', types: [['Карта (*.bmp)', '.bmp'], ['Картинка PNG (*.png)', '.png']] },
  };

  function saveCommand(kind) {
    const dialog = $('SaveDialog1');
    const saving = SaveKinds[kind];
    $('SaveTitle').textContent = saving.title;
    const type = $('SaveType');
    type.replaceChildren(...saving.types.map(([label, extension]) => new Option(label, extension)));
    $('SaveTypeRow').hidden = saving.types.length < 2;
    const year = api.yearOf(api.yearField());
    $('SaveName').value = 'Год' + year + saving.types[0][1];
    $('SaveWhere').textContent = world && world.source.writable
      ? 'Файл будет записан в папку «' + world.source.name + '».'
      : 'Папка открыта только для чтения: файл будет скачан.';
    type.onchange = () => {
      const name = $('SaveName');
      name.value = name.value.replace(/\.(bmp|png|tvk)$/i, '') + type.value;
    };
    dialog.onsubmit = (event) => {
      event.preventDefault();
      const name = $('SaveName').value.trim();
      if (!name) return;
      closeSaveDialog();
      enqueue(() => save(kind, name));
    };
    $('SaveCancel').onclick = closeSaveDialog;
    $('ModalCover').hidden = false;
    dialog.hidden = false;
    $('SaveName').select();
    $('SaveName').focus();
  }
  function closeSaveDialog() {
    $('SaveDialog1').hidden = true;
    $('ModalCover').hidden = true;
  }

  // The core saves into the world's folder in its file system, so that the turn's file is the
  // one in the world; where the bytes do not reach the real folder (a download, a refused
  // write), the file that was there is put back.
  async function save(kind, name) {
    const folder = world ? world.mount : '/saved';
    if (!core.FS.analyzePath(folder).exists) core.FS.mkdir(folder);
    const path = folder + '/' + name.replace(/\//g, '_');
    let bytes = null;
    let before = null;
    if (kind === 'picture' && /\.png$/i.test(name)) {
      bytes = await pngOfMap();
    } else {
      before = fileAt(path);
      let ok = 0;
      act(() => { ok = kind === 'turn' ? api.saveTurn(path) : api.savePicture(path); });
      if (!ok) return;
      bytes = core.FS.readFile(path);
    }
    if (!bytes) return;
    let written = false;
    if (world && world.source.writable) {
      try {
        await world.source.write(name, bytes);
        written = true;
      } catch (error) {
        showError('Cannot create file "' + name + '". ' + (error.message || error));
      }
    } else {
      download(name, bytes);
    }
    // The core's file system has the folder's file again, with the folder's time of change.
    if (written) await stage(world.source, name, path);
    else if (before !== null) putBack(path, before);
    // A turn the folder refused is unsaved still; a downloaded one counts as saved.
    const refused = !written && world && world.source.writable;
    if (kind === 'turn') refused ? api.turnNotWritten(path) : api.turnFileRestaged();
    showState();
    // A save takes its copy away at once: the tab may be closed right after it.
    if (kind === 'turn') await recoveryStep(false);
  }

  // A file of the core's file system with its time of change; false when there is none.
  function fileAt(path) {
    if (!core.FS.analyzePath(path).exists) return false;
    return { bytes: core.FS.readFile(path), time: core.FS.stat(path).mtime.getTime() };
  }

  function putBack(path, file) {
    if (!file) {
      core.FS.unlink(path);
      return;
    }
    core.FS.writeFile(path, file.bytes);
    core.FS.utime(path, file.time, file.time);
  }

  function pngOfMap() {
    const width = api.mapWidth(), height = api.mapHeight();
    const pointer = api.mapPixels();
    showState();
    if (!pointer || width <= 0 || height <= 0) return null;
    const picture = document.createElement('canvas');
    picture.width = width;
    picture.height = height;
    picture.getContext('2d').putImageData(pixelsOf(pointer, width, height), 0, 0);
    return new Promise((resolve) => picture.toBlob(async (blob) => resolve(blob ? new Uint8Array(await blob.arrayBuffer()) : null), 'image/png'));
  }

  function download(name, bytes) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // ---- Windows inside the page ---------------------------------------------------------------

  function makeMovable(windowElement) {
    const title = windowElement.querySelector('.toolwindow-title');
    title.addEventListener('mousedown', (event) => {
      if (event.button !== 0 || event.target.closest('button')) return;
      event.preventDefault();
      const start = { x: event.clientX, y: event.clientY, left: windowElement.offsetLeft, top: windowElement.offsetTop };
      const move = (e) => {
        windowElement.style.left = start.left + e.clientX - start.x + 'px';
        windowElement.style.top = Math.max(0, start.top + e.clientY - start.y) + 'px';
      };
      const up = () => {
        window.removeEventListener('mousemove', move);
        window.removeEventListener('mouseup', up);
      };
      window.addEventListener('mousemove', move);
      window.addEventListener('mouseup', up);
    });
  }

  const reference = $('Form2');
  makeMovable(reference);
  function showReferencePicture() {
    const width = api.referenceWidth(), height = api.referenceHeight();
    const picture = $('ReferencePicture');
    picture.width = width;
    picture.height = height;
    picture.getContext('2d').putImageData(pixelsOf(api.referencePixels(), width, height), 0, 0);
  }
  function toggleReferenceWindow() { reference.hidden = !reference.hidden; }
  reference.addEventListener('dblclick', () => { reference.hidden = true; });

  const overview = $('Overview');
  const overviewCanvas = $('OverviewPicture');
  makeMovable(overview);
  overview.querySelector('.close').addEventListener('click', () => { overview.hidden = true; });
  let overviewPlaced = null;
  let overviewPending = false;
  function toggleOverview() {
    if (overview.hidden && !overview.dataset.placed) {
      overview.dataset.placed = '1';
      overview.style.left = Math.max(0, window.innerWidth - overview.offsetWidth - 490) + 'px';
      overview.style.top = '30px';
    }
    overview.hidden = !overview.hidden;
    refreshOverview();
  }
  // The whole composed map, fitted into the window, with the view framed; made once a frame.
  function refreshOverview() {
    if (overview.hidden || overviewPending || !api || !world) return;
    overviewPending = true;
    requestAnimationFrame(() => enqueue(() => {
      overviewPending = false;
      drawOverview();
    }));
  }
  const mapCanvas = document.createElement('canvas');
  function drawOverview() {
    const width = api.mapWidth(), height = api.mapHeight();
    const shownWidth = overviewCanvas.clientWidth, shownHeight = overviewCanvas.clientHeight;
    if (overviewCanvas.width !== shownWidth || overviewCanvas.height !== shownHeight) {
      overviewCanvas.width = shownWidth;
      overviewCanvas.height = shownHeight;
    }
    const draw = overviewCanvas.getContext('2d');
    draw.fillStyle = getComputedStyle(document.body).backgroundColor;
    draw.fillRect(0, 0, shownWidth, shownHeight);
    if (width <= 0 || height <= 0) return;
    const pointer = api.mapPixels();
    if (!pointer) return;
    mapCanvas.width = width;
    mapCanvas.height = height;
    mapCanvas.getContext('2d').putImageData(pixelsOf(pointer, width, height), 0, 0);
    const scale = Math.min(shownWidth / width, shownHeight / height);
    const placed = { left: Math.floor((shownWidth - width * scale) / 2), top: Math.floor((shownHeight - height * scale) / 2), scale };
    overviewPlaced = placed;
    draw.imageSmoothingEnabled = true;
    draw.imageSmoothingQuality = 'high';
    draw.drawImage(mapCanvas, placed.left, placed.top, width * scale, height * scale);
    const edge = (i) => api.viewEdge(i);
    const x1 = placed.left + Math.max(0, edge(0)) * scale, y1 = placed.top + Math.max(0, edge(1)) * scale;
    const x2 = placed.left + Math.min(width, edge(2)) * scale, y2 = placed.top + Math.min(height, edge(3)) * scale;
    if (x2 <= x1 || y2 <= y1) return;
    // A red line inside a white one shows on every colour of the map.
    draw.lineWidth = 1;
    draw.strokeStyle = '#fff';
    draw.strokeRect(Math.round(x1) + 0.5, Math.round(y1) + 0.5, Math.round(x2 - x1) - 1, Math.round(y2 - y1) - 1);
    draw.strokeStyle = 'rgb(220,0,0)';
    draw.strokeRect(Math.round(x1) + 1.5, Math.round(y1) + 1.5, Math.round(x2 - x1) - 3, Math.round(y2 - y1) - 3);
  }
  function centreViewAt(event) {
    if (!overviewPlaced) return;
    const box = overviewCanvas.getBoundingClientRect();
    const px = Math.floor((event.clientX - box.left - overviewPlaced.left) / overviewPlaced.scale);
    const py = Math.floor((event.clientY - box.top - overviewPlaced.top) / overviewPlaced.scale);
    enqueue(() => act(() => api.centreViewOn(px, py)));
  }
  overviewCanvas.addEventListener('mousedown', (event) => {
    if (event.button === 0) centreViewAt(event);
  });
  overviewCanvas.addEventListener('mousemove', (event) => {
    if (event.buttons & 1) centreViewAt(event);
  });
  new ResizeObserver(() => refreshOverview()).observe(overview);

  // ---- Recovery copies ----------------------------------------------------------------------
  // The core keeps the copies of unsaved edits in a folder of its file system; the page mirrors
  // that folder in the browser's storage (IndexedDB), where the next visit finds them.

  const RecoveryFolder = '/recovery';
  let recoveryDb = null;
  const recoveryStored = new Map();  // file name → the bytes the storage has
  let recoveryTimer = 0;
  let offeredTurn = null;            // the turn file whose world's copies were offered last
  let recoveryCopies = [];           // the rows shown
  let recoverySelected = 0;

  function openRecoveryDb() {
    return new Promise((resolve) => {
      try {
        const request = indexedDB.open('tirmagor-editor', 1);
        request.onupgradeneeded = () => request.result.createObjectStore('recovery');
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => resolve(null);
      } catch (error) {
        resolve(null);  // no storage here: the copies last as long as the page
      }
    });
  }

  async function startRecovery() {
    core.FS.mkdir(RecoveryFolder);
    recoveryDb = await openRecoveryDb();
    if (recoveryDb) {
      await new Promise((resolve) => {
        const request = recoveryDb.transaction('recovery').objectStore('recovery').openCursor();
        request.onsuccess = () => {
          const cursor = request.result;
          if (!cursor) return resolve();
          const name = String(cursor.key);
          if (!name.includes('/')) {
            core.FS.writeFile(RecoveryFolder + '/' + name, cursor.value);
            recoveryStored.set(name, cursor.value);
          }
          cursor.continue();
        };
        request.onerror = () => resolve();
      });
    }
    api.recoveryOpen(RecoveryFolder, Date.now() / 1000);
    await storeRecovery();
  }

  const sameBytes = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);

  // The storage made like the folder; resolves once the browser has it (or has refused it).
  function storeRecovery() {
    if (!recoveryDb) return Promise.resolve();
    const names = core.FS.readdir(RecoveryFolder).filter((name) => name !== '.' && name !== '..');
    const transaction = recoveryDb.transaction('recovery', 'readwrite');
    const done = new Promise((resolve) => {
      transaction.oncomplete = transaction.onerror = transaction.onabort = () => resolve();
    });
    const store = transaction.objectStore('recovery');
    for (const name of names) {
      const bytes = core.FS.readFile(RecoveryFolder + '/' + name);
      const stored = recoveryStored.get(name);
      if (stored && sameBytes(stored, bytes)) continue;
      store.put(bytes, name);
      recoveryStored.set(name, bytes);
    }
    for (const name of [...recoveryStored.keys()]) {
      if (names.includes(name)) continue;
      store.delete(name);
      recoveryStored.delete(name);
    }
    return done;
  }

  // Within a second of a change of the turn, at most twice a second.
  let recoveryPlanned = Promise.resolve();
  function planRecovery() {
    if (recoveryTimer || !world) return;
    recoveryPlanned = new Promise((resolve) => {
      recoveryTimer = setTimeout(() => {
        recoveryTimer = 0;
        enqueue(() => recoveryStep(false));
        resolve();
      }, 400);
    });
  }

  async function recoveryCaughtUp() {
    for (;;) {
      await recoveryPlanned;
      const pending = queue;
      await pending;
      if (!recoveryTimer && pending === queue) return;
    }
  }

  async function recoveryStep(opening) {
    if (!world) return;
    // A turn newly loaded offers its world's copies as they were before any edit of its own.
    const turn = api.turnFile();
    if (opening || turn !== offeredTurn) await showRecoveryCopies(true);
    offeredTurn = turn;
    if (api.recoveryUpdate(Date.now() / 1000)) {
      await storeRecovery();
      await showRecoveryCopies(false);
    }
  }

  // The turn file a copy belongs to, as the world's folder has it now.
  async function stageTurnOfCopy(id) {
    const file = api.recoveryTurnFile(id);
    const slash = file.lastIndexOf('/');
    if (world && file.slice(0, slash) === world.mount) await stage(world.source, file.slice(slash + 1), file);
  }

  // The turn files the copies belong to, for what the copies change.
  async function stageCopiesTurns() {
    for (const line of api.recoveryList().split('\n').filter(Boolean)) await stageTurnOfCopy(line.split('\t')[0]);
  }

  async function showRecoveryCopies(offer) {
    await stageCopiesTurns();
    recoveryCopies = api.recoveryList().split('\n').filter(Boolean).map((line) => {
      const [id, year, edited, damaged, changes] = line.split('\t');
      return { id, year: damaged === '1' ? '?' : year, edited: Number(edited), damaged: damaged === '1', changes };
    });
    recoverySelected = 0;
    const rows = $('RecoveryList').tBodies[0];
    rows.replaceChildren(...recoveryCopies.map((copy, i) => {
      const row = document.createElement('tr');
      const when = copy.damaged ? '' : new Date(copy.edited * 1000).toLocaleString('ru-RU');
      for (const text of [copy.year, when, copy.changes]) row.insertCell().textContent = text;
      row.addEventListener('click', () => selectCopy(i));
      row.addEventListener('dblclick', () => restoreCopy());
      return row;
    }));
    selectCopy(0);
    $('RecoveryCopies').disabled = recoveryCopies.length === 0;
    if (!recoveryCopies.length) $('RecoveryWindow').hidden = true;
    else if (offer) $('RecoveryWindow').hidden = false;
  }

  function selectCopy(i) {
    recoverySelected = i;
    [...$('RecoveryList').tBodies[0].rows].forEach((row, j) => row.classList.toggle('selected', j === i));
    $('RestoreCopy').disabled = !recoveryCopies[i] || recoveryCopies[i].damaged;
    $('DeleteCopy').disabled = !recoveryCopies[i];
  }

  function restoreCopy() {
    const copy = recoveryCopies[recoverySelected];
    if (!copy || copy.damaged) return;
    enqueue(async () => {
      await stageTurnOfCopy(copy.id);
      act(() => api.recoveryRestore(copy.id));
      await recoveryStep(false);
    });
  }

  $('RestoreCopy').addEventListener('click', restoreCopy);
  $('DeleteCopy').addEventListener('click', () => {
    const copy = recoveryCopies[recoverySelected];
    if (!copy) return;
    enqueue(async () => {
      api.recoveryDrop(copy.id);
      await storeRecovery();
      await showRecoveryCopies(false);
    });
  });
  $('RecoveryWindow').addEventListener('keydown', (event) => {
    if (event.key === 'Enter') {
      event.preventDefault();
      event.stopPropagation();
      claimedKeys.add(keyName(event));
      restoreCopy();
    } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
      event.preventDefault();
      const next = recoverySelected + (event.key === 'ArrowDown' ? 1 : -1);
      if (next >= 0 && next < recoveryCopies.length) selectCopy(next);
    }
  });
  makeMovable($('RecoveryWindow'));
  $('RecoveryWindow').querySelector('.close').addEventListener('click', () => { $('RecoveryWindow').hidden = true; });
  command('RecoveryCopies', () => enqueue(() => showRecoveryCopies(true)));

  // ---- The first screen, closing -------------------------------------------------------------

  function hideStartScreen() {
    $('StartScreen').hidden = true;
    $('MainWindow').hidden = false;
  }

  function closeWorld() {
    if (api.unsaved() && !window.confirm('Ход не сохранён. Закрыть его без сохранения?')) return;
    world = null;
    epoch = null;
    reference.hidden = true;
    overview.hidden = true;
    $('MainWindow').hidden = true;
    $('StartScreen').hidden = false;
    document.title = AppTitle;
  }

  // An edit of the last moments still gets its copy when the tab goes.
  window.addEventListener('pagehide', () => {
    if (!recoveryTimer || !api || !world) return;
    clearTimeout(recoveryTimer);
    recoveryTimer = 0;
    if (api.recoveryUpdate(Date.now() / 1000)) storeRecovery();
  });

  window.addEventListener('beforeunload', (event) => {
    if (api && world && api.unsaved()) {
      event.preventDefault();
      event.returnValue = '';
    }
  });

  $('ErrorOk').addEventListener('click', closeError);
  $('ErrorBox').addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === 'Escape' || event.key === ' ') {
      event.preventDefault();
      claimedKeys.add(keyName(event));
      closeError();
    }
  });

  $('DemoWorld').addEventListener('click', openDemo);
  $('OpenFolder').addEventListener('click', async () => {
    let source = await pickFolder();
    if (!source) {
      if (window.showDirectoryPicker) return;  // cancelled
      source = await chooseFolderFiles($('FolderInput'));
    }
    if (source) enqueue(() => openWorld(source));
  });
  const dropZone = document.body;
  dropZone.addEventListener('dragover', (event) => {
    if ($('StartScreen').hidden) return;
    event.preventDefault();
    $('DropZone').classList.add('over');
  });
  dropZone.addEventListener('dragleave', () => $('DropZone').classList.remove('over'));
  dropZone.addEventListener('drop', (event) => {
    if ($('StartScreen').hidden) return;
    event.preventDefault();
    $('DropZone').classList.remove('over');
    const item = [...event.dataTransfer.items].find((i) => i.kind === 'file');
    const entry = item && item.webkitGetAsEntry && item.webkitGetAsEntry();
    if (entry && entry.isDirectory) enqueue(async () => openWorld(await droppedFolder(entry)));
  });
  window.addEventListener('resize', () => {
    if (world) enqueue(() => act(() => resizeToPage(false)));
  });

  $('AccessNote').textContent = window.showDirectoryPicker
    ? 'Этот браузер даёт доступ к папке: годы читаются из неё, а «Сохранить ход» и «Сохранить как картинку» пишут в неё.'
    : 'Этот браузер открывает папку только для чтения: сохранённые файлы скачиваются.';

  // ---- Start ---------------------------------------------------------------------------------

  // The module's WebAssembly comes packed in a script (window.TirmagorCoreWasm), as a page
  // opened from file:// can fetch nothing.
  function instantiateWasm(imports, receive) {
    gunzip(window.TirmagorCoreWasm)
      .then((bytes) => WebAssembly.instantiate(bytes, imports))
      .then((result) => receive(result.instance, result.module))
      .catch((error) => showError('Cannot start the editor: ' + error.message));
    return {};
  }

  if (new URLSearchParams(location.search).has('demo')) demoWorldScript();
  TirmagorCore({ instantiateWasm }).then((module) => {
    performance.mark('tirmagor-core-ready');
    core = module;
    api = bindCore(module);
    enqueue(startRecovery);
    const worldAddress = new URLSearchParams(location.search).get('world');
    if (worldAddress) enqueue(() => openWorld(urlSource(worldAddress)));
    else if (new URLSearchParams(location.search).has('demo')) openDemo();
  });
})();
