// What the review page asks of the works' data: strips, filters, the next
// unmarked work, the overview and export's row.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const Works = require('../../review/page/works.js');

const range = {low: 0, high: 10};
const rec = (status, seconds) => [status, './x.ogg', seconds, ''];
const work = (id, folder, problems) =>
  [id, folder, 'v', 'a1', 'a2', 'a3', 'a4', 'a5', 'a6', '', [rec('ok', 1), rec('ok', 7.1), rec('missing', null)],
   problems.map((k) => [k, id + '_2.ogg', 'detail', '', ''])];
const works = [work('10001', 0, []), work('10002', 0, ['recording-quiet']),
  work('10003', 1, ['recording-quiet', 'sheet-missing']), work('10004', 1, [])];
const marks = new Map([['10001', {m2: '5', m3: '6', flag: false}], ['10003', {m2: '11', m3: '1', flag: true}],
  ['10004', {m2: '2', m3: '', flag: true}]]);
const marksOf = (id) => marks.get(id);

test('the strip code reads back as levels, clipping and silence', () => {
  const cols = Works.decodeStrip('.azAZ?');
  assert.deepEqual(cols.map((c) => [Math.round(c.level * 26), c.clipped, c.silent]),
    [[0, false, true], [1, false, false], [26, false, false], [1, true, false], [26, true, false], [0, false, true]]);
  assert.deepEqual(Works.decodeStrip(''), []);
});

test('filters keep the works they name, in list order', () => {
  const rows = [
    [{}, [0, 1, 2, 3]], [{kind: 'any'}, [1, 2]], [{kind: 'sheet-missing'}, [2]],
    [{marks: 'unmarked'}, [1, 2, 3]], [{marks: 'marked'}, [0]], [{marks: 'bad'}, [2]],
    [{flagged: true}, [2, 3]], [{folder: 1}, [2, 3]], [{folder: 1, kind: 'any', flagged: true}, [2]],
  ];
  for (const [f, want] of rows) {
    const filter = Object.assign({kind: '', marks: '', flagged: false, folder: -1}, f);
    assert.deepEqual(Works.filterWorks(works, marksOf, filter, range), want, JSON.stringify(f));
  }
});

test('the next unmarked work wraps round and stops when there is none', () => {
  const order = [0, 1, 2, 3];
  assert.equal(Works.nextUnmarked(works, order, 0, marksOf, range), 1);
  assert.equal(Works.nextUnmarked(works, order, 3, marksOf, range), 1);
  assert.equal(Works.nextUnmarked(works, [0], 0, marksOf, range), -1);
  assert.equal(Works.positionOf([2, 5, 9], 5), 1);
  assert.equal(Works.positionOf([2, 5, 9], 6), 2);
  assert.equal(Works.positionOf([2, 5, 9], 10), 3);
});

test('the overview counts per folder and in all', () => {
  const o = Works.overview(works, ['a/', 'b/'], marksOf, range);
  assert.deepEqual(o.kinds, ['recording-quiet', 'sheet-missing']);
  assert.deepEqual([o.total.works, o.total.marked, o.total.flagged, o.total.kinds], [4, 1, 2,
    {'recording-quiet': 2, 'sheet-missing': 1}]);
  assert.deepEqual(o.rows.map((r) => [r.name, r.works, r.marked, r.flagged, r.kinds['recording-quiet'] || 0]),
    [['a/', 2, 1, 0, 1], ['b/', 2, 0, 2, 1]]);
});

test('export\'s row: lengths with three decimals, empty for a missing recording', () => {
  const row = Works.exportRow(works[0], ['a/', 'b/']);
  assert.deepEqual(row, {id: '10001', folder: 'a/', varNo: 'v', answers: ['a1', 'a2', 'a3', 'a4', 'a5', 'a6'],
    seconds2: '7.100', seconds3: '', problem: ''});
});
