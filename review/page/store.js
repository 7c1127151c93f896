// The marks typed on the review page, kept in the browser's own storage
// (localStorage) at every keystroke, so that closing the tab, a crash or a
// reload loses nothing. Every key starts with the page's key, which pack
// derives from the tree (PageStorageKey), so pages of two trees never share
// marks. The works typed in are kept in buckets by the first three
// characters of their IDs, so that a hundred thousand marked works stay far
// below the browser's quota, and a keystroke rewrites a hundred works at most:
//   KEY/b/ABC  {ID: [mark2, mark3, note, flag, change], ...}
//   KEY/change the number of the last change
//   KEY/saved  the number of the last change written to a marks file
// A work whose change is above KEY/saved has marks not yet in a file.
(function (root, factory) {
  if (typeof module === 'object' && module.exports) module.exports = factory();
  else root.ZenorStore = factory();
})(this, function () {
  'use strict';

  var NO_STORAGE = 'хранилище браузера недоступно';

  function MarksStore(storage, key) {
    this.storage = storage;
    this.key = key;
    this.entries = new Map();
    this.change = 0;
    this.saved = 0;
    // Why the browser does not keep the marks (no storage at all, or the
    // last write it refused), for the page to show.
    this.error = storage ? null : NO_STORAGE;
  }

  MarksStore.prototype.read = function (name) {
    try { return this.storage ? this.storage.getItem(this.key + '/' + name) : null; } catch (e) { return null; }
  };

  MarksStore.prototype.write = function (name, value) {
    if (!this.storage) { this.error = NO_STORAGE; return false; }
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
    var prefix = this.key + '/b/';
    var names = [];
    try {
      for (var i = 0; i < this.storage.length; ++i) {
        var name = this.storage.key(i);
        if (name !== null && name.lastIndexOf(prefix, 0) === 0) names.push(name);
      }
    } catch (e) { return this; }
    for (var n = 0; n < names.length; ++n) this.addBucket(names[n].slice(prefix.length), this.storage.getItem(names[n]));
    return this;
  };

  function bucketOf(id) { return id.slice(0, 3); }

  // One stored bucket as another tab's change gives it: its works replace
  // those the store holds for that bucket.
  MarksStore.prototype.takeBucket = function (bucket, text) {
    var self = this;
    this.entries.forEach(function (e, id) { if (bucketOf(id) === bucket) self.entries.delete(id); });
    this.addBucket(bucket, text);
  };

  // The works of one stored bucket, added to the store; load starts empty,
  // so that it need not walk the entries once per bucket.
  MarksStore.prototype.addBucket = function (bucket, text) {
    var v;
    try { v = JSON.parse(text); } catch (e) { v = null; }
    if (!v || typeof v !== 'object' || Array.isArray(v)) return;
    var self = this;
    Object.keys(v).forEach(function (id) {
      var w = v[id];
      if (!Array.isArray(w) || bucketOf(id) !== bucket) return;
      var entry = {m2: String(w[0] || ''), m3: String(w[1] || ''), note: String(w[2] || ''), flag: !!w[3], change: Number(w[4]) || 0};
      self.entries.set(id, entry);
      if (entry.change > self.change) self.change = entry.change;
    });
  };

  // Writes the buckets named in `buckets` (a Set), walking the entries once.
  // False when the browser refused any of them.
  MarksStore.prototype.writeBuckets = function (buckets) {
    var out = new Map();
    buckets.forEach(function (bucket) { out.set(bucket, {}); });
    this.entries.forEach(function (e, id) {
      var works = out.get(bucketOf(id));
      if (works) works[id] = [e.m2, e.m3, e.note, e.flag, e.change];
    });
    var ok = true;
    var self = this;
    out.forEach(function (works, bucket) { ok = self.write('b/' + bucket, JSON.stringify(works)) && ok; });
    return ok;
  };

  MarksStore.prototype.get = function (id) { return this.entries.get(id); };

  // The entry of the work `id` with `fields` set, in the store but not yet
  // written (see set).
  MarksStore.prototype.update = function (id, fields, fromFile) {
    var old = this.entries.get(id) || {m2: '', m3: '', note: '', flag: false, change: 0};
    var entry = {m2: old.m2, m3: old.m3, note: old.note, flag: old.flag, change: old.change};
    for (var f in fields) {
      // A field left unsaid (a sheet without that column) keeps its value.
      if (!(f in entry) || f === 'change' || fields[f] === null || fields[f] === undefined) continue;
      entry[f] = f === 'flag' ? !!fields[f] : String(fields[f]);
    }
    if (!fromFile) entry.change = ++this.change;
    else if (old.change > this.saved) entry.change = old.change; // typed and not saved stays so
    else entry.change = 0;
    this.entries.set(id, entry);
  };

  // Sets fields of the work `id` ({m2, m3, note, flag}, any of them) and
  // writes it at once. `fromFile` marks what came out of a marks file as
  // already saved to one. False when the browser refused to keep it.
  MarksStore.prototype.set = function (id, fields, fromFile) {
    return this.setAll([{id: id, fields: fields}], fromFile);
  };

  // set for many works at once ([{id, fields}]), each bucket written once:
  // a loaded sheet of a hundred thousand rows is a few hundred writes.
  MarksStore.prototype.setAll = function (changes, fromFile) {
    var buckets = new Set();
    for (var i = 0; i < changes.length; ++i) {
      this.update(changes[i].id, changes[i].fields, fromFile);
      buckets.add(bucketOf(changes[i].id));
    }
    if (!fromFile && changes.length) this.write('change', String(this.change));
    return this.writeBuckets(buckets);
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

  return {MarksStore: MarksStore, bucketOf: bucketOf};
});
