// Part of burrowgale.js, run before the game starts. What the game keeps between runs lives in
// its home folder; in a page that folder is kept in the browser's IndexedDB: loaded before
// main runs, and written back by Module.saveFiles, which the game calls after each save.
//
// Each write-back replaces the whole stored folder, so two tabs of the game would overwrite
// each other's records. One tab owns the storage at a time, the first one opened: it holds a
// Web Lock for the life of the page, and the lock's name is the same for every copy of the page
// on this site. A tab that finds it taken plays on, keeps nothing and says so
// (Module.onStorageTaken). Module.ownsStorage tells which this tab is.
Module.ownsStorage = true;
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  var home = '/home/web_user';  // emscripten's HOME; the XDG folders default to inside it
  FS.mount(IDBFS, {}, home);
  addRunDependency('saved-files');
  FS.syncfs(true, function (error) {
    // Without storage (a private window, a full disk) the game still plays; it keeps nothing.
    if (error) console.warn('Saved games and settings are unavailable: ' + error);
    removeRunDependency('saved-files');
  });
  // Without the Web Locks API (an old browser, a page not served securely) there is no way to
  // tell another tab: this one owns the storage, as before.
  if (!navigator.locks) return;
  addRunDependency('storage-owner');
  function decided(owner) {
    Module.ownsStorage = owner;
    if (!owner && Module.onStorageTaken) Module.onStorageTaken();
    removeRunDependency('storage-owner');
  }
  // A little patience, not none: on a reload the page before may still be letting go.
  var giveUp = new AbortController();
  var patience = setTimeout(function () { giveUp.abort(); }, 3000);
  navigator.locks.request('burrowgale-storage', {signal: giveUp.signal}, function () {
    clearTimeout(patience);
    decided(true);
    return new Promise(function () {});  // held until the page goes away
  }).catch(function (error) {
    decided(error.name !== 'AbortError');
  });
});

// The runtime asks the audio to resume on the first key, but Escape does not count as a gesture
// in browsers, so after Escape ends the game from a page never played the request is still
// pending when the game closes its audio, and fails. Nothing is wrong: the game had no sound.
window.addEventListener('unhandledrejection', function (event) {
  var audio = Module.SDL2 && Module.SDL2.audioContext;
  if (event.reason && event.reason.name === 'InvalidStateError' && (!audio || audio.state === 'closed')) {
    event.preventDefault();
  }
});

// One write-back at a time; saves that come meanwhile are folded into one more. Module.filesStored
// counts the write-backs finished and Module.filesStoring is true while one runs or waits, for
// whoever wants to know that a save has reached storage.
Module.filesStored = 0;
Module.filesStoring = false;
Module.saveFiles = (function () {
  var running = false;
  var again = false;
  function run() {
    running = true;
    Module.filesStoring = true;
    again = false;
    FS.syncfs(false, function (error) {
      if (error) console.warn('Could not store saved files in the browser: ' + error);
      else Module.filesStored++;
      running = false;
      if (again) run();
      else Module.filesStoring = false;
    });
  }
  return function () {
    if (!Module.ownsStorage) return;  // another tab's records are in there: never overwrite them
    if (running) again = true;
    else run();
  };
})();
