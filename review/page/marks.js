// The marks sheet of the review page: what a mark may be, and the CSV that
// «Сохранить оценки» writes and «Загрузить оценки» reads. The sheet has the
// columns of `zenor-dump export --marks` and, last, recheck; its cells are
// written exactly as export writes them (formula-safe, either dialect), so
// that `zenor-dump marks` reads what the page saves.
(function (root, factory) {
  if (typeof module === 'object' && module.exports) module.exports = factory();
  else root.ZenorMarks = factory();
})(this, function () {
  'use strict';

  var HEADER = ['ID', 'pathWork', 'VarNo', 'a1', 'a2', 'a3', 'a4', 'a5', 'a6',
    'task2_seconds', 'task3_seconds', 'problem', 'mark2', 'mark3', 'note', 'recheck'];
  // The first characters that make a spreadsheet run a cell as a formula.
  var FORMULA_STARTS = '=+-@\t\r';

  // Spaces and tabs off both ends, as zenor-dump trims a cell.
  function trimmed(text) { return text.replace(/^[ \t]+|[ \t]+$/g, ''); }

  // A mark as a number: digits with a decimal point or comma, spaces around
  // allowed (the rule of zenor-dump marks). null for anything else.
  function parseMark(text) {
    var t = trimmed(String(text)).replace(/,/g, '.');
    if (!/^[+-]?(\d+\.?\d*|\.\d+)$/.test(t)) return null;
    var value = Number(t);
    return isFinite(value) ? value : null;
  }

  // 'empty', 'ok', or 'bad' for a mark that is no number within the range.
  function markState(text, range) {
    if (String(text || '').trim() === '') return 'empty';
    var value = parseMark(text);
    return value !== null && value >= range.low && value <= range.high ? 'ok' : 'bad';
  }

  // Both marks given and within the range.
  function isMarked(entry, range) {
    return !!entry && markState(entry.m2, range) === 'ok' && markState(entry.m3, range) === 'ok';
  }

  // Either mark typed and no number within the range.
  function hasBadMark(entry, range) {
    return !!entry && (markState(entry.m2, range) === 'bad' || markState(entry.m3, range) === 'bad');
  }

  // Anything typed at all.
  function isTyped(entry) {
    return !!entry && (String(entry.m2 || '').trim() !== '' || String(entry.m3 || '').trim() !== '' ||
      String(entry.note || '') !== '' || !!entry.flag);
  }

  function wellFormed(text) {
    if (!/[\uD800-\uDFFF]/.test(text)) return text;
    var out = '';
    for (var i = 0; i < text.length; ++i) {
      var c = text.charCodeAt(i);
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.length &&
          text.charCodeAt(i + 1) >= 0xDC00 && text.charCodeAt(i + 1) <= 0xDFFF) {
        out += text.substr(i++, 2);
      } else {
        out += c >= 0xD800 && c <= 0xDFFF ? '\uFFFD' : text.charAt(i);
      }
    }
    return out;
  }

  // A cell as export writes it: a text that a spreadsheet would run as a
  // formula is led by an apostrophe; quoted when it holds the separator, a
  // quote, CR or LF. Lone surrogates (no UTF-8 can carry them) become U+FFFD.
  function csvField(text, separator) {
    var clean = wellFormed(String(text));
    if (clean !== '' && FORMULA_STARTS.indexOf(clean.charAt(0)) >= 0) clean = "'" + clean;
    if (clean.indexOf(separator) < 0 && !/["\r\n]/.test(clean)) return clean;
    return '"' + clean.replace(/"/g, '""') + '"';
  }

  // A mark as the dialect's spreadsheet reads a number: a decimal comma with
  // ";" between fields, a point otherwise. A text that is no number stays as
  // typed, so that zenor-dump marks reports it.
  function markCell(text, separator) {
    var t = String(text || '').trim();
    if (parseMark(t) === null) return csvField(t, separator);
    t = separator === ';' ? t.replace(/\./g, ',') : t.replace(/,/g, '.');
    return csvField(t, separator);
  }

  // The whole sheet. `rows` are export's cells of each work in list order
  // ({id, folder, varNo, answers[6], seconds2, seconds3, problem}), `marks`
  // a Map from ID to {m2, m3, note, flag}; `excel` picks the spreadsheet
  // dialect (byte-order mark, ";", decimal commas) over RFC 4180.
  function writeMarksSheet(rows, marks, excel) {
    var sep = excel ? ';' : ',';
    var seconds = function (s) { return excel ? s.replace(/\./g, ',') : s; };
    var out = [(excel ? '\uFEFF' : '') + HEADER.join(sep)];
    for (var i = 0; i < rows.length; ++i) {
      var r = rows[i];
      var m = marks.get(r.id) || {};
      var cells = [csvField(r.id, sep), csvField(r.folder, sep), csvField(r.varNo, sep)];
      for (var a = 0; a < 6; ++a) cells.push(csvField(r.answers[a], sep));
      cells.push(seconds(r.seconds2), seconds(r.seconds3), csvField(r.problem, sep),
        markCell(m.m2, sep), markCell(m.m3, sep), csvField(m.note || '', sep), m.flag ? '1' : '');
      out.push(cells.join(sep));
    }
    return out.join('\r\n') + '\r\n';
  }

  // Reads CSV as zenor-dump does: the separator is the first "," or ";" of
  // the header line outside quotes, a byte-order mark is passed over, quoted
  // fields may hold separators, quotes and line breaks. {separator, records:
  // [{line, cells}]}, or {error} when a quoted field never ends.
  function readCsv(text) {
    if (text.charCodeAt(0) === 0xFEFF) text = text.slice(1);
    var separator = ',';
    for (var q = false, k = 0; k < text.length; ++k) {
      var ch = text.charAt(k);
      if (ch === '"') q = !q;
      if (q) continue;
      if (ch === ',' || ch === ';') { separator = ch; break; }
      if (ch === '\n') break;
    }
    var records = [];
    var line = 1;
    var record = {line: 1, cells: ['']};
    var quoted = false;
    var started = false;
    for (var i = 0; i < text.length; ++i) {
      var c = text.charAt(i);
      var last = record.cells.length - 1;
      if (quoted) {
        if (c === '"' && text.charAt(i + 1) === '"') { record.cells[last] += '"'; ++i; }
        else if (c === '"') quoted = false;
        else { if (c === '\n') ++line; record.cells[last] += c; }
      } else if (c === '"' && !started) {
        quoted = started = true;
      } else if (c === separator) {
        record.cells.push('');
        started = false;
      } else if (c === '\r' && text.charAt(i + 1) === '\n') {
        // the CR of a CRLF line end
      } else if (c === '\n') {
        ++line;
        records.push(record);
        record = {line: line, cells: ['']};
        started = false;
      } else {
        record.cells[last] += c;
        started = true;
      }
    }
    if (quoted) return {error: 'поле в кавычках, начатое в строке ' + record.line + ', не закрыто'};
    if (record.cells.length > 1 || record.cells[0] !== '') records.push(record);
    return {separator: separator, records: records};
  }

  // A cell as it was before export neutralised it.
  function unneutralised(cell) {
    return cell.length >= 2 && cell.charAt(0) === "'" && FORMULA_STARTS.indexOf(cell.charAt(1)) >= 0
      ? cell.slice(1) : cell;
  }

  // A recheck cell that says yes: anything but empty, 0 and the words for no.
  function flagOf(cell) {
    return !/^(|0|нет|no|false|ложь)$/i.test(trimmed(cell || ''));
  }

  // The marks of a sheet: {rows: [{line, id, m2, m3, note, flag}]} in the
  // sheet's order, or {error}. Columns are found by name in the first line,
  // in any order and case; note and recheck may be absent, and then are
  // null: such a sheet says nothing of them.
  function readMarksSheet(text) {
    var table = readCsv(text);
    if (table.error) return table;
    var header = table.records.length ? table.records[0].cells.map(function (h) {
      return trimmed(h).toLowerCase();
    }) : [];
    var col = {};
    var names = ['id', 'mark2', 'mark3', 'note', 'recheck'];
    for (var n = 0; n < names.length; ++n) col[names[n]] = header.indexOf(names[n]);
    var lacking = ['id', 'mark2', 'mark3'].filter(function (name) { return col[name] < 0; });
    if (lacking.length)
      return {error: 'в первой строке нет столбца ' + lacking.map(function (name) {
        return name === 'id' ? 'ID' : name;
      }).join(', ') + ' (такой лист пишет «Сохранить оценки» или zenor-dump export --marks)'};
    var rows = [];
    for (var r = 1; r < table.records.length; ++r) {
      var cells = table.records[r].cells;
      var cell = function (name) { return col[name] >= 0 && col[name] < cells.length ? cells[col[name]] : ''; };
      rows.push({
        line: table.records[r].line,
        id: unneutralised(trimmed(cell('id'))),
        m2: unneutralised(trimmed(cell('mark2'))),
        m3: unneutralised(trimmed(cell('mark3'))),
        note: col.note >= 0 ? unneutralised(cell('note')) : null,
        flag: col.recheck >= 0 ? flagOf(cell('recheck')) : null,
      });
    }
    return {rows: rows};
  }

  // Two marks are the same when both are the same number, or the same text.
  function sameMark(a, b) {
    var x = parseMark(a || '');
    var y = parseMark(b || '');
    if (x !== null && y !== null) return x === y;
    return String(a || '').trim() === String(b || '').trim();
  }

  // Fields that one of the two leaves unsaid (null) are not compared.
  function sameEntry(a, b) {
    return sameMark(a.m2, b.m2) && sameMark(a.m3, b.m3) &&
      (a.note === null || b.note === null || (a.note || '') === (b.note || '')) &&
      (a.flag === null || b.flag === null || !!a.flag === !!b.flag);
  }

  // What loading a sheet does to the marks already typed: rows of works the
  // page does not know, rows that repeat an ID, rows whose marks differ from
  // what is typed (kept as typed, listed), and rows to take (nothing typed
  // for that work yet). `known(id)` tells a work of the page; `typed(id)`
  // gives what is typed for it, or nothing.
  function planLoad(rows, known, typed) {
    var plan = {take: [], same: [], differ: [], unknown: [], repeated: [], empty: 0};
    var seen = new Map();
    for (var i = 0; i < rows.length; ++i) {
      var row = rows[i];
      if (row.id === '') { if (isTyped(row)) plan.unknown.push(row); else ++plan.empty; continue; }
      if (!known(row.id)) { plan.unknown.push(row); continue; }
      if (seen.has(row.id)) { plan.repeated.push({row: row, first: seen.get(row.id)}); continue; }
      seen.set(row.id, row.line);
      var mine = typed(row.id);
      if (!isTyped(row)) { ++plan.empty; continue; }
      if (!isTyped(mine)) plan.take.push(row);
      else if (sameEntry(mine, row)) plan.same.push(row);
      else plan.differ.push({row: row, mine: mine});
    }
    return plan;
  }

  return {
    HEADER: HEADER, parseMark: parseMark, markState: markState, isMarked: isMarked,
    hasBadMark: hasBadMark, isTyped: isTyped, csvField: csvField, writeMarksSheet: writeMarksSheet, readCsv: readCsv,
    readMarksSheet: readMarksSheet, sameEntry: sameEntry, planLoad: planLoad,
  };
});
