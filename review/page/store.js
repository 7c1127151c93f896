// The marks typed on the review page, kept in the browser's own storage
// (localStorage) at every keystroke, so that closing the tab, a crash or a
// reload loses nothing. Every key starts with the page's key, which pack
// derives from the tree (PageStorageKey), so pages of two trees never share
// marks. One item per work that was ever typed in:
//   KEY/w/ID   [mark2, mark3, note, flag, change]
//   KEY/change the number of the last change
//   KEY/saved  the number of the last change written to a marks file
// A work whose change is above KEY/saved has marks not yet in a file.
(function (root, factory) {
  if (typeof module === 'object' && module.exports) module.exports = factory();
  else root.ZenorStore = factory();
})(this, function () {
  'use strict';

  function MarksStore(storage, key) {
    this.storage = storage;
    this.key = key;
    this.entries = new Map();
    this.change = 0;
    this.saved = 0;
    this.error = null; // the last failure to write, for the page to show
  }

  MarksStore.prototype.read = function (name) {
    try { return this.storage ? this.storage.getItem(this.key + '/' + name) : null; } catch (e) { return null; }
  };

  MarksStore.prototype.write = function (name, value) {
    if (!this.storage) { this.error = 'хранилище браузера недоступно'; return false; }
    try {
      this.storage.setItem(this.key + '/' + name, value);
      return true;
    } catch (e) {
      this.error = e && e.name === 'QuotaExceededError'
        ? 'хранилище браузера заполнено' : String(e && e.message || e);
      return false;
    }
  };

  // Reads what an earlier visit of this page kept; entries of other pages
  // are left alone.
  MarksStore.prototype.load = function () {
    this.entries.clear();
    this.change = Number(this.read('change')) || 0;
    this.saved = Number(this.read('saved')) || 0;
    if (!this.storage) return this;
    var prefix = this.key + '/w/';
    var names = [];
    try {
      for (var i = 0; i < this.storage.length; ++i) {
        var name = this.storage.key(i);
        if (name !== null && name.lastIndexOf(prefix, 0) === 0) names.push(name);
      }
    } catch (e) { return this; }
    for (var n = 0; n < names.length; ++n) this.take(names[n].slice(prefix.length), this.storage.getItem(names[n]));
    return this;
  };

  // One stored item, as load and another tab's change give it.
  MarksStore.prototype.take = function (id, text) {
    var v;
    try { v = JSON.parse(text); } catch (e) { v = null; }
    if (!Array.isArray(v)) { this.entries.delete(id); return; }
    var entry = {m2: String(v[0] || ''), m3: String(v[1] || ''), note: String(v[2] || ''), flag: !!v[3], change: Number(v[4]) || 0};
    this.entries.set(id, entry);
    if (entry.change > this.change) this.change = entry.change;
  };

  MarksStore.prototype.get = function (id) { return this.entries.get(id); };

  // Sets fields of the work `id` ({m2, m3, note, flag}, any of them) and
  // writes it at once. `fromFile` marks what came out of a marks file as
  // already saved to one. False when the browser refused to keep it.
  MarksStore.prototype.set = function (id, fields, fromFile) {
    var old = this.entries.get(id) || {m2: '', m3: '', note: '', flag: false, change: 0};
    var entry = {m2: old.m2, m3: old.m3, note: old.note, flag: old.flag, change: old.change};
    for (var f in fields) {
      // A field left unsaid (a sheet without that column) keeps its value.
      if (!(f in entry) || f === 'change' || fields[f] === null || fields[f] === undefined) continue;
      entry[f] = f === 'flag' ? !!fields[f] : String(fields[f]);
    }
    if (!fromFile) {
      entry.change = ++this.change;
      this.write('change', String(this.change));
    } else if (old.change > this.saved) {
      entry.change = old.change; // typed and not saved stays so
    } else {
      entry.change = 0;
    }
    this.entries.set(id, entry);
    return this.write('w/' + id, JSON.stringify([entry.m2, entry.m3, entry.note, entry.flag, entry.change]));
  };

  // Every change so far is in a file now.
  MarksStore.prototype.markSaved = function () {
    this.saved = this.change;
    return this.write('saved', String(this.saved));
  };

  MarksStore.prototype.unsavedCount = function () {
    var n = 0;
    var saved = this.saved;
    this.entries.forEach(function (e) { if (e.change > saved) ++n; });
    return n;
  };

  return {MarksStore: MarksStore};
});
