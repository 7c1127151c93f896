// The review page itself: the list of works (virtual: only the rows in
// sight exist), the current work with its three recordings on three shared
// players, the marks, the keys, the filters, the overview, and saving and
// loading marks sheets. The data, its rules and the storage are in
// marks.js, works.js and store.js.
(function () {
  'use strict';
  var Marks = window.ZenorMarks;
  var Works = window.ZenorWorks;
  var W = Works.W;
  var R = Works.R;
  var P = Works.P;

  var data = JSON.parse(document.getElementById('works-data').textContent);
  var works = data.works;
  var range = {low: data.low, high: data.high};
  var store;
  try {
    store = new window.ZenorStore.MarksStore(window.localStorage, data.key).load();
  } catch (e) {
    store = new window.ZenorStore.MarksStore(null, data.key);
  }
  var marksOf = function (id) { return store.get(id); };
  var indexOfId = new Map();
  works.forEach(function (w, i) { indexOfId.set(w[W.ID], i); });

  var REC_NAMES = ['Проверка микрофона', 'Задание № 2', 'Задание № 3'];
  var KIND_NAMES = {
    'sheet-missing': 'нет листа ответов',
    'sheet-unreadable': 'лист ответов не читается',
    'sheet-field-missing': 'в листе ответов нет поля',
    'recording-missing': 'нет записи',
    'recording-unreadable': 'запись не читается',
    'recording-truncated': 'запись оборвана',
    'recording-short': 'запись слишком короткая',
    'recording-silent': 'запись беззвучна',
    'recording-quiet': 'запись слишком тихая',
    'recording-clipped': 'запись перегружена',
    'duplicate-id': 'код работы есть и в другой папке',
    'misnamed-file': 'имя файла не по правилу',
  };
  var SPEEDS = [0.5, 0.75, 1, 1.25, 1.5, 1.75, 2];
  var ROW_HEIGHT = 28;
  var SEEK_SECONDS = 5;

  var $ = function (id) { return document.getElementById(id); };
  var el = function (tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  };
  var number = function (n) { return n.toLocaleString('ru-RU'); };
  var clock = function (s) {
    if (!isFinite(s) || s < 0) s = 0;
    var m = Math.floor(s / 60);
    var r = Math.floor(s % 60);
    return m + ':' + (r < 10 ? '0' : '') + r;
  };
  // A work folder as the list and the overview show it: below the tree's
  // folder when it lies there (the whole path is in the title).
  var treeRoot = data.folder.replace(/\/+$/, '') + '/';
  var shortFolder = function (f) {
    return f.lastIndexOf(treeRoot, 0) === 0 && f.length > treeRoot.length ? f.slice(treeRoot.length) : f;
  };
  var kindName = function (kind) { return KIND_NAMES[kind] || kind; };
  var rangeText = function () {
    var f = function (x) { return String(x).replace('.', ','); };
    return 'число от ' + f(range.low) + ' до ' + f(range.high);
  };

  var noFilter = function () { return {kind: '', marks: '', flagged: false, folder: -1}; };
  var filter = noFilter();
  var order = [];   // the indexes of the works the filter keeps
  var position = -1; // the current work's position in `order`
  var current = -1;  // the current work's index
  var speed = 1;
  var active = 1;    // the recording that space plays: task 2 first

  // ---- the players: one per recording of the current work, no more ----
  var recs = [];
  var recBox = document.querySelector('#work .recordings');
  REC_NAMES.forEach(function (name, slot) {
    var row = el('div', 'rec');
    var label = el('span', 'name', name);
    var play = el('button', 'play', '▶');
    play.type = 'button';
    play.setAttribute('aria-label', 'Слушать: ' + name);
    play.setAttribute('aria-pressed', 'false');
    var canvas = el('canvas');
    canvas.setAttribute('role', 'img');
    var time = el('span', 'time');
    var error = el('p', 'rec-error');
    error.hidden = true;
    var audio = document.createElement('audio');
    audio.preload = 'none';
    audio.preservesPitch = true;
    row.append(label, play, canvas, time, error, audio);
    recBox.appendChild(row);
    var r = {slot: slot, row: row, play: play, canvas: canvas, time: time, error: error,
             audio: audio, columns: [], seconds: 0, link: '', status: 'missing'};
    recs.push(r);
    play.addEventListener('click', function () { toggle(slot); });
    canvas.addEventListener('click', function (ev) {
      var box = canvas.getBoundingClientRect();
      seekTo(slot, (ev.clientX - box.left) / box.width);
    });
    audio.addEventListener('play', function () {
      recs.forEach(function (o) { if (o !== r) o.audio.pause(); });
      active = slot;
      play.setAttribute('aria-pressed', 'true');
      play.textContent = '❚❚';
      tick();
    });
    audio.addEventListener('pause', function () {
      play.setAttribute('aria-pressed', 'false');
      play.textContent = '▶';
      draw(r);
    });
    audio.addEventListener('ended', function () {
      for (var s = slot + 1; s < recs.length; ++s)
        if (recs[s].status !== 'missing') { active = s; break; }
    });
    audio.addEventListener('canplay', function () { if (slot === active) loadPending(); });
    audio.addEventListener('timeupdate', function () { showTime(r); });
    audio.addEventListener('loadedmetadata', function () { showTime(r); });
    // The page or the tree was moved, or the file is gone: say where the
    // page looked, instead of a player that silently does nothing.
    audio.addEventListener('error', function () {
      if (!audio.getAttribute('src')) return;
      var path = filePath(r.link);
      error.textContent = (r.status === 'unreadable' ? 'Запись не воспроизводится: ' : 'Запись не открывается: ') + path;
      error.hidden = false;
      play.disabled = true;
      if (slot === active) loadPending();
    });
  });

  function filePath(link) {
    try {
      var url = new URL(link, location.href);
      return url.protocol === 'file:' ? decodeURIComponent(url.pathname) : url.href;
    } catch (e) {
      return link;
    }
  }

  // The player's length once it knows it, pack's measure until then.
  function lengthOf(r) {
    return isFinite(r.audio.duration) && r.audio.duration > 0 ? r.audio.duration : r.seconds;
  }

  function isPlaying(r) { return !r.audio.paused; }

  function showTime(r) {
    r.time.textContent = r.status === 'missing' ? '' : clock(r.audio.currentTime) + ' / ' + clock(lengthOf(r));
    draw(r);
  }

  function draw(r) {
    var c = r.canvas;
    var w = c.clientWidth;
    var h = c.clientHeight;
    if (!w || !h) return;
    var ratio = window.devicePixelRatio || 1;
    if (c.width !== Math.round(w * ratio)) { c.width = Math.round(w * ratio); c.height = Math.round(h * ratio); }
    var g = c.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, w, h);
    var n = r.columns.length;
    if (!n && r.status !== 'missing') {
      g.fillStyle = '#7a8494';
      g.font = '12px "DejaVu Sans", Arial, sans-serif';
      g.textBaseline = 'middle';
      g.fillText(data.measured ? 'уровень не измерен: запись не читается' : 'уровень не измерялся (pack --no-measure)', 8, h / 2);
    }
    for (var i = 0; i < n; ++i) {
      var col = r.columns[i];
      var x = i * w / n;
      var cw = Math.max(1, w / n - (n < w / 2 ? 1 : 0));
      if (col.silent) {
        g.fillStyle = '#d3d8df';
        g.fillRect(x, h / 2 - 0.5, cw, 1);
        continue;
      }
      var bh = Math.max(1, col.level * (h - 2));
      g.fillStyle = col.clipped ? '#d23a2c' : col.level < 0.35 ? '#9aa7b8' : '#3b6fb6';
      g.fillRect(x, (h - bh) / 2, cw, bh);
    }
    var total = lengthOf(r);
    if (total > 0 && (r.audio.currentTime > 0 || !r.audio.paused)) {
      var px = Math.min(w - 1, r.audio.currentTime / total * w);
      g.fillStyle = '#111';
      g.fillRect(px - 1, 0, 2, h);
    }
  }

  var ticking = false;
  function tick() {
    if (ticking) return;
    ticking = true;
    var step = function () {
      var playing = recs.filter(isPlaying);
      playing.forEach(draw);
      if (playing.length) requestAnimationFrame(step); else ticking = false;
    };
    requestAnimationFrame(step);
  }

  function loadSource(r) {
    r.pending = false;
    r.audio.src = r.link;
    r.audio.playbackRate = speed;
  }

  function loadPending() {
    recs.forEach(function (r) { if (r.pending) loadSource(r); });
  }

  function playable(slot) { return recs[slot].status !== 'missing' && !recs[slot].play.disabled; }

  function toggle(slot) {
    var r = recs[slot];
    if (!playable(slot)) return;
    if (r.audio.paused) play(slot); else r.audio.pause();
  }

  function play(slot) {
    if (recs[slot].pending) loadSource(recs[slot]);
    var a = recs[slot].audio;
    a.playbackRate = speed;
    var p = a.play();
    if (p && p.catch) p.catch(function () {});
  }

  function seekTo(slot, share) {
    var r = recs[slot];
    if (!playable(slot)) return;
    if (r.pending) loadSource(r);
    r.audio.currentTime = Math.max(0, Math.min(1, share)) * lengthOf(r);
    play(slot);
  }

  function seekBy(seconds) {
    var r = recs.filter(isPlaying)[0] || recs[active];
    if (!r || !playable(r.slot)) return;
    if (r.pending) loadSource(r);
    r.audio.currentTime = Math.max(0, Math.min(lengthOf(r), r.audio.currentTime + seconds));
    showTime(r);
  }

  function setSpeed(step) {
    var i = SPEEDS.indexOf(speed) + step;
    speed = SPEEDS[Math.max(0, Math.min(SPEEDS.length - 1, i))];
    recs.forEach(function (r) { r.audio.playbackRate = speed; });
    $('speed').textContent = 'скорость ' + String(speed).replace('.', ',') + '×';
  }

  // ---- the current work ----
  var workTitle = $('work-title');
  var answersBox = document.querySelector('#work .answers');
  var problemsBox = document.querySelector('#work .problems');
  var markInputs = {m2: $('mark2'), m3: $('mark3')};
  var noteInput = $('note');
  var flagInput = $('recheck');

  function showWork() {
    recs.forEach(function (r) { r.audio.pause(); });
    var w = works[current];
    if (!w) {
      workTitle.textContent = works.length ? 'Ни одна работа не подходит под отбор' : 'В папке нет работ';
      document.querySelector('#work .where .position').textContent = '';
      document.querySelector('#work .where .folder').textContent = '';
      answersBox.textContent = '';
      problemsBox.textContent = '';
      recs.forEach(function (r) { r.row.hidden = true; r.audio.removeAttribute('src'); r.audio.load(); });
      document.querySelector('#work .marks').hidden = true;
      return;
    }
    document.querySelector('#work .marks').hidden = false;
    workTitle.textContent = 'Работа ' + w[W.ID];
    document.querySelector('#work .where .position').textContent =
      number(position + 1) + ' из ' + number(order.length) + (order.length !== works.length ? ' (отобрано из ' + number(works.length) + ')' : '') + ' ·';
    document.querySelector('#work .where .folder').textContent = data.folders[w[W.FOLDER]];
    answersBox.textContent = '';
    [['Вариант:', w[W.VARIANT]], ['Задание № 1', w[W.ANSWERS]], ['Задание № 4', w[W.ANSWERS + 3]],
     ['Задание № 5', w[W.ANSWERS + 4]], ['Задание № 6', w[W.ANSWERS + 5]]].forEach(function (pair) {
      answersBox.append(el('dt', '', pair[0]), el('dd', '', pair[1]));
    });
    var statuses = w[W.RECORDINGS].map(function (rec) { return rec[R.STATUS]; });
    active = statuses[1] !== 'missing' ? 1 : statuses[2] !== 'missing' ? 2 : 0;
    w[W.RECORDINGS].forEach(function (rec, slot) {
      var r = recs[slot];
      r.row.hidden = false;
      r.pending = false;
      r.status = rec[R.STATUS];
      r.link = rec[R.LINK];
      r.seconds = rec[R.SECONDS] || 0;
      r.columns = Works.decodeStrip(rec[R.STRIP]);
      r.error.hidden = true;
      r.play.disabled = false;
      r.canvas.setAttribute('aria-label', 'Уровень записи «' + REC_NAMES[slot] + '»' +
        (r.columns.some(function (c) { return c.clipped; }) ? ', есть перегрузка' : ''));
      r.canvas.title = data.measured ? 'Уровень записи; щелчок — слушать с этого места'
        : 'Громкость не измерена (pack --no-measure); щелчок — слушать с этого места';
      if (r.status === 'missing') {
        r.audio.removeAttribute('src');
        r.audio.preload = 'none';
        r.audio.load();
        r.play.disabled = true;
        r.error.textContent = 'Нет файла: ' + filePath(r.link);
        r.error.hidden = false;
      } else {
        // Only the current work's recordings are fetched: the one space
        // plays at once, so that a key press plays without waiting for the
        // disk, the other two once it can play (or when asked for).
        r.audio.preload = 'auto';
        if (slot === active) loadSource(r);
        else { r.pending = true; r.audio.removeAttribute('src'); r.audio.load(); }
        if (r.status === 'truncated') {
          r.error.textContent = 'Файл оборван: запись кончается раньше, чем должна (' + filePath(r.link) + ')';
          r.error.hidden = false;
        }
      }
      showTime(r);
    });
    problemsBox.textContent = '';
    w[W.PROBLEMS].forEach(function (p) {
      var li = el('li');
      li.append(el('strong', '', kindName(p[P.KIND])), ' ', el('code', '', p[P.KIND]), ' ',
        el('span', '', p[P.FILE] + (p[P.FOLDER] ? ' в ' + p[P.FOLDER] : '')),
        p[P.VALUE] ? ' (' + p[P.VALUE] + ')' : '', ' ', el('span', 'detail', p[P.DETAIL]));
      problemsBox.appendChild(li);
    });
    showMarks(w);
    announce();
  }

  // The fields of the current work, as the store holds them: all that a
  // change of marks from elsewhere (a loaded sheet, another tab) asks to
  // show again; the players play on.
  function showMarks(w) {
    var e = store.get(w[W.ID]) || {};
    markInputs.m2.value = e.m2 || '';
    markInputs.m3.value = e.m3 || '';
    noteInput.value = e.note || '';
    flagInput.checked = !!e.flag;
    showMarkState('m2');
    showMarkState('m3');
  }

  function announce() {
    var w = works[current];
    if (!w) return;
    var e = store.get(w[W.ID]);
    var marks = e && (e.m2 || e.m3) ? ', оценки ' + (e.m2 || 'нет') + ' и ' + (e.m3 || 'нет') : ', без оценок';
    $('announce').textContent = 'Работа ' + w[W.ID] + ', ' + (position + 1) + ' из ' + order.length + marks +
      (w[W.PROBLEMS].length ? ', замечаний: ' + w[W.PROBLEMS].length : '');
  }

  function showMarkState(field) {
    var input = markInputs[field];
    var state = Marks.markState(input.value, range);
    input.setAttribute('aria-invalid', state === 'bad' ? 'true' : 'false');
    $(input.id + '-state').textContent = state === 'bad' ? 'не принята: нужно ' + rangeText() : '';
  }

  function go(pos) {
    if (!order.length) { position = -1; current = -1; showWork(); renderList(); return; }
    position = Math.max(0, Math.min(order.length - 1, pos));
    current = order[position];
    // The next visit starts where this one was left.
    store.write('at', works[current][W.ID]);
    showWork();
    scrollToCurrent();
    renderList();
  }

  function makeCurrentIndex(index) {
    var pos = Works.positionOf(order, index);
    if (order[pos] !== index) {
      filter = noFilter();
      syncFilterControls();
      applyFilter(index);
      return;
    }
    go(pos);
  }

  // ---- typing marks ----
  function saveField(field, value) {
    var w = works[current];
    if (!w) return;
    var fields = {};
    fields[field] = value;
    if (!store.set(w[W.ID], fields)) showWarning();
    updateCounts();
    renderList();
  }
  ['m2', 'm3'].forEach(function (field) {
    markInputs[field].addEventListener('input', function () {
      showMarkState(field);
      saveField(field, markInputs[field].value);
    });
  });
  noteInput.addEventListener('input', function () { saveField('note', noteInput.value); });
  flagInput.addEventListener('change', function () { saveField('flag', flagInput.checked); });

  function showWarning() {
    var box = $('warning');
    box.textContent = 'Браузер не сохраняет оценки (' + store.error + '). Сохраните их в файл: «Сохранить оценки».';
    box.hidden = false;
  }

  // A change made on this page in another tab.
  window.addEventListener('storage', function (ev) {
    if (!ev.key || ev.key.lastIndexOf(data.key + '/', 0) !== 0) return;
    var rest = ev.key.slice(data.key.length + 1);
    if (rest === 'change') {
      // The number that this tab's next change goes on from; nothing shown.
      store.change = Math.max(store.change, Number(ev.newValue) || 0);
      return;
    }
    if (rest.lastIndexOf('b/', 0) === 0) store.takeBucket(rest.slice(2), ev.newValue);
    else if (rest === 'saved') store.saved = Number(ev.newValue) || 0;
    else return; // the work the other tab shows ('at') changes nothing here
    updateCounts();
    renderList();
    var w = works[current];
    if (w && rest === 'b/' + window.ZenorStore.bucketOf(w[W.ID]) && document.activeElement !== markInputs.m2 &&
        document.activeElement !== markInputs.m3 && document.activeElement !== noteInput) showMarks(w);
  });

  function updateCounts() {
    var marked = 0;
    var bad = 0;
    store.entries.forEach(function (e, id) {
      if (!indexOfId.has(id)) return;
      if (Marks.isMarked(e, range)) ++marked;
      if (Marks.hasBadMark(e, range)) ++bad;
    });
    var unsaved = store.unsavedCount();
    var box = $('counts');
    box.textContent = '';
    box.append('Работ: ' + number(works.length) + ' · оценено: ' + number(marked) + ' · ');
    var u = el('span', unsaved ? 'unsaved' : '', unsaved ? 'не сохранено в файл: ' + number(unsaved) : 'всё сохранено в файл');
    box.appendChild(u);
    if (bad) box.append(' · ', el('span', 'bad', 'ошибок в оценках: ' + number(bad)));
  }

  // ---- the list: a fixed row height, only the rows in sight exist ----
  var list = $('list');
  var spacer = list.querySelector('.spacer');
  var rowPool = [];

  function renderList() {
    spacer.style.height = order.length * ROW_HEIGHT + 'px';
    var first = Math.max(0, Math.floor(list.scrollTop / ROW_HEIGHT) - 4);
    var count = Math.ceil(list.clientHeight / ROW_HEIGHT) + 8;
    var last = Math.min(order.length, first + count);
    while (rowPool.length < last - first) {
      var row = el('div', 'row');
      row.setAttribute('role', 'option');
      row.append(el('span', 'id'), el('span', 'm'), el('span', 'p'), el('span', 'f'), el('span', 'folder'));
      row.addEventListener('click', onRowClick);
      spacer.appendChild(row);
      rowPool.push(row);
    }
    for (var k = 0; k < rowPool.length; ++k) {
      var r = rowPool[k];
      var pos = first + k;
      if (pos >= last) { r.hidden = true; continue; }
      var w = works[order[pos]];
      var e = store.get(w[W.ID]);
      r.hidden = false;
      r.style.top = pos * ROW_HEIGHT + 'px';
      r.dataset.pos = pos;
      r.id = 'row-' + pos;
      r.setAttribute('aria-selected', pos === position ? 'true' : 'false');
      r.children[0].textContent = w[W.ID];
      var m = r.children[1];
      m.textContent = e && (e.m2 || e.m3) ? (e.m2 || '–') + ' · ' + (e.m3 || '–') : '';
      m.className = 'm' + (Marks.hasBadMark(e, range) ? ' bad' : '');
      r.children[2].textContent = w[W.PROBLEMS].length ? '⚠ ' + w[W.PROBLEMS].length : '';
      r.children[2].title = w[W.PROBLEMS].map(function (p) { return kindName(p[P.KIND]); }).join(', ');
      r.children[3].textContent = e && e.flag ? '↻' : '';
      r.children[3].title = e && e.flag ? 'Прослушать ещё раз' : '';
      // Cut from the left (the class is the end of the path); the marks
      // around it keep the first and the last "/" where they belong in
      // right-to-left.
      r.children[4].textContent = '\u200E' + shortFolder(data.folders[w[W.FOLDER]]) + '\u200E';
      r.children[4].title = data.folders[w[W.FOLDER]];
      r.setAttribute('aria-label', 'Работа ' + w[W.ID] + (e && e.flag ? ', прослушать ещё раз' : ''));
    }
    if (position >= first && position < last) list.setAttribute('aria-activedescendant', 'row-' + position);
    else list.removeAttribute('aria-activedescendant');
  }

  function onRowClick(ev) {
    go(Number(ev.currentTarget.dataset.pos));
  }

  function scrollToCurrent() {
    var top = position * ROW_HEIGHT;
    if (top < list.scrollTop) list.scrollTop = top;
    else if (top + ROW_HEIGHT > list.scrollTop + list.clientHeight)
      list.scrollTop = top + ROW_HEIGHT - list.clientHeight;
  }

  var scheduled = false;
  list.addEventListener('scroll', function () {
    if (scheduled) return;
    scheduled = true;
    requestAnimationFrame(function () { scheduled = false; renderList(); });
  });
  window.addEventListener('resize', function () { renderList(); recs.forEach(draw); });

  // ---- filters ----
  var kindSelect = $('filter-kind');
  var allKinds = {};
  works.forEach(function (w) { w[W.PROBLEMS].forEach(function (p) { allKinds[p[P.KIND]] = true; }); });
  Object.keys(allKinds).sort().forEach(function (k) {
    var o = el('option', '', kindName(k) + ' (' + k + ')');
    o.value = k;
    kindSelect.appendChild(o);
  });

  function syncFilterControls() {
    kindSelect.value = filter.kind;
    $('filter-marks').value = filter.marks;
    $('filter-flagged').checked = filter.flagged;
    var box = $('filter-folder');
    box.hidden = filter.folder < 0;
    box.firstChild.textContent = filter.folder >= 0 ? 'папка ' + data.folders[filter.folder] : '';
  }

  // Keeps the current work when the filter still holds it, else the first
  // at or after it.
  function applyFilter(keep) {
    order = Works.filterWorks(works, marksOf, filter, range);
    $('shown').textContent = order.length === works.length ? '' : 'отобрано: ' + number(order.length);
    var target = keep === undefined ? current : keep;
    go(target >= 0 ? Math.min(Works.positionOf(order, target), order.length - 1) : 0);
  }
  kindSelect.addEventListener('change', function () { filter.kind = kindSelect.value; applyFilter(); });
  $('filter-marks').addEventListener('change', function () { filter.marks = $('filter-marks').value; applyFilter(); });
  $('filter-flagged').addEventListener('change', function () { filter.flagged = $('filter-flagged').checked; applyFilter(); });
  $('filter-folder').querySelector('button').addEventListener('click', function () {
    filter.folder = -1;
    syncFilterControls();
    applyFilter();
  });

  // ---- finding a work by its code ----
  var find = $('find');
  find.addEventListener('keydown', function (ev) {
    if (ev.key !== 'Enter') return;
    ev.preventDefault();
    var code = find.value.trim();
    var index = indexOfId.has(code) ? indexOfId.get(code) : -1;
    if (index < 0) {
      // Codes are five characters; a shorter one may be a start.
      for (var i = 0; i < works.length && code; ++i) if (works[i][W.ID].lastIndexOf(code, 0) === 0) { index = i; break; }
    }
    if (index < 0) { $('find-result').textContent = 'работы с кодом «' + code + '» нет'; return; }
    $('find-result').textContent = '';
    makeCurrentIndex(index);
    list.focus();
  });

  // ---- the overview ----
  var overviewBox = $('overview');
  $('overview-toggle').addEventListener('click', function () {
    var open = overviewBox.hidden;
    overviewBox.hidden = !open;
    $('overview-toggle').setAttribute('aria-expanded', String(open));
    if (open) renderOverview();
  });

  var OVERVIEW_ROWS = 500;
  function renderOverview() {
    var o = Works.overview(works, data.folders, marksOf, range);
    var body = overviewBox.querySelector('.body');
    body.textContent = '';
    var table = el('table');
    var head = el('tr');
    ['Папка', 'Работ', 'Оценено', '«Ещё раз»'].concat(o.kinds.map(kindName)).forEach(function (t, i) {
      var th = el('th', '', t);
      if (i >= 4) th.title = o.kinds[i - 4];
      head.appendChild(th);
    });
    table.appendChild(head);
    var bar = function (n, of, cls) {
      var b = el('span', 'bar' + (cls ? ' ' + cls : ''));
      var f = el('span');
      f.style.width = (of ? Math.round(n / of * 100) : 0) + '%';
      b.appendChild(f);
      return b;
    };
    var line = function (r, isTotal) {
      var tr = el('tr', isTotal ? 'total' : '');
      var name = el('td');
      if (isTotal) name.textContent = 'Всего';
      else {
        var b = el('button', 'link', shortFolder(r.name));
        b.type = 'button';
        b.title = r.name;
        b.addEventListener('click', function () {
          filter.folder = r.folder;
          syncFilterControls();
          applyFilter();
          list.focus();
        });
        name.appendChild(b);
      }
      var marked = el('td', '', number(r.marked));
      marked.appendChild(bar(r.marked, r.works));
      tr.append(name, el('td', '', number(r.works)), marked, el('td', '', number(r.flagged)));
      o.kinds.forEach(function (k) {
        var n = r.kinds[k] || 0;
        var td = el('td', '', n ? number(n) : '');
        if (n) td.appendChild(bar(n, r.works, 'problem'));
        tr.appendChild(td);
      });
      table.appendChild(tr);
    };
    line(o.total, true);
    var rows = o.rows.slice().sort(function (a, b) { return a.name < b.name ? -1 : a.name > b.name ? 1 : 0; });
    rows.slice(0, OVERVIEW_ROWS).forEach(function (r) { line(r, false); });
    body.appendChild(table);
    if (rows.length > OVERVIEW_ROWS)
      body.appendChild(el('p', '', 'Показаны первые ' + number(OVERVIEW_ROWS) + ' папок из ' + number(rows.length) +
        '; остальные найдёт «Код работы» или отбор по замечаниям.'));
    if (data.treeProblems.length) {
      body.appendChild(el('h3', '', 'Файлы, которые окно пропускает'));
      var ul = el('ul', 'problems');
      data.treeProblems.forEach(function (t) { ul.appendChild(el('li', '', t[0] + t[1])); });
      body.appendChild(ul);
    }
  }

  // ---- saving and loading marks sheets ----
  $('save').addEventListener('click', function () {
    var excel = $('excel').checked;
    var rows = works.map(function (w) { return Works.exportRow(w, data.folders); });
    var text = Marks.writeMarksSheet(rows, store.entries, excel);
    var blob = new Blob([text], {type: 'text/csv;charset=utf-8'});
    var a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = excel ? 'marks-excel.csv' : 'marks.csv';
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(function () { URL.revokeObjectURL(a.href); }, 60000);
    if (!store.markSaved()) showWarning();
    updateCounts();
  });

  $('load').addEventListener('click', function () { $('load-file').click(); });
  $('load-file').addEventListener('change', function () {
    var file = $('load-file').files[0];
    if (!file) return;
    file.text().then(function (text) {
      loadSheet(file.name, text);
    }, function (e) {
      loadedBox.hidden = false;
      var body = loadedBox.querySelector('.body');
      body.textContent = '';
      body.appendChild(el('p', 'rec-error', 'Файл ' + file.name + ' не прочитан: ' + (e && e.message || e)));
    }).then(function () { $('load-file').value = ''; });
  });

  var loadedBox = $('loaded');
  loadedBox.querySelector('.close').addEventListener('click', function () { loadedBox.hidden = true; });

  function loadSheet(name, text) {
    var body = loadedBox.querySelector('.body');
    body.textContent = '';
    loadedBox.hidden = false;
    var sheet = Marks.readMarksSheet(text);
    if (sheet.error) {
      body.appendChild(el('p', 'rec-error', 'Файл ' + name + ' не прочитан: ' + sheet.error));
      return;
    }
    var plan = Marks.planLoad(sheet.rows, function (id) { return indexOfId.has(id); }, marksOf);
    store.setAll(plan.take.map(function (row) { return {id: row.id, fields: row}; }), true);
    if (store.error) showWarning();
    body.appendChild(el('p', '', 'Из файла ' + name + ': строк ' + number(sheet.rows.length) +
      ', взято оценок ' + number(plan.take.length) + ', совпадают с набранными ' + number(plan.same.length) +
      ', расходятся ' + number(plan.differ.length) + ', работ не из этой папки ' + number(plan.unknown.length) +
      (plan.repeated.length ? ', повторов кода ' + number(plan.repeated.length) : '') +
      (plan.empty ? ', строк без оценок ' + number(plan.empty) : '') + '.'));
    var show = function (e) {
      return (e.m2 || '–') + ' · ' + (e.m3 || '–') + (e.flag ? ' ↻' : '') + (e.note ? ' «' + e.note + '»' : '');
    };
    if (plan.differ.length) {
      body.appendChild(el('h3', '', 'Оценки, которые расходятся с набранными (набранные оставлены)'));
      var table = el('table', 'differ');
      var head = el('tr');
      ['Код работы', 'Строка', 'Набрано здесь', 'В файле', ''].forEach(function (t) { head.appendChild(el('th', '', t)); });
      table.appendChild(head);
      plan.differ.forEach(function (d) {
        var tr = el('tr');
        var go = el('button', 'link', d.row.id);
        go.type = 'button';
        go.addEventListener('click', function () { makeCurrentIndex(indexOfId.get(d.row.id)); });
        var take = el('button', '', 'Взять из файла');
        take.type = 'button';
        take.addEventListener('click', function () {
          store.set(d.row.id, d.row);
          take.disabled = true;
          take.textContent = 'взято';
          afterMarksChanged();
        });
        var idCell = el('td');
        idCell.appendChild(go);
        var takeCell = el('td');
        takeCell.appendChild(take);
        tr.append(idCell, el('td', '', String(d.row.line)), el('td', '', show(d.mine)), el('td', '', show(d.row)), takeCell);
        table.appendChild(tr);
      });
      body.appendChild(table);
      var all = el('button', '', 'Взять из файла все расходящиеся');
      all.type = 'button';
      all.addEventListener('click', function () {
        store.setAll(plan.differ.map(function (d) { return {id: d.row.id, fields: d.row}; }));
        table.querySelectorAll('button:not(.link)').forEach(function (b) { b.disabled = true; b.textContent = 'взято'; });
        all.disabled = true;
        afterMarksChanged();
      });
      body.appendChild(all);
    }
    if (plan.unknown.length || plan.repeated.length) {
      body.appendChild(el('h3', '', 'Строки, которых нет среди работ этой папки'));
      var ul = el('ul', 'problems');
      plan.unknown.forEach(function (row) {
        ul.appendChild(el('li', '', 'строка ' + row.line + ': ' + (row.id ? 'код ' + row.id : 'оценки без кода работы') + ' — ' + show(row)));
      });
      plan.repeated.forEach(function (r) {
        ul.appendChild(el('li', '', 'строка ' + r.row.line + ': код ' + r.row.id + ' уже был в строке ' + r.first + ' — ' + show(r.row)));
      });
      body.appendChild(ul);
    }
    afterMarksChanged();
  }

  function afterMarksChanged() {
    updateCounts();
    renderList();
    if (works[current]) showMarks(works[current]);
    if (!overviewBox.hidden) renderOverview();
  }

  // ---- keys ----
  function isMarkField(t) { return t === markInputs.m2 || t === markInputs.m3; }
  function isTextField(t) {
    return t && (t.tagName === 'TEXTAREA' || t.tagName === 'SELECT' ||
      (t.tagName === 'INPUT' && !/^(checkbox|button|file)$/.test(t.type)));
  }

  document.addEventListener('keydown', function (ev) {
    if (ev.ctrlKey || ev.altKey || ev.metaKey || ev.defaultPrevented) return;
    var t = document.activeElement;
    var key = ev.key;
    if (key === 'Escape' && isTextField(t)) { t.blur(); list.focus(); ev.preventDefault(); return; }
    if (isMarkField(t)) {
      // A mark is digits and a decimal mark: every other key of the
      // listening keys still works from inside the field.
      if (key === 'Enter') {
        ev.preventDefault();
        if (t === markInputs.m2) markInputs.m3.focus();
        else { go(position + 1); markInputs.m2.focus(); markInputs.m2.select(); }
        return;
      }
      if (!/^[jkn \[\]]$/.test(key)) return;
    } else if (isTextField(t)) {
      return;
    } else if (t && t.tagName === 'BUTTON' && (key === ' ' || key === 'Enter')) {
      return;
    } else if (t && t.tagName === 'INPUT' && t.type === 'checkbox' && key === ' ') {
      return;
    }
    var handled = true;
    if (key === 'j' || (key === 'ArrowDown' && t === list)) go(position + 1);
    else if (key === 'k' || (key === 'ArrowUp' && t === list)) go(position - 1);
    else if (key === 'n') {
      var next = Works.nextUnmarked(works, order, position, marksOf, range);
      if (next >= 0) go(next); else $('announce').textContent = 'Все отобранные работы оценены';
    }
    else if (key === 'Home' && t === list) go(0);
    else if (key === 'End' && t === list) go(order.length - 1);
    else if (key === 'PageDown' && t === list) go(position + Math.floor(list.clientHeight / ROW_HEIGHT));
    else if (key === 'PageUp' && t === list) go(position - Math.floor(list.clientHeight / ROW_HEIGHT));
    else if (key === ' ') {
      var playing = recs.filter(isPlaying)[0];
      if (playing) playing.audio.pause(); else toggle(active);
    }
    else if (key === 'ArrowLeft') seekBy(-SEEK_SECONDS);
    else if (key === 'ArrowRight') seekBy(SEEK_SECONDS);
    else if (key === '[') setSpeed(-1);
    else if (key === ']') setSpeed(1);
    else if (/^[0-9]$/.test(key) && works[current]) {
      // A digit typed outside the fields starts the first mark not given.
      var field = Marks.markState(markInputs.m2.value, range) === 'ok' && markInputs.m3.value === '' ? markInputs.m3 : markInputs.m2;
      field.focus();
      field.value = key;
      field.dispatchEvent(new Event('input'));
    }
    else handled = false;
    if (handled) ev.preventDefault();
  });

  // ---- start ----
  $('range').textContent = 'Оценка — ' + rangeText() + ' (десятичная точка или запятая). ' +
    'Всё набранное сразу сохраняется в этом браузере; «Сохранить оценки» записывает лист оценок для zenor-dump marks или таблицы.';
  if (!data.measured) $('range').textContent += ' Громкость записей не измерялась (pack --no-measure).';
  if (store.error) showWarning();
  setSpeed(0);
  syncFilterControls();
  updateCounts();
  order = works.map(function (w, i) { return i; });
  var at = store.read('at');
  go(at !== null && indexOfId.has(at) ? indexOfId.get(at) : 0);
  list.focus();
  window.zenorReadyAt = performance.now(); // for the benchmark: since navigation began
  document.documentElement.dataset.ready = 'true';
})();
