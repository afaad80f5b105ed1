// Part of burrowgale.js, run before the game starts. What the game keeps between runs lives in
// its home folder; in a page that folder is kept in the browser's IndexedDB: loaded before
// main runs, and written back by Module.saveFiles, which the game calls after each save.
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
});

// One write-back at a time; saves that come meanwhile are folded into one more.
Module.saveFiles = (function () {
  var running = false;
  var again = false;
  function run() {
    running = true;
    again = false;
    FS.syncfs(false, function (error) {
      if (error) console.warn('Could not store saved files in the browser: ' + error);
      running = false;
      if (again) run();
    });
  }
  return function () {
    if (running) again = true;
    else run();
  };
})();
