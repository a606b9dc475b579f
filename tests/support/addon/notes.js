// The add-on's page. Opened plainly it writes its notes into localStorage,
// IndexedDB and the add-on storage area (notes.html?fill=N also keeps N bytes
// of scratch text in localStorage); opened as notes.html#read it reads them
// back together with the bookmarks the browser holds. Either way it puts the
// outcome in #result as JSON and marks <html data-done>.
const api = globalThis.browser ?? globalThis.chrome;
const NOTE = "remember the milk";

function openNotes() {
  return new Promise((resolve, reject) => {
    const open = indexedDB.open("notes", 1);
    open.onupgradeneeded = () => open.result.createObjectStore("notes");
    open.onsuccess = () => resolve(open.result);
    open.onerror = () => reject(open.error);
  });
}

function finished(request) {
  return new Promise((resolve, reject) => {
    request.oncomplete = request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

async function write() {
  localStorage.setItem("kept-note", NOTE);
  const fill = Number(new URLSearchParams(location.search).get("fill") || 0);
  if (fill) localStorage.setItem("kept-scratch", "scratch ".repeat(fill / 8));
  const db = await openNotes();
  const change = db.transaction("notes", "readwrite");
  change.objectStore("notes").put({ text: NOTE }, "kept-note");
  await finished(change);
  db.close();
  await api.storage.local.set({ "kept-setting": "dark theme" });
  return read();
}

function flatten(nodes, folder, into) {
  for (const node of nodes) {
    if (node.url) into.push([folder, node.title, node.url]);
    if (node.children) flatten(node.children, folder ? folder + "/" + node.title : node.title || "", into);
  }
  return into;
}

async function read() {
  const db = await openNotes();
  const record = await finished(db.transaction("notes").objectStore("notes").get("kept-note"));
  db.close();
  const stored = await api.storage.local.get("kept-setting");
  return {
    localStorage: localStorage.getItem("kept-note"),
    indexedDB: record ? record.text : null,
    storageLocal: stored["kept-setting"] ?? null,
    bookmarks: flatten(await api.bookmarks.getTree(), "", []),
  };
}

addEventListener("load", () => {
  (location.hash === "#read" ? read() : write())
    .then(outcome => JSON.stringify(outcome), error => JSON.stringify({ failed: String(error) }))
    .then(text => {
      document.getElementById("result").textContent = text;
      document.documentElement.dataset.done = "1";
    });
});
