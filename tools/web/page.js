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

// A word from the page that the player should not miss: on its line under
// the header as well as in the box of messages.
function pulsefieldNotice(text) {
  pulsefieldSay(text);
  var notice = document.getElementById("notice");
  if (notice) {
    notice.textContent = text;
    notice.title = text;
  }
}

// The folder whose files outlive the page: the player's settings, table,
// replays and screenshots sit in pulsefield/ under it, as under a desktop's
// data home.
var SAVES = "/saves";
// Replays fetched from beside the page are kept here for the game to read.
var FETCHED = "/fetched";

// What a link may ask of the game: a replay or a timedemo of a file served
// beside the page, a seed, and where to start. Anything else in the address
// (a folder, an output file, a path into the player's saves) is refused and
// named on the page: a link comes from anyone.
var LINK_FLAGS = ["play", "no-intro", "headless"];
// A file beside the page: a relative path of plain names ending in .pfr (no
// "..", no scheme, no leading slash), so it is fetched from the page's own
// server and never read from the player's files.
var SERVED_REPLAY = /^[A-Za-z0-9_][A-Za-z0-9_.-]*(\/[A-Za-z0-9_][A-Za-z0-9_.-]*)*\.pfr$/;
var SERVED_REPLAY_LENGTH = 200;
var SEED = /^-?[0-9]{1,19}$/;
// A refused option is named up to this many characters.
var NAME_SHOWN = 40;

// "?seed=5&play" becomes --seed 5 --play; a replay or timedemo is fetched
// from beside the page first. The options the link may not give are listed
// in refused.
var fetches = [];
function argumentsFromQuery(query, refused) {
  var args = [], watching = false, headless = false;
  new URLSearchParams(query).forEach(function (value, name) {
    var shown = name.length > NAME_SHOWN ? name.slice(0, NAME_SHOWN) + "..." : name;
    if (LINK_FLAGS.indexOf(name) >= 0 && value === "") {
      if (name === "headless") headless = true;
      else args.push("--" + name);
    } else if (name === "seed" && SEED.test(value)) {
      args.push("--seed", value);
    } else if ((name === "replay" || name === "timedemo") && SERVED_REPLAY.test(value) &&
               value.length <= SERVED_REPLAY_LENGTH && value.split("/").indexOf("..") < 0) {
      var local = FETCHED + "/" + value.split("/").pop();
      fetches.push({ url: value, path: local });
      args.push("--" + name, local);
      watching = true;
    } else {
      refused.push(shown);
    }
  });
  // A headless run holds the page until it ends: only a replay ends by itself.
  if (headless && watching) args.unshift("--headless");
  else if (headless) refused.push("headless");
  return args;
}

// A replay the player chose with the page's button, handed over to the
// started-again page for this tab alone (never through the address), and
// watched from memory: it is not kept among the player's files.
var HANDED_OVER = "pulsefield-watch";
var WATCHED = "/watch/chosen.pfr";
var handedOver = null;
try {
  handedOver = window.sessionStorage.getItem(HANDED_OVER);
  if (handedOver !== null) window.sessionStorage.removeItem(HANDED_OVER);
} catch (e) {
  handedOver = null;  // no storage for this page: nothing was handed over
}

var refusedOptions = [];
if (!Module["arguments"]) {
  Module["arguments"] = handedOver !== null ? ["--replay", WATCHED]
                                            : argumentsFromQuery(window.location.search, refusedOptions);
}
var watchingReplay = Module["arguments"].some(function (a) { return a === "--replay" || a === "--timedemo"; });
document.addEventListener("DOMContentLoaded", function () {
  if (watchingReplay) document.getElementById("leave").hidden = false;
  if (refusedOptions.length)
    pulsefieldNotice("pulsefield: the link's options " + refusedOptions.join(", ") + " were refused: a link " +
                     "may give only replay or timedemo (a .pfr file beside the page), seed, play, no-intro " +
                     "and, with a replay, headless.");
});

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

