// The page's side of the browser build, run before the game starts: the
// command line from the page address, the player's lasting files, a replay
// to fetch, what the game prints, sound through Web Audio, downloads, full
// screen and the line shown when the game ends.
var Module = typeof Module !== "undefined" ? Module : {};

// Every line the game prints, for the page, the console and tests.
var pulsefieldLines = (window.pulsefieldLines = window.pulsefieldLines || []);
function pulsefieldSay(text) {
  pulsefieldLines.push(text);
  console.log(text);
  var out = document.getElementById("output");
  if (out) {
    out.textContent += text + "\n";
    out.scrollTop = out.scrollHeight;
  }
}
Module["print"] = pulsefieldSay;
Module["printErr"] = pulsefieldSay;
Module["canvas"] = document.getElementById("canvas");

// The folder whose files outlive the page: the player's settings, table,
// replays and screenshots sit in pulsefield/ under it, as under a desktop's
// data home.
var SAVES = "/saves";
// Replays fetched from beside the page are kept here for the game to read.
var FETCHED = "/fetched";

// "?seed=5&play" becomes --seed 5 --play: each name is the option's, a
// value (when given) follows it. A replay or timedemo named by a path from
// the root is read from the browser's own files; any other is fetched from
// beside the page first.
var fetches = [];
function argumentsFromQuery(query) {
  var args = [];
  new URLSearchParams(query).forEach(function (value, name) {
    args.push("--" + name);
    if (value === "") return;
    if ((name === "replay" || name === "timedemo") && value.charAt(0) !== "/") {
      var local = FETCHED + "/" + (value.split("/").pop() || "replay.pfr");
      fetches.push({ url: value, path: local });
      value = local;
    }
    args.push(value);
  });
  return args;
}
if (!Module["arguments"]) Module["arguments"] = argumentsFromQuery(window.location.search);

// ---- the player's lasting files
// Every save the game makes lands in SAVES (in memory) and is copied to
// IndexedDB by FS.syncfs. That copy is asynchronous: a reload or a closed
// tab before it finishes loses the save, and neither beforeunload nor
// pagehide can wait for it. So each save is also written, in the same call,
// to a journal in localStorage (synchronous, and kept by the browser however
// soon the page goes), and struck from it once a copy begun after the save
// has finished. At start a journal entry newer than the file IndexedDB gave
// back (or for a file it lacks) is put back. The settings and the table are
// small and always fit; a file too large for the journal (or a full
// localStorage) waits only for IndexedDB, shown by pulsefieldSaves.pending.
var JOURNAL = "pulsefield-journal:";  // + the file's path; the value is "<mtime> <base64>"
var JOURNAL_MAX_BYTES = 1 << 20;
// Only files of the game's own folder, plain names one or two deep, come back from the journal.
var JOURNAL_PATH = /^\/saves\/pulsefield\/(?:[A-Za-z0-9_-][A-Za-z0-9._-]{0,63}\/)?[A-Za-z0-9_-][A-Za-z0-9._-]{0,127}$/;

// What the page knows of the saves: how many landed, how many of them the
// lasting storage holds (pending while fewer), and the last copy's error.
var saves = (window.pulsefieldSaves = { landed: 0, persisted: 0, pending: false, journaled: 0, restored: 0, error: "" });

