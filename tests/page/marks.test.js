// The marks sheet the review page writes and reads: the range rule, the
// cells as export writes them in both dialects, and reading back what a
// spreadsheet saved.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const Marks = require('../../review/page/marks.js');

const range = {low: 0, high: 5};

test('a mark is a number within the range, written with a point or a comma', () => {
  const rows = [
    ['', 'empty'], ['  ', 'empty'], ['4', 'ok'], [' 4,5 ', 'ok'], ['4.5', 'ok'], ['0', 'ok'],
    ['5', 'ok'], ['+3', 'ok'], ['.5', 'ok'], ['5,01', 'bad'], ['-1', 'bad'], ['four', 'bad'],
    ['4 5', 'bad'], ['1e0', 'bad'], ['4,5,6', 'bad'], ['Infinity', 'bad'], ['0x3', 'bad'],
  ];
  for (const [text, state] of rows) assert.equal(Marks.markState(text, range), state, text);
  assert.equal(Marks.parseMark('4,5'), 4.5);
  assert.equal(Marks.isMarked({m2: '3', m3: '4'}, range), true);
  assert.equal(Marks.isMarked({m2: '3', m3: ''}, range), false);
  assert.equal(Marks.isMarked({m2: '3', m3: '9'}, range), false);
  assert.equal(Marks.isMarked(undefined, range), false);
  assert.deepEqual([{m2: '', m3: '9'}, {m2: 'x', m3: '4'}, {m2: '', m3: ''}, undefined].map((e) => Marks.hasBadMark(e, range)),
    [true, true, false, false]);
});

test('cells are formula-safe and quoted as export writes them', () => {
  const rows = [
    ['plain', ',', 'plain'], ['=1+1', ',', "'=1+1"], ['+7', ',', "'+7"], ['-x', ';', "'-x"],
    ['@a', ',', "'@a"], ['\tx', ',', "'\tx"], ['a,b', ',', '"a,b"'], ['a,b', ';', 'a,b'],
    ['a;b', ';', '"a;b"'], ['say "hi"', ',', '"say ""hi"""'], ['two\nlines', ';', '"two\nlines"'],
    ['\rx', ',', '"\'\rx"'], ['bad \uD800 half', ',', 'bad \uFFFD half'], ['', ',', ''],
  ];
  for (const [text, sep, cell] of rows) assert.equal(Marks.csvField(text, sep), cell, JSON.stringify(text));
});

const sheetRows = [
  {id: '10001', folder: 'Школа 1/', varNo: '3', answers: ['=SUM(A1)', 'b', 'c', 'd, e', 'f', 'g'],
   seconds2: '7.123', seconds3: '', problem: ''},
  {id: '10002', folder: 'b/', varNo: '', answers: ['', '', '', '', '', ''], seconds2: '', seconds3: '1.000',
   problem: 'Файл b/10002_0.ans с ответами участника не найден: '},
];
const marks = new Map([['10001', {m2: '4,5', m3: '5', note: '-не слышно', flag: true}],
                       ['10002', {m2: 'x', m3: '', note: '', flag: false}]]);

test('the sheet has export\'s columns and recheck, in either dialect', () => {
  assert.equal(Marks.writeMarksSheet(sheetRows, marks, false),
    'ID,pathWork,VarNo,a1,a2,a3,a4,a5,a6,task2_seconds,task3_seconds,problem,mark2,mark3,note,recheck\r\n' +
    "10001,Школа 1/,3,'=SUM(A1),b,c,\"d, e\",f,g,7.123,,,4.5,5,'-не слышно,1\r\n" +
    '10002,b/,,,,,,,,,1.000,Файл b/10002_0.ans с ответами участника не найден: ,x,,,\r\n');
  assert.equal(Marks.writeMarksSheet(sheetRows, marks, true),
    '\uFEFFID;pathWork;VarNo;a1;a2;a3;a4;a5;a6;task2_seconds;task3_seconds;problem;mark2;mark3;note;recheck\r\n' +
    "10001;Школа 1/;3;'=SUM(A1);b;c;d, e;f;g;7,123;;;4,5;5;'-не слышно;1\r\n" +
    '10002;b/;;;;;;;;;1,000;Файл b/10002_0.ans с ответами участника не найден: ;x;;;\r\n');
});

test('a saved sheet reads back to the same marks in both dialects', () => {
  for (const excel of [false, true]) {
    const read = Marks.readMarksSheet(Marks.writeMarksSheet(sheetRows, marks, excel));
    assert.deepEqual(read.rows.map((r) => [r.line, r.id, r.m2, r.m3, r.note, r.flag]), [
      [2, '10001', excel ? '4,5' : '4.5', '5', '-не слышно', true], [3, '10002', 'x', '', '', false]]);
    assert.ok(Marks.sameEntry(read.rows[0], marks.get('10001')));
  }
});

test('a sheet filled in a spreadsheet: columns by name, quotes, no recheck, bad sheets named', () => {
  const read = Marks.readMarksSheet('id;Mark3;MARK2\n"10001";4;"3"\n\'-1234;;\n;;\n10003;"a;\nb";1\n');
  assert.deepEqual(read.rows.map((r) => [r.line, r.id, r.m2, r.m3, r.flag]),
    [[2, '10001', '3', '4', null], [3, '-1234', '', '', null], [4, '', '', '', null],
     [5, '10003', '1', 'a;\nb', null]]);
  assert.ok(Marks.sameEntry(read.rows[0], {m2: '3,0', m3: '4', note: 'x', flag: true}));
  const flags = Marks.readMarksSheet('ID,mark2,mark3,recheck\n1,,,1\n2,,,0\n3,,,нет\n4,,,да\n5,,,\n');
  assert.deepEqual(flags.rows.map((r) => r.flag), [true, false, false, true, false]);
  assert.match(Marks.readMarksSheet('ID,mark2,note\n1,2,\n').error, /нет столбца mark3/);
  assert.match(Marks.readMarksSheet('ID,mark2,mark3\n1,"2\n').error, /строке 2, не закрыто/);
});

test('loading keeps what is typed and lists what differs, repeats and is unknown', () => {
  const typed = new Map([['10001', {m2: '4', m3: '5', note: '', flag: false}],
                         ['10002', {m2: '3', m3: '3', note: '', flag: false}]]);
  const rows = Marks.readMarksSheet('ID,mark2,mark3\n10001,4.0,5\n10002,3,2\n10003,1,1\n' +
    '99999,1,1\n10003,2,2\n,1,\n10004,,\n').rows;
  const plan = Marks.planLoad(rows, (id) => /^1000[1-4]$/.test(id), (id) => typed.get(id));
  assert.deepEqual(plan.same.map((r) => r.id), ['10001']);
  assert.deepEqual(plan.differ.map((d) => [d.row.id, d.row.m3, d.mine.m3]), [['10002', '2', '3']]);
  assert.deepEqual(plan.take.map((r) => r.id), ['10003']);
  assert.deepEqual(plan.unknown.map((r) => r.line), [5, 7]);
  assert.deepEqual(plan.repeated.map((r) => [r.row.line, r.first]), [[6, 4]]);
  assert.equal(plan.empty, 1);
});
