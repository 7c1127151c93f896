// The marks kept in the browser's storage: buckets of works under the
// page's key, a change number that tells what is not yet in a file, and a
// clear error when the browser refuses to keep more.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const {MarksStore} = require('../../review/page/store.js');

class FakeStorage {
  constructor(limit = Infinity) { this.map = new Map(); this.limit = limit; }
  get length() { return this.map.size; }
  key(i) { return [...this.map.keys()][i] ?? null; }
  getItem(k) { return this.map.has(k) ? this.map.get(k) : null; }
  setItem(k, v) {
    if (!this.map.has(k) && this.map.size >= this.limit) {
      const e = new Error('full');
      e.name = 'QuotaExceededError';
      throw e;
    }
    this.map.set(k, String(v));
  }
}

test('every keystroke is kept, and a second visit finds it; other pages are apart', () => {
  const storage = new FakeStorage();
  const a = new MarksStore(storage, 'zenor-review/aaaa').load();
  a.set('10001', {m2: '4'});
  a.set('10001', {m3: '5', note: 'тихо'});
  a.set('10002', {flag: true});
  new MarksStore(storage, 'zenor-review/bbbb').load().set('10001', {m2: '1'});
  const again = new MarksStore(storage, 'zenor-review/aaaa').load();
  assert.deepEqual(again.get('10001'), {m2: '4', m3: '5', note: 'тихо', flag: false, change: 2});
  assert.equal(again.get('10002').flag, true);
  again.set('10002', {m2: '1', note: null, flag: null});
  assert.deepEqual(again.get('10002'), {m2: '1', m3: '', note: '', flag: true, change: 4});
  assert.equal(again.entries.size, 2);
  assert.equal(again.unsavedCount(), 2);
  assert.deepEqual([...storage.map.keys()].filter((k) => k.startsWith('zenor-review/aaaa/b/')),
    ['zenor-review/aaaa/b/100'], 'works are kept in buckets by the start of their IDs');
  again.takeBucket('100', 'not json');
  assert.equal(again.get('10001'), undefined, 'a bucket that does not parse holds nothing');
  assert.equal(new MarksStore(storage, 'zenor-review/bbbb').load().get('10001').m2, '1');
});

test('what is saved to a file, or came from one, is not counted as unsaved', () => {
  const storage = new FakeStorage();
  const s = new MarksStore(storage, 'k').load();
  s.set('1', {m2: '4'});
  s.set('2', {m2: '4'});
  assert.equal(s.unsavedCount(), 2);
  s.markSaved();
  assert.equal(s.unsavedCount(), 0);
  s.set('2', {m3: '1'});
  s.set('3', {m2: '2', m3: '2'}, true);
  s.set('2', {note: 'x'}, true);
  assert.equal(s.unsavedCount(), 1, 'typed after the save stays unsaved');
  assert.equal(new MarksStore(storage, 'k').load().unsavedCount(), 1);
});

test('a full storage is reported, not passed over', () => {
  const s = new MarksStore(new FakeStorage(2), 'k').load();
  assert.equal(s.set('1', {m2: '4'}), true);
  assert.equal(s.set('2', {m2: '4'}), false);
  assert.equal(s.error, 'хранилище браузера заполнено');
  const none = new MarksStore(null, 'k').load();
  assert.equal(none.set('1', {m2: '1'}), false);
  assert.equal(none.error, 'хранилище браузера недоступно');
});

test('many works set at once are one write per bucket, as if set one by one', () => {
  const rows = ['10001', '10002', '20001'].map((id, i) => ({id, fields: {m2: String(i), flag: i === 2}}));
  const one = new MarksStore(new FakeStorage(), 'k').load();
  for (const r of rows) one.set(r.id, r.fields, true);
  const storage = new FakeStorage();
  const written = [];
  const setItem = storage.setItem.bind(storage);
  storage.setItem = (k, v) => { written.push(k); setItem(k, v); };
  const all = new MarksStore(storage, 'k').load();
  assert.equal(all.setAll(rows, true), true);
  assert.deepEqual(written.sort(), ['k/b/100', 'k/b/200']);
  assert.deepEqual([...new MarksStore(storage, 'k').load().entries], [...one.entries]);
  all.setAll(rows.slice(0, 2));
  assert.deepEqual([all.change, all.unsavedCount()], [2, 2], 'typed: a change each, one change number written');
  assert.equal(storage.getItem('k/change'), '2');
});