function toBase64(bytes) {
  var text = "";
  for (var i = 0; i < bytes.length; i += 0x8000)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  return btoa(text);
}
function fromBase64(text) {
  var raw = atob(text), bytes = new Uint8Array(raw.length);
  for (var i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
  return bytes;
}
function mtimeOf(path) {
  return FS.stat(path).mtime.getTime();
}
// The journal's entries: path -> the file time each was written with.
function journalEntries() {
  var out = {};
  try {
    for (var i = 0; i < localStorage.length; i++) {
      var key = localStorage.key(i);
      if (key && key.indexOf(JOURNAL) === 0) out[key] = parseInt(localStorage.getItem(key), 10);
    }
  } catch (e) {}  // no localStorage: nothing was journaled
  return out;
}
function forget(key) {
  try {
    localStorage.removeItem(key);
  } catch (e) {}
}
// Writes the saved file to the journal now; an older entry that cannot be
// replaced goes, so that it never stands for the newer file.
function journal(path) {
  var key = JOURNAL + path;
  try {
    var bytes = FS.readFile(path);
    if (bytes.length > JOURNAL_MAX_BYTES) throw new Error("too large for the journal");
    localStorage.setItem(key, mtimeOf(path) + " " + toBase64(bytes));
    return true;
  } catch (e) {
    forget(key);
    return false;
  }
}
// Puts back each journal entry newer than the file the lasting storage
// gave back; drops the rest. The journal is checked as any outside input.
function restoreJournal() {
  var entries = journalEntries(), restored = 0;
  Object.keys(entries).forEach(function (key) {
    var path = key.slice(JOURNAL.length), stamp = entries[key];
    var value = null;
    try {
      value = localStorage.getItem(key);
    } catch (e) {}
    var space = value ? value.indexOf(" ") : -1;
    if (!JOURNAL_PATH.test(path) || path.split("/").indexOf("..") >= 0 || !(stamp > 0) || space < 0)
      return forget(key);
    var have = -1;
    try {
      have = mtimeOf(path);
    } catch (e) {}  // the lasting storage has no such file
    if (have >= stamp) return forget(key);  // it holds this save or a later one
    try {
      var bytes = fromBase64(value.slice(space + 1));
      if (bytes.length > JOURNAL_MAX_BYTES) throw new Error("too large");
      FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
      FS.writeFile(path, bytes);
      FS.utime(path, stamp, stamp);
      restored++;
    } catch (e) {
      forget(key);
    }
  });
  return restored;
}

// Copies the lasting folder to IndexedDB, one copy at a time; saves made
// while one is under way are copied by the next. A finished copy strikes
// from the journal the entries it carried.
var persisting = false, persistAgain = false;
function persistSaves() {
  if (persisting) {
    persistAgain = true;
    return;
  }
  persisting = true;
  var upTo = saves.landed, carried = journalEntries();
  FS.syncfs(false, function (err) {
    persisting = false;
    if (err) {
      saves.error = String(err);
      pulsefieldSay("pulsefield: warning: the browser did not keep the saved files (" + err + ")");
    } else {
      saves.persisted = upTo;
      Object.keys(carried).forEach(function (key) {
        if (journalEntries()[key] === carried[key]) forget(key);
      });
    }
    if (persistAgain) {
      persistAgain = false;
      persistSaves();
    }
    saves.pending = persisting || saves.persisted < saves.landed;
  });
}
Module["persistSaves"] = persistSaves;

// The game saved a file (platform_web.cpp): journaled now, copied soon.
Module["savedFile"] = function (path) {
  if (path.indexOf(SAVES + "/") !== 0) return;
  saves.landed++;
  saves.pending = true;
  if (journal(path)) saves.journaled++;
  persistSaves();
};

// A tab hidden or closed may never come back: the game saves then, as a
// desktop game saves when it is told to stop, and the saves are copied on.
function savesWhenHidden() {
  if (Module["_pulsefield_page_hidden"]) Module["_pulsefield_page_hidden"]();
}
document.addEventListener("visibilitychange", function () {
  if (document.visibilityState === "hidden") savesWhenHidden();
});
window.addEventListener("pagehide", savesWhenHidden);

Module["preRun"] = Module["preRun"] || [];
Module["preRun"].push(function () {
  // The player's files: loaded from the browser's storage before the game starts.
  FS.mkdir(SAVES);
  FS.mount(IDBFS, {}, SAVES);
  ENV["XDG_DATA_HOME"] = SAVES;
  addRunDependency("saves");
  FS.syncfs(true, function (err) {
    if (err) pulsefieldSay("pulsefield: warning: the browser's saved files could not be read (" + err + ")");
    // Saves the last page made but could not finish copying come back, and are copied on.
    saves.restored = restoreJournal();
    if (saves.restored) {
      saves.pending = true;
      persistSaves();
    }
    removeRunDependency("saves");
  });
  // A replay served beside the page, fetched into memory before the game reads it.
  if (fetches.length) FS.mkdir(FETCHED);
  fetches.forEach(function (f) {
    addRunDependency("fetch " + f.url);
    fetch(f.url)
      .then(function (r) {
        if (!r.ok) throw new Error("HTTP " + r.status);
        return r.arrayBuffer();
      })
      .then(function (bytes) {
        FS.writeFile(f.path, new Uint8Array(bytes));
      })
      .catch(function (e) {
        pulsefieldSay('pulsefield: cannot fetch "' + f.url + '": ' + e.message);
      })
      .finally(function () {
        removeRunDependency("fetch " + f.url);
      });
  });
});

// Sound: a processor node that asks the game's mixer for each block. The
// browser starts the context only after a key or a click on the page.
var sound = null;
Module["openSound"] = function (rate, frames) {
  var AudioContextClass = window.AudioContext || window.webkitAudioContext;
  if (!AudioContextClass) return 0;
  var ctx;
  try {
    ctx = new AudioContextClass({ sampleRate: rate });
  } catch (e) {
    return 0;  // no context at the mixer's rate: the game plays in silence
  }
  var node = ctx.createScriptProcessor(frames, 0, 2);
  var block = Module["_malloc"](frames * 4);
  node.onaudioprocess = function (ev) {
    var left = ev.outputBuffer.getChannelData(0), right = ev.outputBuffer.getChannelData(1);
    Module["_pulsefield_mix"](block, frames);
    var samples = HEAP16.subarray(block >> 1, (block >> 1) + frames * 2);
    for (var i = 0; i < frames; i++) {
      left[i] = samples[2 * i] / 32768;
      right[i] = samples[2 * i + 1] / 32768;
    }
  };
  node.connect(ctx.destination);
  sound = { ctx: ctx, node: node, block: block };
  var wake = function () {
    if (sound && sound.ctx.state !== "running") sound.ctx.resume();
  };
  ["keydown", "mousedown", "touchstart", "pointerdown"].forEach(function (type) {
    window.addEventListener(type, wake, true);
  });
  return 1;
};
Module["soundRunning"] = function () {
  return sound !== null && sound.ctx.state === "running";
};
Module["closeSound"] = function () {
  if (!sound) return;
  sound.node.disconnect();
  sound.node.onaudioprocess = null;
  sound.ctx.close();
  Module["_free"](sound.block);
  sound = null;
};

// A file the game saved for the player (a screenshot) is offered as a download.
Module["offerDownload"] = function (path, type) {
  var bytes = FS.readFile(path);
  var url = URL.createObjectURL(new Blob([bytes], { type: type }));
  var link = document.createElement("a");
  link.href = url;
  link.download = path.split("/").pop();
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(function () {
    URL.revokeObjectURL(url);
  }, 10000);
};

// The game's full-screen mode, and the page's button: the stage (the
// canvas and its black surround) fills the screen. A browser grants it only
// soon after a key or a click.
Module["gameFullscreen"] = function (on) {
  var stage = document.getElementById("stage");
  if (!stage || !document.fullscreenEnabled) return;
  if (on && !document.fullscreenElement) stage.requestFullscreen().catch(function () {});
  else if (!on && document.fullscreenElement) document.exitFullscreen().catch(function () {});
};

// The game has stopped: the page says so.
Module["gameEnded"] = function (code) {
  var line = code === 0 ? "The game has ended; reload the page to play again."
                        : "The game stopped (exit code " + code + "); reload the page to play again.";
  pulsefieldSay(line);
  var ended = document.getElementById("ended");
  if (ended) {
    ended.textContent = line;
    ended.hidden = false;
  }
};
