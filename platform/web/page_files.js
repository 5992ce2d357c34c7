// The brain folder in the browser's own storage (IndexedDB), kept across
// reloads: mounted before the program starts, written back after every
// change, listed below the window for download, filled from the user's disk
// by the add button or a drop.
"use strict";
(function () {
  const folder = "/brains", incoming = "/incoming";
  const notice = document.getElementById("notice");
  const list = document.getElementById("brains");
  const isBrain = (name) => /\.brain$/i.test(name);
  const say = (text) => { notice.textContent = text; };

  function listBrains() {
    list.textContent = "";
    for (const name of FS.readdir(folder).filter(isBrain).sort()) {
      const li = document.createElement("li");
      const a = document.createElement("a");
      a.textContent = name;
      a.href = "#";
      a.download = name;
      a.addEventListener("click", () => {
        a.href = URL.createObjectURL(new Blob([FS.readFile(folder + "/" + name)], { type: "text/plain" }));
        setTimeout(() => URL.revokeObjectURL(a.href), 10000);
      });
      li.appendChild(a);
      list.appendChild(li);
    }
  }

  // The browser grants the page a share of its disk. A save that would not
  // fit is refused while it is written, as a full disk refuses it on the
  // desktop: the Save panel says so in its message line, and the writer
  // leaves the brain already stored as it was.
  const ENOSPC = 51;
  let room = Infinity, written = 0;
  function measureRoom() {
    if (!navigator.storage || !navigator.storage.estimate) return Promise.resolve();
    return navigator.storage.estimate().then((e) => { room = e.quota - e.usage; written = 0; }, () => {});
  }
  // Every write into the folder also marks it as not yet kept: whatever
  // wrote it (a save, a drop, a key on a panel button), the folder goes to
  // the browser's storage as soon as the program's turn is over.
  function watchWrites() {
    const file = MEMFS.ops_table.file.stream, write = file.write;
    file.write = function (stream, buffer, offset, length, position, canOwn) {
      if (stream.node.mount.type === IDBFS && length > 0) {
        dirty = true;
        if (!soon) {
          soon = true;
          queueMicrotask(() => { soon = false; store(); });
        }
        if ((written += length) > room) throw new FS.ErrnoError(ENOSPC);
      }
      return write.call(this, stream, buffer, offset, length, position, canOwn);
    };
  }

  // Emscripten's IDBFS loses the browser's refusals: it never calls back
  // when the browser aborts its writes (a full quota does), and takes a
  // write it was refused for a success. Here the sync hears of both.
  function hearRefusals() {
    const reconcile = IDBFS.reconcile;
    IDBFS.reconcile = (src, dst, callback) => {
      let called = false, failed = null;
      const once = (err) => { if (!called) { called = true; callback(err || failed); } };
      const db = src.type === "remote" ? src.db : dst.db;
      db.transaction = function (...args) {
        const t = IDBDatabase.prototype.transaction.apply(this, args);
        t.addEventListener("error", (e) => { failed = failed || e.target.error || t.error; });
        t.addEventListener("abort", () => once(t.error || failed || new DOMException("Not stored", "AbortError")));
        return t;
      };
      try {
        reconcile(src, dst, once);
      } finally {
        delete db.transaction;
      }
    };
  }

  // One write-back at a time: a change during one asks for exactly one more.
  // Until the stored brains were read in, nothing is written back, since a
  // write-back makes the storage hold what the folder holds, and would drop
  // or overwrite the brains it could not show.
  let loaded = false, storing = false, dirty = false, soon = false;
  const refusedNote = "The browser refused to keep the brains (storage full or private browsing): "
                      + "download them below before you leave the page.";
  const unreadNote = "The browser keeps no brains for this page (private browsing?): download them before you leave.";
  function store() {
    listBrains();
    if (!loaded || storing || !dirty) return;
    storing = true;
    dirty = false;
    FS.syncfs(false, (err) => {
      storing = false;
      if (err) dirty = true;  // still not kept; tried again at the next change
      measureRoom();
      if (err) say(refusedNote);
      else if (notice.textContent === refusedNote) say("");
      listBrains();
      if (dirty && !err) store();
    });
  }
  // While brains are not yet kept, leaving the page would lose them: the
  // browser asks first. Hiding the page starts what is waiting at once,
  // since the page may get no other chance.
  window.addEventListener("beforeunload", (e) => {
    if (storing || dirty) {
      e.preventDefault();
      e.returnValue = "Brains are not yet kept in this browser.";  // for browsers that want a text
    }
  });
  const flush = () => { if (dirty && !storing) store(); };
  window.addEventListener("pagehide", flush);
  document.addEventListener("visibilitychange", () => { if (document.visibilityState === "hidden") flush(); });

  function freeName(name) {
    const dot = name.toLowerCase().lastIndexOf(".brain");
    for (let n = 2, tried = name; ; ++n) {
      if (!FS.analyzePath(folder + "/" + tried).exists) return tried;
      tried = name.slice(0, dot) + " (" + n + ")" + name.slice(dot);
    }
  }

  // The name is chosen when the bytes are at hand, so that nothing written
  // meanwhile can take it: a brain is never written over another.
  async function add(files, note = "") {
    await started;
    const notes = [];
    for (const f of files) {
      if (!isBrain(f.name)) { notes.push("Only .brain files are added: " + f.name + "."); continue; }
      const data = new Uint8Array(await f.arrayBuffer());
      const path = folder + "/" + freeName(f.name.replace(/\//g, "_"));
      try {
        FS.writeFile(path, data);
      } catch (e) {
        if (FS.analyzePath(path).exists) FS.unlink(path);  // ours, and incomplete
        notes.push("No room left in the browser's storage for " + f.name + ".");
      }
    }
    if (note && files.some((f) => isBrain(f.name))) notes.push(note);
    if (notes.length) say(notes.join(" "));
  }

  // A file dropped on the page goes to the program as a drop on the window
  // does; it decides whether to take it up, and keeps it in the folder.
  // The window takes up no drop of several files, as on the desktop; the
  // brains among them are kept as the add button keeps them.
  async function dropped(file) {
    await started;
    const path = incoming + "/" + file.name.replace(/\//g, "_");
    FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
    Module.ccall("cx_drop", null, ["string"], [path]);
  }
  document.addEventListener("dragover", (e) => e.preventDefault());
  document.addEventListener("drop", (e) => {
    e.preventDefault();
    const files = [...e.dataTransfer.files];
    if (files.length === 1) dropped(files[0]);
    else if (files.length > 1) add(files, "The brains dropped are kept below; drop one alone to load it.");
  });
  document.getElementById("add").addEventListener("change", (e) => add([...e.target.files]));

  // Files given before the stored brains are read in wait for it: reading
  // them in makes the folder hold what the storage holds, and would drop them.
  let began;
  const started = new Promise((resolve) => { began = resolve; });
  window.cerebrixFiles = { dropped, add, pending: () => storing || dirty };
  Module.preRun = [() => {
    FS.mkdir(folder);
    FS.mkdir(incoming);
    FS.mount(IDBFS, {}, folder);
    hearRefusals();
    addRunDependency("brains");
    measureRoom();
    FS.syncfs(true, (err) => {
      // Only the program's own writes are limited: the brains read back
      // from storage were already given their room.
      watchWrites();
      loaded = !err;
      if (err) say(unreadNote);
      FS.chdir(folder);
      removeRunDependency("brains");
      listBrains();
      began();
    });
  }];
})();