// Earlier pages kept a chosen replay file among the saves, of any size, and
// loaded it on every visit: it goes from the browser's storage.
function dropOldChosenReplay() {
  var old = SAVES + "/watch.pfr";
  if (!FS.analyzePath(old).exists) return;
  FS.unlink(old);
  Module["persistSaves"]();
}

Module["preRun"] = Module["preRun"] || [];
Module["preRun"].push(function () {
  // The player's files: loaded from the browser's storage before the game starts.
  FS.mkdir(SAVES);
  FS.mount(IDBFS, {}, SAVES);
  ENV["XDG_DATA_HOME"] = SAVES;
  addRunDependency("saves");
  FS.syncfs(true, function (err) {
    if (err) pulsefieldSay("pulsefield: warning: the browser's saved files could not be read (" + err + ")");
    dropOldChosenReplay();
    // Saves the last page made but could not finish copying come back, and are copied on.
    saves.restored = restoreJournal();
    if (saves.restored) {
      saves.pending = true;
      persistSaves();
    }
    removeRunDependency("saves");
  });
  // A replay chosen on the player's disk, into memory for the game to read.
  if (handedOver !== null) {
    var bytes = new Uint8Array(handedOver.length);
    for (var i = 0; i < handedOver.length; i++) bytes[i] = handedOver.charCodeAt(i);
    FS.mkdirTree(WATCHED.slice(0, WATCHED.lastIndexOf("/")));
    FS.writeFile(WATCHED, bytes);
    handedOver = null;
  }
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

// Leaves for a page address once the saves are in the browser's storage: a
// game still running saves first, as it does when the tab is hidden.
function leaveFor(address) {
  savesWhenHidden();
  (function whenSaved() {
    if (persisting || persistAgain) setTimeout(whenSaved, 50);
    else window.location.href = address;
  })();
}

// Back to the title, without the link's replay or options (the page's
// button; on window, as the build keeps only what it sees used).
window.pulsefieldPlayAgain = function () {
  leaveFor(window.location.pathname + "?no-intro");
};

// A chosen file is watched only if it is a replay of a size a game records:
// eight hours of play, the longest a replay holds, pack to under a megabyte.
var CHOSEN_MAX_BYTES = 4 << 20;
var REPLAY_MAGIC = "PFRP";
// Bytes converted to text at a time (one character a byte).
var CHUNK = 0x8000;

// Checks a file the player chose and starts the page again to watch it; a
// file refused is said so and nothing of it is kept (the page's button).
window.pulsefieldWatchFile = function (file) {
  var refuse = function (why) {
    pulsefieldNotice('pulsefield: "' + file.name + '" is not watched: ' + why + ".");
  };
  if (file.size > CHOSEN_MAX_BYTES)
    return refuse("at " + (file.size / 1048576).toFixed(1) + " MB it is far larger than any replay (at most " +
                  (CHOSEN_MAX_BYTES >> 20) + " MB)");
  file.arrayBuffer().then(function (buffer) {
    var bytes = new Uint8Array(buffer);
    if (String.fromCharCode.apply(null, bytes.subarray(0, REPLAY_MAGIC.length)) !== REPLAY_MAGIC)
      return refuse("it is not a replay (a replay starts with " + REPLAY_MAGIC + ")");
    var text = "";
    for (var i = 0; i < bytes.length; i += CHUNK)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + CHUNK));
    try {
      window.sessionStorage.setItem(HANDED_OVER, text);
    } catch (e) {
      return refuse("the browser has no room to hand it to the page (" + e.name + ")");
    }
    leaveFor(window.location.pathname);
  }, function (e) {
    refuse("it cannot be read (" + e.message + ")");
  });
};

// The game has stopped: the page says so and offers the title again.
Module["gameEnded"] = function (code) {
  var line = code === 0 ? "The game has ended." : "The game stopped (exit code " + code + ").";
  pulsefieldNotice(line);
  // One way on: Play again stands in for the link back from a replay.
  var leave = document.getElementById("leave");
  if (leave) leave.hidden = true;
  var again = document.getElementById("again");
  if (again) {
    again.hidden = false;
    again.focus();
  }
};
