// The works of the review page as pack wrote them (one JSON block; each
// work an array, see the W constants), and what the page asks of them:
// the level strips, the filters, the overview per folder, the next work
// without marks and the export row of each work.
(function (root, factory) {
  if (typeof module === 'object' && module.exports) module.exports = factory(require('./marks.js'));
  else root.ZenorWorks = factory(root.ZenorMarks);
})(this, function (Marks) {
  'use strict';

  // The fields of a work's array, in pack's order.
  var W = {ID: 0, FOLDER: 1, VARIANT: 2, ANSWERS: 3, SHEET_PROBLEM: 9, RECORDINGS: 10, PROBLEMS: 11};
  // The fields of a recording's and a problem's arrays.
  var R = {STATUS: 0, LINK: 1, SECONDS: 2, STRIP: 3};
  var P = {KIND: 0, FILE: 1, DETAIL: 2, VALUE: 3, FOLDER: 4};

  // The strip's code (review/PackPage.h, StripCode), one character per
  // column: '.' digital silence, 'a'.. for the RMS level in 26 steps from
  // -60 dBFS up, 'A'.. for the same level when the column clips.
  var STRIP_LEVELS = 26;
  function decodeStrip(code) {
    var columns = new Array(code.length);
    for (var i = 0; i < code.length; ++i) {
      var c = code.charCodeAt(i);
      if (c >= 97 && c < 97 + STRIP_LEVELS) columns[i] = {level: (c - 97 + 1) / STRIP_LEVELS, clipped: false, silent: false};
      else if (c >= 65 && c < 65 + STRIP_LEVELS) columns[i] = {level: (c - 65 + 1) / STRIP_LEVELS, clipped: true, silent: false};
      else columns[i] = {level: 0, clipped: false, silent: true};
    }
    return columns;
  }

  // What a filter asks: `kind` '' (any work), 'any' (a work with problems)
  // or a problem kind; `marks` '' | 'unmarked' | 'marked' | 'bad' (a mark
  // out of range or not a number); `flagged` only works to listen to again;
  // `folder` a folder's index or -1.
  function matches(work, entry, filter, range) {
    if (filter.folder >= 0 && work[W.FOLDER] !== filter.folder) return false;
    var problems = work[W.PROBLEMS];
    if (filter.kind === 'any' && problems.length === 0) return false;
    if (filter.kind && filter.kind !== 'any' &&
        !problems.some(function (p) { return p[P.KIND] === filter.kind; })) return false;
    if (filter.flagged && !(entry && entry.flag)) return false;
    if (filter.marks === 'unmarked' && Marks.isMarked(entry, range)) return false;
    if (filter.marks === 'marked' && !Marks.isMarked(entry, range)) return false;
    if (filter.marks === 'bad' && !Marks.hasBadMark(entry, range)) return false;
    return true;
  }

  // The indexes of the works the filter keeps, in list order.
  function filterWorks(works, marksOf, filter, range) {
    var order = [];
    for (var i = 0; i < works.length; ++i)
      if (matches(works[i], marksOf(works[i][W.ID]), filter, range)) order.push(i);
    return order;
  }

  // The first position after `from` in `order` (wrapping round) whose work
  // lacks a mark; -1 when every work there is marked.
  function nextUnmarked(works, order, from, marksOf, range) {
    for (var step = 1; step <= order.length; ++step) {
      var at = (from + step) % order.length;
      if (!Marks.isMarked(marksOf(works[order[at]][W.ID]), range)) return at;
    }
    return -1;
  }

  // Per folder and for the whole tree: works, marked, flagged, and works
  // with a problem of each kind. {kinds: sorted, total, rows: per folder in
  // the order of `folders`}.
  function overview(works, folders, marksOf, range) {
    var blank = function (name, index) { return {name: name, folder: index, works: 0, marked: 0, flagged: 0, kinds: {}}; };
    var rows = folders.map(blank);
    var total = blank('', -1);
    var kinds = {};
    for (var i = 0; i < works.length; ++i) {
      var w = works[i];
      var row = rows[w[W.FOLDER]];
      var entry = marksOf(w[W.ID]);
      var marked = Marks.isMarked(entry, range);
      var flagged = !!(entry && entry.flag);
      var seen = {};
      w[W.PROBLEMS].forEach(function (p) { seen[p[P.KIND]] = true; });
      [row, total].forEach(function (r) {
        ++r.works;
        if (marked) ++r.marked;
        if (flagged) ++r.flagged;
        for (var k in seen) { r.kinds[k] = (r.kinds[k] || 0) + 1; kinds[k] = true; }
      });
    }
    return {kinds: Object.keys(kinds).sort(), total: total, rows: rows};
  }

  // The cells export --marks writes for a work (catalogue/WorkExport.cpp):
  // lengths of the two oral answers with three decimals, empty when the
  // recording is missing or cannot be read.
  function exportRow(work, folders) {
    var seconds = function (rec) { return rec[R.SECONDS] === null ? '' : rec[R.SECONDS].toFixed(3); };
    return {
      id: work[W.ID], folder: folders[work[W.FOLDER]], varNo: work[W.VARIANT],
      answers: work.slice(W.ANSWERS, W.ANSWERS + 6), seconds2: seconds(work[W.RECORDINGS][1]),
      seconds3: seconds(work[W.RECORDINGS][2]), problem: work[W.SHEET_PROBLEM],
    };
  }

  // The first position in the sorted `order` at or after work index `index`.
  function positionOf(order, index) {
    var lo = 0;
    var hi = order.length;
    while (lo < hi) {
      var mid = (lo + hi) >> 1;
      if (order[mid] < index) lo = mid + 1; else hi = mid;
    }
    return lo;
  }

  return {
    W: W, R: R, P: P, decodeStrip: decodeStrip, matches: matches, filterWorks: filterWorks,
    nextUnmarked: nextUnmarked, overview: overview, exportRow: exportRow, positionOf: positionOf,
  };
});
