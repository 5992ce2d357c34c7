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
  function limitWrites() {
    const file = MEMFS.ops_table.file.stream, write = file.write;
    file.write = function (stream, buffer, offset, length, position, canOwn) {
      if (stream.node.mount.type === IDBFS && length > 0 && (written += length) > room) throw new FS.ErrnoError(ENOSPC);
      return write.call(this, stream, buffer, offset, length, position, canOwn);
    };
  }

  let storing = false, again = false;
  function store() {
    if (storing) { again = true; return; }
    storing = true;
    FS.syncfs(false, (err) => {
      storing = false;
      measureRoom();
      say(err ? "The browser refused to keep the brains (storage full or private browsing): "
                + "download them below before you leave the page." : "");
      listBrains();
      if (again) { again = false; store(); }
    });
  }

  function freeName(name) {
    const dot = name.toLowerCase().lastIndexOf(".brain");
    for (let n = 2, tried = name; ; ++n) {
      if (!FS.analyzePath(folder + "/" + tried).exists) return tried;
      tried = name.slice(0, dot) + " (" + n + ")" + name.slice(dot);
    }
  }

  async function add(files) {
    for (const f of files) {
      if (!isBrain(f.name)) { say("Only .brain files are added: " + f.name); continue; }
      const path = folder + "/" + freeName(f.name.replace(/\//g, "_"));
      try {
        FS.writeFile(path, new Uint8Array(await f.arrayBuffer()));
      } catch (e) {
        if (FS.analyzePath(path).exists) FS.unlink(path);  // ours, and incomplete
        say("No room left in the browser's storage for " + f.name + ".");
      }
    }
    store();
  }

  // A file dropped on the page goes to the program as a drop on the window
  // does; it decides whether to take it up, and keeps it in the folder.
  async function dropped(file) {
    const path = incoming + "/" + file.name.replace(/\//g, "_");
    FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
    Module.ccall("cx_drop", null, ["string"], [path]);
  }
  document.addEventListener("dragover", (e) => e.preventDefault());
  document.addEventListener("drop", (e) => {
    e.preventDefault();
    if (e.dataTransfer.files.length === 1) dropped(e.dataTransfer.files[0]);
  });
  document.getElementById("add").addEventListener("change", (e) => add([...e.target.files]));

  window.cerebrixFiles = { changed: store, dropped, add };
  Module.preRun = [() => {
    FS.mkdir(folder);
    FS.mkdir(incoming);
    FS.mount(IDBFS, {}, folder);
    addRunDependency("brains");
    measureRoom();
    FS.syncfs(true, (err) => {
      // Only the program's own writes are limited: the brains read back
      // from storage were already given their room.
      limitWrites();
      if (err) say("The browser keeps no brains for this page (private browsing?): download them before you leave.");
      FS.chdir(folder);
      removeRunDependency("brains");
      listBrains();
    });
  }];
})();
